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
    Console Out{.Buffered = true}; // a line for each directory and file created
    Run_Record Inputs;             // its console discards the run's messages
};

constexpr std::string_view Help =
    "Creates the directories an adaskel run on PROJECT_FILE writes into (ROOT/ROOT/src\n"
    "and ROOT/UNIT/src/lib), the GPR project file ROOT/ROOT.gpr that builds the tree with\n"
    "gprbuild, and rewrites ROOT/.adaskel/ROOT_tree.gpr, the sources and naming ROOT.gpr\n"
    "takes, from the list and the tree; and, when they are not there, ROOT/alire.toml\n"
    "(the Alire crate, from the reference texts), its configuration for gprbuild alone,\n"
    "ROOT/.als.json (the editor's project file) and ROOT/.gitignore. Nothing else that\n"
    "exists is changed.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 the tree in place, 1 a failure, 2 the command line refused.";

// Refuses the list, before anything is created, for each line adaskel-check calls an
// error from the list alone: its checks, with a file test that sees every parent's spec.
void Judge_Names(const Run_Record& Record) {
    std::optional<Problem> Last;
    Console Err{.Fd = 2};
    for (Diagnostic& Found : List_Errors(Record)) {
        if (Last) {
            Put_Line(Err, "adaskel-layout: " + Last->Lead + Last->Message);
        }
        Last = Line_Problem(Record, Found.Found.Line, std::move(Found.Found.Message));
    }
    if (Last) {
        throw Run_Failure(std::move(*Last));
    }
}

// The crate's manifest, when none is there, from the reference texts read as a run reads
// them; a field alr would refuse leaves it unwritten, with one line why.
void Write_Crate(Layout_Record& Layout, const Shared_Directory& Directory) {
    const Run_Record& Inputs = Layout.Inputs;
    const std::string& Root = Root_Name(Inputs);
    const std::string Path = Crate_Path(Root);
    if (!Holds_File(Look_In(*Directory, Path))) {
        const Manifest Crate = Crate_Manifest(Inputs);
        if (Crate.Refusal) {
            Put_Line(Layout.Out,
                     "not created " + Escape(Crate.Refusal->File) + ": " + Crate.Refusal->Message);
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

// Refuses, before the first directory is made, a tree whose derived project could not be
// rewritten.
void Judge_Tree_Gpr(const Run_Record& Inputs) {
    if (auto Found = Tree_Gpr_Refusal(Inputs)) {
        throw Run_Failure(std::move(*Found));
    }
}

// The files the layout owns in the root, that it writes or keeps up to date.
std::vector<std::string> Owned_Files(const std::string& Root) {
    return {Tree_Gpr_Path(Root),   Old_Tree_Gpr_Path(Root), Gpr_Path(Root),
            Config_Gpr_Path(Root), Als_Json_Path(Root),     Crate_Path(Root),
            Root + "/.gitignore"};
}

// Makes the tree durable: the directories walked, which are walked again from the list
// should a syncfs fail, and the files the layout owns that are there (the crate may be
// left unwritten, the old derived project is gone from a tree laid out since it moved).
void Make_Tree_Durable(const Walked_Tree& Tree, const Run_Record& Inputs) {
    const std::string& Root = Root_Name(Inputs);
    Make_Durable(Tree, [&](const Path_Visit& Visit) {
        (void)Each_Output_Directory(Inputs, Visit);
        for (const std::string& File : Owned_Files(Root)) {
            if (Look_At_Output_Path(File).Holds_File) {
                Visit(File);
            }
        }
    });
}

// The directory of Path, below the root, made and opened as the root is: by descriptor.
Shared_Directory Open_Below_Root(Layout_Record& Layout, Walked_Tree& Tree,
                                 const std::string& Path) {
    auto Directory = std::make_shared<Output_Directory>();
    Directory->Path = Directory_Of(Path);
    Directory->Fd = Make_Directory(Layout.Out, Tree, Directory->Path);
    return Directory;
}

// Writes the derived project at Path when its text changes, with a line saying so.
void Write_Tree_Gpr(Layout_Record& Layout, const Shared_Directory& Directory,
                    const std::string& Path) {
    const bool Was_There = Look_In(*Directory, Path).Holds_File;
    if (Replace_File(Directory, Path, Tree_Gpr_Text(Layout.Inputs))) {
        Put_Line(Layout.Out, (Was_There ? "updated " : "created ") + Escape(Path));
    }
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
    // Every directory is there before the first file: a layout that fails has written
    // ROOT.gpr only into a complete tree.
    const std::string Tree_Gpr = Tree_Gpr_Path(Root);
    const std::string Config_Gpr = Config_Gpr_Path(Root);
    const Shared_Directory Tree_Directory = Open_Below_Root(Layout, Tree, Tree_Gpr);
    const Shared_Directory Config_Directory = Open_Below_Root(Layout, Tree, Config_Gpr);
    Write_Tree_Gpr(Layout, Tree_Directory, Tree_Gpr);
    // A ROOT.gpr written before the derived project moved withs it in the root: while it
    // is there, it follows the list too, so that such a tree builds with no hand edit.
    const std::string Old_Tree_Gpr = Old_Tree_Gpr_Path(Root);
    if (Look_In(*Root_Directory, Old_Tree_Gpr).Holds_File) {
        Write_Tree_Gpr(Layout, Root_Directory, Old_Tree_Gpr);
    }
    Write_New_File(Layout.Out, Root_Directory, Gpr_Path(Root),
                   Gpr_Text(Root, Base_Name(Body_Path(Root))));
    Write_New_File(Layout.Out, Config_Directory, Config_Gpr, Config_Gpr_Text(Root));
    Write_New_File(Layout.Out, Root_Directory, Als_Json_Path(Root), Als_Json_Text(Root));
    Write_Crate(Layout, Root_Directory);
    Make_Tree_Durable(Tree, Inputs);
}

// Lays out the tree with the arguments after the program name. Returns Exit_Complete,
// or Exit_Command_Line when the arguments are refused; every other failure is raised.
int Layout_Sequence(Layout_Record& Layout, std::span<const char* const> Arguments) {
    // The inputs of a run, read in its order: a tree laid out where the run could not
    // start (in the wrong directory, say) would be a tree for nothing.
    Run_Record& Inputs = Layout.Inputs;
    if (const auto Status =
            Start_Companion(Layout.Out, Inputs, "adaskel-layout", Help, Arguments)) {
        return *Status;
    }
    Judge_Names(Inputs);
    Judge_Tree_Gpr(Inputs);
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
