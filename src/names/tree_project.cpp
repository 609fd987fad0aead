// The derived project's text, formed piece by piece: its directories found by the one
// walk of the files a run writes, then the parents the tree holds; its Naming exceptions
// from the units' names.
// Names go into GPR string literals, where a quotation mark is doubled; the layout's name
// rules keep control characters out of them.
#include "names/tree_project.hpp"

#include "base/number_set.hpp"
#include "base/path_parts.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/unit_names.hpp"

#include <algorithm>
#include <optional>
#include <set>

namespace adaskel {

namespace {

// GNAT's file name for a package, without ".ads": the key of a unit whatever its case.
std::string Spec_Key(std::string_view Name) {
    std::string File = Gnat_File_Name(Name, false);
    File.resize(File.size() - 4);
    return File;
}

// Tells whether the unit of a project line has Key.
auto Key_Test(const Run_Record& Record, const std::string& Key) {
    return [&Record, &Key](std::uint32_t Line) {
        return Spec_Key(Read(Record.Unit_Names, static_cast<std::int32_t>(Line))) == Key;
    };
}

// The Source_Dirs list as it is formed: each directory once, in the order first met.
struct Dirs_List {
    const Run_Record& Record;
    const std::string& Root;
    const Piece_Sink& Put;
    Number_Set Unit_Dirs{};              // the directories of the files a run writes
    std::set<std::string> Parent_Dirs{}; // of parents not listed, which are few
    bool Started = false;

    void Put_Dir(std::string_view Dir) {
        Put(Started ? ",\n      " : "     (");
        Put(Gpr_Literal(Dir.substr(Root.size() + 1)));
        Started = true;
    }
};

// The units of the list by their key, as project lines.
Number_Set Listed_Keys(const Run_Record& Record) {
    Number_Set Listed = Create_Number_Set(static_cast<std::size_t>(Record.Line_Count));
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        const std::string Key = Spec_Key(Unit.Name);
        (void)Add_Number(Listed, static_cast<std::uint32_t>(Unit.Line),
                         std::hash<std::string>{}(Key), Key_Test(Record, Key));
    });
    return Listed;
}

// Puts the directory of each parent spec, not listed, that the tree holds where the run
// would write it: the parent rule of the check takes it, so the build must see it.
void Put_Parent_Dirs(Dirs_List& List, const File_Test& Is_File) {
    const Run_Record& Record = List.Record;
    const Number_Set Listed = Listed_Keys(Record);
    const auto Is_Listed = [&](const std::string& Key) {
        return Find_Number(Listed, std::hash<std::string>{}(Key), Key_Test(Record, Key))
            .has_value();
    };
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        for (std::string_view Parent = Parent_Of(Unit.Name); !Parent.empty();
             Parent = Parent_Of(Parent)) {
            const std::string Key = Spec_Key(Parent);
            if (Is_Listed(Key)) {
                break;
            }
            const std::string Spec = Spec_Path(List.Root, Key);
            if (!Is_File(Spec)) {
                break;
            }
            std::string Dir = Directory_Of(Spec);
            if (!Is_Output_Directory(Record, List.Unit_Dirs, Dir) &&
                List.Parent_Dirs.insert(Dir).second) {
                List.Put_Dir(Dir);
            }
        }
    });
}

// The Naming exception of Unit, "for Spec ("Name") use "File";", when its file is not
// named as GNAT expects; none for a name in GNAT's bracket notation, left to default
// naming, since the check does not judge it.
std::optional<std::string> Naming_Exception(const Ada_Unit& Unit) {
    if (Unit.File_Name == Gnat_File_Name(Unit.Name, Unit.Is_Main) ||
        Unit.Name.find("[\"") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(Unit.Is_Main ? "for Body (" : "for Spec (") + Gpr_Literal(Unit.Name) +
           ") use " + Gpr_Literal(Unit.File_Name) + ";";
}

// Puts the Naming exceptions of the units, each once.
void Put_Naming_Exceptions(const Run_Record& Record, const Piece_Sink& Put) {
    Number_Set Seen = Create_Number_Set(static_cast<std::size_t>(Record.Line_Count));
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        const auto Line = Naming_Exception(Unit);
        if (!Line) {
            return;
        }
        const auto Same = [&](std::uint32_t Earlier) {
            return Naming_Exception(*Ada_Unit_Of(Record, static_cast<std::int32_t>(Earlier))) ==
                   Line;
        };
        if (!Add_Number(Seen, static_cast<std::uint32_t>(Unit.Line),
                        std::hash<std::string>{}(*Line), Same)) {
            Put("      " + *Line + "\n");
        }
    });
}

} // namespace

std::string Gpr_Literal(std::string_view Text) {
    std::string Quoted = "\"";
    for (const char C : Text) {
        Quoted += C;
        if (C == '"') {
            Quoted += C;
        }
    }
    return Quoted + '"';
}

std::string Gpr_Project_Name(std::string_view Root) {
    std::string Name(Root);
    To_Filename(Name);
    return Name;
}

void Put_Tree_Gpr_Text(const Run_Record& Record, const File_Test& Is_File, const Piece_Sink& Put) {
    const std::string& Root = Root_Name(Record);
    const std::string Name = Gpr_Project_Name(Root) + "_Tree";
    Put("--  Generated by adaskel-layout from the project list and the tree, and rewritten\n"
        "--  whole on every run: do not edit. " +
        Root + ".gpr takes its sources and naming from here.\n");
    Put("abstract project " + Name + " is\n   Source_Dirs :=\n");
    Dirs_List List{Record, Root, Put};
    List.Unit_Dirs =
        Each_Output_Directory(Record, [&](const std::string& Dir) { List.Put_Dir(Dir); });
    Put_Parent_Dirs(List, Is_File);
    Put(");\n   for Source_Files use ();\n   package Naming is\n");
    Put_Naming_Exceptions(Record, Put);
    Put("   end Naming;\nend " + Name + ";\n");
}

} // namespace adaskel
