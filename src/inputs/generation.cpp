// Deciding which files to create, and creating them in project-file order. Each file's
// content is formed in memory and written into a file not yet visible; files are then
// published in batches, each once its data is durable (see writers/durable_batch).
#include "inputs/generation.hpp"

#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "writers/atomic_file.hpp"
#include "writers/body_writer.hpp"
#include "writers/durable_batch.hpp"
#include "writers/spec_writer.hpp"

#include <optional>

namespace adaskel {

namespace {

// The file to write at Path, or none when a regular file is there. A failure met while
// files are pending is met again once they are published, so that it is met on the tree
// a run publishing each file at once would see (with a link at Path to a pending file,
// say) and after the files before it are published.
std::optional<Pending_File> Create_Unless_There(Pending_Batch& Batch, const std::string& Path) {
    for (;;) {
        try {
            if (Holds_File(Path)) {
                return std::nullopt;
            }
            return Create_Pending(Path);
        } catch (const Run_Failure&) {
            if (Batch.Written.empty()) {
                throw;
            }
        }
        Publish_Batch(Batch);
    }
}

// Creates the file at Path unless a regular file is there. Form is called once the file
// exists unnamed, to put its whole content into Content; only then is it written.
template <typename Content_Former>
void Generate(Pending_Batch& Batch, const std::string& Path, std::string& Content,
              Content_Former Form) {
    std::optional<Pending_File> File = Create_Unless_There(Batch, Path);
    if (!File) {
        return;
    }
    Content.clear();
    Form();
    Write_Pending(*File, Content);
    Add_To_Batch(Batch, std::move(*File));
}

void Generate_All(Run_Record& Record, Pending_Batch& Batch) {
    const std::string& Root = Root_Name(Record);
    std::string Content; // reused: one buffer for every file of the run
    Generate(Batch, Body_Path(Root), Content, [&] {
        Put(Record.Out, "Create adb file: ");
        Write_Body_File(Content, Record);
    });
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Generate(Batch, Spec_Path(Root, Read(Record.Project_Lines, J)), Content,
                 [&] { Write_Spec_File(Content, Record, J); });
    }
}

} // namespace

void Generate_Files(Run_Record& Record) {
    Pending_Batch Batch = Create_Batch();
    try {
        Generate_All(Record, Batch);
    } catch (...) {
        // The files before the failing one are published, and durable, before it is
        // reported; a failure publishing them is met first, and reported instead.
        Finish_Batch(Batch);
        throw;
    }
    Finish_Batch(Batch);
}

} // namespace adaskel
