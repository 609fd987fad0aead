// Forming the GPR project file the user owns, and publishing the files layout writes once.
#include "layout/gpr_file.hpp"

#include "base/path_parts.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/tree_project.hpp"
#include "writers/atomic_file.hpp"
#include "writers/replaced_file.hpp"

namespace adaskel {

std::string Gpr_Text(std::string_view Root, std::string_view Main) {
    const std::string Name = Gpr_Project_Name(Root);
    const std::string Tree(From_Root(Root, Tree_Gpr_Path(Root)));
    const std::string Config(From_Root(Root, Config_Gpr_Path(Root)));
    return "--  The tree adaskel writes. Build it with: gprbuild -P " + Gpr_Path(Root) +
           ", or alr build in " + std::string(Root) +
           "/\n--  Yours to edit: adaskel-layout writes it once. Its sources and naming come "
           "from\n--  " +
           Tree +
           ", which adaskel-layout derives from the list on every run; its\n--  compiler "
           "switches from " +
           Config +
           ", which alr build writes for its build\n--  profile (adaskel-layout writes one "
           "without switches when none is there).\n" +
           "with " + Gpr_Literal(Tree) + ";\nwith " + Gpr_Literal(Config) + ";\nproject " + Name +
           " is\n" + "   for Source_Dirs use " + Name + "_Tree.Source_Dirs;\n" +
           "   package Naming renames " + Name + "_Tree.Naming;\n" + "   for Main use (" +
           Gpr_Literal(Main) +
           ");\n   for Object_Dir use \"obj\";\n   for Exec_Dir use \"bin\";\n" +
           "   package Compiler is\n      for Default_Switches (\"Ada\") use " + Name +
           "_Config.Ada_Compiler_Switches;\n   end Compiler;\nend " + Name + ";\n";
}

std::string Config_Gpr_Text(std::string_view Root) {
    const std::string Name = Gpr_Project_Name(Root) + "_Config";
    return "--  Written by adaskel-layout when none is here, so that gprbuild builds the tree\n"
           "--  without alr: no switches but those of ADAFLAGS. alr build replaces it with its\n"
           "--  own, for the build profile it is given.\n"
           "abstract project " +
           Name + " is\n   Crate_Name := " + Gpr_Literal(Crate_Name(Root)) +
           ";\n   Ada_Compiler_Switches := External_As_List (\"ADAFLAGS\", \" \");\n"
           "   type Build_Profile_Kind is (\"release\", \"validation\", \"development\");\n"
           "   Build_Profile : Build_Profile_Kind := \"development\";\nend " +
           Name + ";\n";
}

std::string Als_Json_Text(std::string_view Root) {
    // The root is an identifier of ASCII letters, digits and underscores: nothing in it
    // needs escaping in a JSON string.
    return "{\n  \"projectFile\": \"" + std::string(Base_Name(Gpr_Path(Root))) + "\"\n}\n";
}

void Write_New_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text) {
    if (Holds_File(Look_In(*Directory, Path))) {
        return;
    }
    Pending_File File = Create_Pending(Directory, Path);
    Put_Line(Out, (Publish_Alone(File, Text) ? "created " : "exists ") + Escape(Path));
}

Text_Source Tree_Gpr_Text(const Run_Record& Inputs) {
    return [&Inputs](const Piece_Sink& Put) {
        const auto Is_File = [](const std::string& Path) {
            return Look_At_Output_Path(Path).Holds_File;
        };
        Put_Tree_Gpr_Text(Inputs, Is_File, Put);
    };
}

std::optional<Problem> Tree_Gpr_Refusal(const Run_Record& Inputs) {
    const std::string& Root = Root_Name(Inputs);
    const std::string Old = Old_Tree_Gpr_Path(Root);
    for (const std::string& Path : {Tree_Gpr_Path(Root), Old}) {
        if (Path == Old && !Look_At_Output_Path(Path).Holds_File) {
            continue; // the old place is rewritten only while a file is there
        }
        if (auto Found = Replacing_Problem(Open_Output_Directory(Directory_Of(Path)), Path,
                                           Tree_Gpr_Text(Inputs))) {
            return Found;
        }
    }
    return std::nullopt;
}

} // namespace adaskel
