// Deciding which files to create, and creating them one at a time. Each file's content
// is formed in memory and published only when complete (see writers/atomic_file).
#include "inputs/generation.hpp"

#include "driver/failure.hpp"
#include "inputs/paths.hpp"
#include "writers/atomic_file.hpp"
#include "writers/body_writer.hpp"
#include "writers/spec_writer.hpp"

namespace adaskel {

namespace {

void Generate_Body(Run_Record& Record, std::string& Content) {
    const std::string Path = Body_Path(Read(Record.Project_Lines, 1));
    if (Test_Output_Path(Path) == Path_State::Regular_File) {
        return;
    }
    Pending_File File = Create_Pending(Path);
    Put(Record.Out, "Create adb file: ");
    Content.clear();
    Write_Body_File(Content, Record);
    Publish(File, Content);
}

void Generate_Spec(const Run_Record& Record, std::int32_t J, std::string& Content) {
    const std::string Path =
        Spec_Path(Read(Record.Project_Lines, 1), Read(Record.Project_Lines, J));
    if (Test_Output_Path(Path) == Path_State::Regular_File) {
        return;
    }
    Pending_File File = Create_Pending(Path);
    Content.clear();
    Write_Spec_File(Content, Record, J);
    Publish(File, Content);
}

} // namespace

void Generate_Files(Run_Record& Record) {
    if (Record.Line_Count < 1) {
        throw Run_Failure("project file " + Quote(Record.Project_Name) +
                          " has no line: the root directory is missing");
    }
    std::string Content; // reused: one buffer for every file of the run
    Generate_Body(Record, Content);
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Generate_Spec(Record, J, Content);
    }
}

} // namespace adaskel
