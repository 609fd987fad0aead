// adaskel-layout: creates the directories an adaskel run writes into, and a GPR project
// file that builds the tree. The project file is read and its names derived by the run's
// own code, so the tree laid out is the one a run writes into; every name is judged
// before the first directory is made.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/path_parts.hpp"
#include "inputs/command_line.hpp"
#include "inputs/input_sink.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "layout/crate.hpp"
#include "layout/directories.hpp"
#include "layout/gpr_file.hpp"
#include "names/tree_names.hpp"
#include "names/tree_project.hpp"
#include "writers/atomic_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/replaced_file.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
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
    "and ROOT/UNIT/src/lib), the GPR project file ROOT/ROOT.gpr that builds the tree with\n"
    "gprbuild, and rewrites ROOT/ROOT_tree.gpr, the sources and naming ROOT.gpr takes,\n"
    "from the list and the tree; and, when they are not there, ROOT/alire.toml (the Alire\n"
    "crate, from the reference texts) and ROOT/.gitignore. Nothing else that exists is\n"
    "changed.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 the tree in place, 1 a failure, 2 the command line refused.";

// Refuses the list, before anything is created, for each line adaskel-check calls an
// error from the list alone: its checks, with a file test that sees every parent's spec.
void Judge_Names(const Run_Record& Record) {
    const auto Sees_All = [](const std::string&) { return true; };
    std::optional<Problem> Last;
    Console Err{.Fd = 2};
    for (Diagnostic& Found : Judge_Lines(Record, Sees_All, true)) {
        if (!Found.Is_Error) {
            continue;
        }
        if (Last) {
            Put_Line(Err, "adaskel-layout: " + Last->Lead + Last->Message);
        }
        Last = Line_Problem(Record, Found.Line, std::move(Found.Message));
    }
    if (Last) {
        throw Run_Failure(std::move(*Last));
    }
}

// The crate's manifest, when none is there, from the reference texts read as a run reads
// them; a text missing or a field alr would refuse leaves it unwritten, with one line why.
void Write_Crate(Layout_Record& Layout, const Shared_Directory& Directory) {
    Run_Record& Inputs = Layout.Inputs;
    const std::string& Root = Root_Name(Inputs);
    const std::string Path = Crate_Path(Root);
    if (!Holds_File(Look_In(*Directory, Path))) {
        Input_Sink Sink{.Record_All = true, .Found = {}};
        Load_Reference_Texts(Inputs, Sink);
        Take_Step(Sink, [&] { Read_Holder_Name(Inputs); });
        Manifest Crate;
        if (!Sink.Found.empty()) {
            Crate.Refusal = Sink.Found.front().Message;
        } else {
            Crate = Crate_Manifest(Inputs);
        }
        if (!Crate.Refusal.empty()) {
            Put_Line(Layout.Out, "not created " + Escape(Path) + ": " + Crate.Refusal);
        } else {
            Pending_File File = Create_Pending(Directory, Path);
            const bool Created = Publish_Alone(File, Crate.Text);
            Put_Line(Layout.Out,
                     (Created ? "created " : "exists ") + Escape(Path) +
                         (Crate.Note.empty() || !Created ? "" : " (" + Crate.Note + ")"));
        }
    }
    Write_New_File(Layout.Out, Directory, Root + "/.gitignore", Git_Ignore_Text);
}

// Makes the tree durable: the directories walked, which are walked again from the list
// should a syncfs fail, and the files the layout owns in Root_Directory that are there
// (the crate may be left unwritten).
void Make_Tree_Durable(const Walked_Tree& Tree, const Run_Record& Inputs,
                       const Output_Directory& Root_Directory) {
    const std::string& Root = Root_Name(Inputs);
    Make_Durable(Tree, [&](const Path_Visit& Visit) {
        (void)Each_Output_Directory(Inputs, Visit);
        for (const std::string& File :
             {Tree_Gpr_Path(Root), Gpr_Path(Root), Crate_Path(Root), Root + "/.gitignore"}) {
            if (Look_In(Root_Directory, File).Holds_File) {
                Visit(File);
            }
        }
    });
}

void Lay_Out(Layout_Record& Layout) {
    const Run_Record& Inputs = Layout.Inputs;
    const std::string& Root = Root_Name(Inputs);
    Walked_Tree Tree;
    Make_Directories(Layout.Out, Tree,
                     [&](const Path_Visit& Visit) { (void)Each_Output_Directory(Inputs, Visit); });
    // The root walked down again by descriptor: the files go into the directory that is
    // there now, never through a link.
    auto Root_Directory = std::make_shared<Output_Directory>();
    Root_Directory->Path = Root;
    Root_Directory->Fd = Make_Directory(Layout.Out, Tree, Root);
    const std::string Tree_Gpr = Tree_Gpr_Path(Root);
    const bool Was_There = Look_In(*Root_Directory, Tree_Gpr).Holds_File;
    const auto Is_File = [](const std::string& Path) {
        return Look_At_Output_Path(Path).Holds_File;
    };
    const auto Tree_Text = [&](const Piece_Sink& Put) { Put_Tree_Gpr_Text(Inputs, Is_File, Put); };
    if (Replace_File(Root_Directory, Tree_Gpr, Tree_Text)) {
        Put_Line(Layout.Out, (Was_There ? "updated " : "created ") + Escape(Tree_Gpr));
    }
    Write_New_File(Layout.Out, Root_Directory, Gpr_Path(Root),
                   Gpr_Text(Root, Base_Name(Body_Path(Root))));
    Write_Crate(Layout, Root_Directory);
    Make_Tree_Durable(Tree, Inputs, *Root_Directory);
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
