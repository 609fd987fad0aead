// adaskel-layout: creates the directories an adaskel run writes into, and a GPR project
// file that builds the tree. The project file is read and its names derived by the run's
// own code, so the tree laid out is the one a run writes into; every name is judged
// before the first directory is made.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/path_parts.hpp"
#include "inputs/command_line.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/run_record.hpp"
#include "layout/directories.hpp"
#include "layout/gpr_file.hpp"
#include "names/tree_names.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace adaskel {

namespace {

// The values of one layout run, owned by its main.
struct Layout_Record {
    Console Out;       // one line for each directory and file created, on standard output
    Run_Record Inputs; // its console discards the run's messages
};

constexpr std::string_view Help =
    "Creates the directories an adaskel run on PROJECT_FILE writes into (ROOT/ROOT/src\n"
    "and ROOT/UNIT/src/lib), and the GPR project file ROOT/ROOT.gpr that builds the tree\n"
    "with gprbuild. Nothing that exists is changed.";

void Judge_Names(const Run_Record& Record) {
    if (auto Found = Root_Problem(Root_Name(Record))) {
        throw Run_Failure(Line_Problem(Record, Root_Line, std::move(*Found)));
    }
    for (std::int32_t J = First_Unit_Line; J <= Record.Line_Count; ++J) {
        if (auto Found = Unit_Directory_Problem(Read(Record.Project_Lines, J))) {
            throw Run_Failure(Line_Problem(Record, J, std::move(*Found)));
        }
    }
}

// The directory of each file a run writes, in the run's order, each once.
std::vector<std::string> Tree_Directories(const Run_Record& Record) {
    std::vector<std::string> Directories;
    Each_Output_File(Record, [&](const Output_File& File) {
        std::string Directory = Directory_Of(File.Path);
        if (std::find(Directories.begin(), Directories.end(), Directory) == Directories.end()) {
            Directories.push_back(std::move(Directory));
        }
    });
    return Directories;
}

void Lay_Out(Layout_Record& Layout) {
    const Run_Record& Inputs = Layout.Inputs;
    const std::string& Root = Root_Name(Inputs);
    std::vector<std::string> Source_Dirs;
    Walked_Tree Tree;
    for (const std::string& Directory : Tree_Directories(Inputs)) {
        (void)Make_Directory(Layout.Out, Tree, Directory);
        Source_Dirs.push_back(Directory.substr(Root.size() + 1)); // relative to the root
    }
    // The root walked down again by descriptor: the file goes into the directory that is
    // there now, never through a link.
    auto Root_Directory = std::make_shared<Output_Directory>();
    Root_Directory->Path = Root;
    Root_Directory->Fd = Make_Directory(Layout.Out, Tree, Root);
    const std::string Gpr_Path = Root + "/" + Root + ".gpr";
    Write_Gpr_File(Layout.Out, Root_Directory, Gpr_Path,
                   Gpr_Text(Root, Source_Dirs, Base_Name(Body_Path(Root))));
    Tree.Paths.push_back(Gpr_Path);
    Make_Durable(Tree);
}

// Lays out the tree with the arguments after the program name. Returns Exit_Complete,
// or Exit_Command_Line when the arguments are refused; every other failure is raised.
int Layout_Sequence(Layout_Record& Layout, std::span<const char* const> Arguments) {
    if (Answer_Information(Layout.Out, "adaskel-layout", Help, Arguments)) {
        return Exit_Complete;
    }
    Run_Record& Inputs = Layout.Inputs;
    if (const auto Fault = Accept_Arguments(Inputs, Arguments)) {
        Report_Refusal("adaskel-layout", *Fault, Arguments);
        return Exit_Command_Line;
    }
    Inputs.Out.Fd = No_Console;
    Input_Sink Stop_At_First;
    Load_Project(Inputs, Stop_At_First);
    Judge_Names(Inputs);
    Lay_Out(Layout);
    return Exit_Complete;
}

} // namespace

} // namespace adaskel

int main(int argc, char** argv) {
    adaskel::Layout_Record Layout;
    return adaskel::Run_Program(Layout.Out, "adaskel-layout", argc, argv,
                                [&](adaskel::Arguments_After Arguments) {
                                    return adaskel::Layout_Sequence(Layout, Arguments);
                                });
}
