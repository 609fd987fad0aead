// Forming the GPR project file the user owns, and publishing the files layout writes once.
#include "layout/gpr_file.hpp"

#include "base/path_parts.hpp"
#include "inputs/paths.hpp"
#include "names/tree_project.hpp"
#include "writers/atomic_file.hpp"

namespace adaskel {

std::string Gpr_Text(std::string_view Root, std::string_view Main) {
    const std::string Name = Gpr_Project_Name(Root);
    const std::string Tree(Base_Name(Tree_Gpr_Path(Root)));
    return "--  The tree adaskel writes. Build it with: gprbuild -P " + Gpr_Path(Root) +
           "\n--  Yours to edit: adaskel-layout writes it once. Its sources and naming come "
           "from\n--  " +
           Tree + ", which adaskel-layout derives from the list on every run.\n" + "with " +
           Gpr_Literal(Tree) + ";\nproject " + Name + " is\n" + "   for Source_Dirs use " + Name +
           "_Tree.Source_Dirs;\n" + "   package Naming renames " + Name + "_Tree.Naming;\n" +
           "   for Main use (" + Gpr_Literal(Main) +
           ");\n   for Object_Dir use \"obj\";\n   for Exec_Dir use \"bin\";\n" + "end " + Name +
           ";\n";
}

void Write_New_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text) {
    if (Holds_File(Look_In(*Directory, Path))) {
        return;
    }
    Pending_File File = Create_Pending(Directory, Path);
    Put_Line(Out, (Publish_Alone(File, Text) ? "created " : "exists ") + Escape(Path));
}

} // namespace adaskel
