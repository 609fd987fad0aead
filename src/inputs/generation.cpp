// Deciding which files to create, and creating them one at a time. Each file's content
// is formed in memory and published only when complete (see writers/atomic_file).
#include "inputs/generation.hpp"

#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "writers/atomic_file.hpp"
#include "writers/body_writer.hpp"
#include "writers/spec_writer.hpp"

namespace adaskel {

namespace {

// Creates the file at Path unless a regular file is there. Form is called once the file
// exists unnamed, to put its whole content into Content; only then is it published.
template <typename Content_Former>
void Generate(const std::string& Path, std::string& Content, Content_Former Form) {
    if (Holds_File(Path)) {
        return;
    }
    Pending_File File = Create_Pending(Path);
    Content.clear();
    Form();
    Publish(File, Content);
}

} // namespace

void Generate_Files(Run_Record& Record) {
    const std::string& Root = Root_Name(Record);
    std::string Content; // reused: one buffer for every file of the run
    Generate(Body_Path(Root), Content, [&] {
        Put(Record.Out, "Create adb file: ");
        Write_Body_File(Content, Record);
    });
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Generate(Spec_Path(Root, Read(Record.Project_Lines, J)), Content,
                 [&] { Write_Spec_File(Content, Record, J); });
    }
}

} // namespace adaskel
