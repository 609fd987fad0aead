// Deciding which files to create, and creating them in project-file order. Each file's
// content is formed in memory and written into a file not yet visible; files are then
// published in batches, each once its data is durable (see durable_batch).
#include "writers/generation.hpp"

#include "inputs/project_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/unit_files.hpp"

#include <optional>

namespace adaskel {

namespace {

struct Generator {
    Run_Record& Record;
    Pending_Batch& Batch;
    std::string Content{};         // reused: one buffer for every file of the run
    std::optional<Header> Block{}; // formed for the first file created
};

// Creates File unless a regular file is at its path. Its content is formed once the file
// exists unnamed; only then is it written.
void Generate(Generator& Run, const Output_File& File) {
    std::optional<Pending_File> Pending = Pending_Unless_There(Run.Batch, File);
    if (!Pending) {
        return;
    }
    Run.Content.clear();
    if (File.Is_Body) {
        Put(Run.Record.Out, "Create adb file: ");
    }
    if (!Run.Block) {
        Run.Block = Form_Header(Run.Record);
    }
    if (File.Is_Body) {
        Write_Body_File(Run.Content, Run.Record, *Run.Block);
    } else {
        Write_Spec_File(Run.Content, Run.Record, *Run.Block, File);
    }
    Write_Pending(*Pending, Run.Content);
    Add_To_Batch(Run.Batch, std::move(*Pending));
}

} // namespace

void Generate_Files(Run_Record& Record) {
    With_Batch(Record, [&](Pending_Batch& Batch) {
        Generator Run{Record, Batch};
        Each_Output_File(Record, [&](const Output_File& File) { Generate(Run, File); });
    });
}

} // namespace adaskel
