// The layout sequence. The project file is read and its names derived by the run's own
// code, so the tree laid out is the one a run writes into; every name is judged before
// the first directory is made.
#include "layout/layout_run.hpp"

#include "driver/command_line.hpp"
#include "driver/entry.hpp"
#include "driver/failure.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "layout/directories.hpp"
#include "layout/gpr_file.hpp"
#include "layout/tree_names.hpp"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace adaskel {

namespace {

constexpr std::string_view Help =
    "usage: adaskel-layout PROJECT_FILE [MAX_LINES]\n"
    "Creates the directories an adaskel run on PROJECT_FILE writes into (ROOT/ROOT/src\n"
    "and ROOT/UNIT/src/lib), and the GPR project file ROOT/ROOT.gpr that builds the tree\n"
    "with gprbuild. Nothing that exists is changed.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 the tree in place, 1 a failure, 2 the command line refused.";

void Judge_Names(const Run_Record& Record) {
    if (auto Found = Root_Problem(Root_Name(Record))) {
        throw Run_Failure(Line_Problem(Record, 1, std::move(*Found)));
    }
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        if (auto Found = Unit_Directory_Problem(Read(Record.Project_Lines, J))) {
            throw Run_Failure(Line_Problem(Record, J, std::move(*Found)));
        }
    }
}

// The directory of each file a run writes, in the run's order, each once.
std::vector<std::string> Tree_Directories(const Run_Record& Record) {
    const std::string& Root = Root_Name(Record);
    std::vector<std::string> Paths{Body_Path(Root)};
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Paths.push_back(Spec_Path(Root, Read(Record.Project_Lines, J)));
    }
    std::vector<std::string> Directories;
    for (std::string& Path : Paths) {
        Path.erase(Path.rfind('/'));
        if (std::find(Directories.begin(), Directories.end(), Path) == Directories.end()) {
            Directories.push_back(std::move(Path));
        }
    }
    return Directories;
}

void Lay_Out(Layout_Record& Layout) {
    const Run_Record& Inputs = Layout.Inputs;
    const std::string& Root = Root_Name(Inputs);
    std::vector<std::string> Source_Dirs;
    for (const std::string& Directory : Tree_Directories(Inputs)) {
        Make_Directory(Layout.Out, Directory);
        Source_Dirs.push_back(Directory.substr(Root.size() + 1)); // relative to the root
    }
    const std::string Body = Body_Path(Root);
    Write_Gpr_File(Layout.Out, Root + "/" + Root + ".gpr",
                   Gpr_Text(Root, Source_Dirs, Body.substr(Body.rfind('/') + 1)));
}

} // namespace

int Layout_Sequence(Layout_Record& Layout, std::span<const char* const> Arguments) {
    const std::string_view First = Arguments.empty() ? "" : Arguments[0];
    if (First == "--help" || First == "--version") {
        Put_Line(Layout.Out, First == "--help" ? Help : "adaskel-layout " ADASKEL_VERSION);
        return Exit_Complete;
    }
    Run_Record& Inputs = Layout.Inputs;
    if (const auto Fault = Accept_Arguments(Inputs, Arguments)) {
        Report_Refusal("adaskel-layout", *Fault, Arguments);
        return Exit_Command_Line;
    }
    Inputs.Out.Fd = No_Console;
    Inputs.Project_Lines = Create_String_Set(Inputs.Max_Lines);
    Inputs.Unit_Names = Create_String_Set(Inputs.Max_Lines);
    Read_Project_File(Inputs);
    Raise_First(Nul_Byte_Problems(Inputs));
    Raise_First(Derive_Unit_Names(Inputs));
    Judge_Names(Inputs);
    Lay_Out(Layout);
    return Exit_Complete;
}

} // namespace adaskel
