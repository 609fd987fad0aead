// The tree's GPR file and its derived project, judged against the list and the tree.
#include "check/gpr_file_use.hpp"

#include "base/owned_fd.hpp"
#include "base/path_parts.hpp"
#include "base/text_pieces.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/tree_project.hpp"
#include "writers/output_path.hpp"

#include <fcntl.h>
#include <string>

namespace adaskel {

namespace {

Diagnostic Warning(const std::string& File, Check_Rule Rule, std::string Message) {
    return {{File, 0, std::move(Message)}, false, Rule};
}

// The derived project at Path, which the tree's GPR file takes its sources from, must be
// the one adaskel-layout would write now, or gprbuild builds from another list.
void Judge_Tree_Gpr(const Run_Record& Inputs, const std::string& Path, Gpr_File_Use& Use) {
    const auto Is_File = [](const std::string& Each) {
        return Look_At_Output_Path(Each).Holds_File;
    };
    const std::string Hint =
        ": adaskel-layout " + Escape(Inputs.Project_Name) + " writes it from the list and the tree";
    if (!Look_At_Output_Path(Path).Holds_File) {
        Use.Found.push_back(
            Warning(Path, Check_Rule::Tree_Project_Missing,
                    "is missing, but the GPR file takes its sources from it" + Hint));
        return;
    }
    const Owned_Fd File(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const bool Follows = File.Value >= 0 && Holds_Text(File.Value, [&](const Piece_Sink& Put) {
                             Put_Tree_Gpr_Text(Inputs, Is_File, Put);
                         });
    if (!Follows) {
        Use.Found.push_back(Warning(Path, Check_Rule::Tree_Project_Stale,
                                    "does not follow the list and the tree, so gprbuild would "
                                    "not build what the run writes" +
                                        Hint));
    }
}

// A GPR file that withs the derived project where it was before it moved: it builds, as
// adaskel-layout keeps that file up to date, but the root then holds two project files,
// and an editor's language server loads neither.
Diagnostic Old_Place(const std::string& Root, const std::string& Gpr, const std::string& Tree) {
    const std::string Old(Base_Name(Old_Tree_Gpr_Path(Root)));
    return Warning(
        Gpr, Check_Rule::Tree_Project_Old_Place,
        "withs the derived project at its old place " + Quote(Old) + ", so " + Quote(Root + "/") +
            " holds two project files and an editor loads neither; to move it, write 'with \"" +
            Tree + "\";' in place of 'with \"" + Old + "\";' and remove " +
            Quote(Old_Tree_Gpr_Path(Root)) + " (adaskel-layout keeps both up to date until then)");
}

// A GPR file of its own sources, which do not follow the list, and how to adopt it.
Diagnostic Not_Derived(const std::string& Root, const std::string& Gpr, const std::string& Tree) {
    const std::string Project = Gpr_Project_Name(Root) + "_Tree";
    return Warning(Gpr, Check_Rule::Gpr_Not_Derived,
                   "does not take its sources from " + Quote(Tree) +
                       ", so its source directories and naming do not follow the list; to "
                       "adopt it, write 'with \"" +
                       Tree + "\";' before its project line, and 'for Source_Dirs use " + Project +
                       ".Source_Dirs;' and 'package Naming renames " + Project +
                       ".Naming;' in place of its own (adaskel-layout rewrites " + Quote(Tree) +
                       " on every run)");
}

} // namespace

Gpr_File_Use Judge_Gpr_File(const Run_Record& Inputs, const Gpr_Withs& Withs, bool Layout_Refuses) {
    Gpr_File_Use Use;
    if (!Withs.Present) {
        return Use;
    }
    const std::string& Root = Root_Name(Inputs);
    const std::string Gpr = Gpr_Path(Root);
    if (Withs.Error != 0) {
        Use.Found.push_back({{Gpr, 0,
                              "cannot read " + Quote(Gpr) + ": " + Errno_Text(Withs.Error) +
                                  ", so gprbuild cannot build the project and the check cannot "
                                  "tell what it takes"},
                             true,
                             Check_Rule::Unreadable_Source});
    }
    const std::string Tree(From_Root(Root, Tree_Gpr_Path(Root)));
    std::string Derived;
    if (Withs.Old_Place) {
        Use.Found.push_back(Old_Place(Root, Gpr, Tree));
        Derived = Old_Tree_Gpr_Path(Root);
    } else if (Withs.Takes_Tree || Withs.Error != 0) {
        Derived = Tree_Gpr_Path(Root);
    } else {
        Use.Found.push_back(Not_Derived(Root, Gpr, Tree));
        Use.Files_Named = false;
    }
    if (!Derived.empty() && !Layout_Refuses) {
        Judge_Tree_Gpr(Inputs, Derived, Use);
    }
    return Use;
}

Diagnostic Tree_Gpr_Refused(const Run_Record& Inputs, const Gpr_Withs& Withs,
                            const Problem& Found) {
    std::string Message = "adaskel-layout " + Escape(Inputs.Project_Name) +
                          " refuses to rewrite it, creating nothing: " + Found.Message;
    // With no GPR file, the one the layout would write is never written. With one that
    // takes its sources from the path refused, gprbuild cannot build where that path holds
    // no file it can read (a directory, a FIFO, a dangling link): the tree it reads from
    // a file there, stale or not, may still build.
    const std::string& Root = Root_Name(Inputs);
    const std::string Taken = Withs.Old_Place ? Old_Tree_Gpr_Path(Root) : Tree_Gpr_Path(Root);
    const bool Unbuildable =
        !Withs.Present || ((Withs.Takes_Tree || Withs.Old_Place) && Found.File == Taken &&
                           !Look_At_Output_Path(Taken).Holds_File);
    if (!Unbuildable) {
        return Warning(Found.File, Check_Rule::Tree_Project_Refused, std::move(Message));
    }
    Message += Withs.Present ? ", and the GPR file takes its sources from it"
                             : ", and so writes no GPR file";
    return {{Found.File, 0, Message + ": gprbuild cannot build the project"},
            true,
            Check_Rule::Tree_Project_Refused};
}

} // namespace adaskel
