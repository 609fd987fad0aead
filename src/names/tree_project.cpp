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

std::string_view Parent_Of(std::string_view Name) {
    const auto Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string_view() : Name.substr(0, Dot);
}

// The directory, relative to the root, of the file a run writes for project line Line.
std::string Unit_Dir(const Run_Record& Record, std::size_t Root_Size, std::uint32_t Line) {
    const Output_File File = Output_File_Of(Record, static_cast<std::int32_t>(Line));
    return Directory_Of(File.Path).substr(Root_Size + 1);
}

// The Source_Dirs list as it is formed: each directory once, in the order first met.
// The sets hold project lines, from which a directory or a key is formed again when
// compared, so that they cost a few bytes a unit.
struct Dirs_List {
    const Run_Record& Record;
    const std::string& Root;
    const Piece_Sink& Put;
    Number_Set Unit_Dirs{};              // by the line of the first file in each
    std::set<std::string> Parent_Dirs{}; // of parents not listed, which are few
    bool Started = false;

    // Whether Dir is in the list already (Hash being its hash).
    bool Holds(const std::string& Dir, std::size_t Hash) const {
        return Find_Number(
                   Unit_Dirs, Hash,
                   [&](std::uint32_t Line) { return Unit_Dir(Record, Root.size(), Line) == Dir; })
                   .has_value() ||
               Parent_Dirs.count(Dir) > 0;
    }

    void Put_Dir(std::string_view Dir) {
        Put(Started ? ",\n      " : "     (");
        Put(Gpr_Literal(Dir));
        Started = true;
    }
};

// Puts the directory of each file a run writes, each once.
void Put_Unit_Dirs(Dirs_List& List) {
    Each_Output_File(List.Record, [&](const Output_File& File) {
        const std::string Dir = Directory_Of(File.Path).substr(List.Root.size() + 1);
        const auto Same = [&](std::uint32_t Line) {
            return Unit_Dir(List.Record, List.Root.size(), Line) == Dir;
        };
        if (!Add_Number(List.Unit_Dirs, static_cast<std::uint32_t>(File.Line),
                        std::hash<std::string>{}(Dir), Same)) {
            List.Put_Dir(Dir);
        }
    });
}

// The units of the list by their key, as project lines.
Number_Set Listed_Keys(const Run_Record& Record) {
    Number_Set Listed = Create_Number_Set(static_cast<std::size_t>(Record.Line_Count));
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        const std::string Key = Spec_Key(Unit.Name);
        (void)Add_Number(
            Listed, static_cast<std::uint32_t>(Unit.Line), std::hash<std::string>{}(Key),
            [&](std::uint32_t Line) {
                return Spec_Key(Read(Record.Unit_Names, static_cast<std::int32_t>(Line))) == Key;
            });
    });
    return Listed;
}

// Puts the directory of each parent spec, not listed, that the tree holds where the run
// would write it: the parent rule of the check takes it, so the build must see it.
void Put_Parent_Dirs(Dirs_List& List, const File_Test& Is_File) {
    const Run_Record& Record = List.Record;
    const Number_Set Listed = Listed_Keys(Record);
    const auto Is_Listed = [&](const std::string& Key) {
        return Find_Number(Listed, std::hash<std::string>{}(Key),
                           [&](std::uint32_t Line) {
                               return Spec_Key(Read(Record.Unit_Names,
                                                    static_cast<std::int32_t>(Line))) == Key;
                           })
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
            std::string Dir = Directory_Of(Spec).substr(List.Root.size() + 1);
            if (!List.Holds(Dir, std::hash<std::string>{}(Dir))) {
                List.Put_Dir(Dir);
                List.Parent_Dirs.insert(std::move(Dir));
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
    List.Unit_Dirs = Create_Number_Set(static_cast<std::size_t>(std::max(Record.Line_Count, 1)));
    Put_Unit_Dirs(List);
    Put_Parent_Dirs(List, Is_File);
    Put(");\n   for Source_Files use ();\n   package Naming is\n");
    Put_Naming_Exceptions(Record, Put);
    Put("   end Naming;\nend " + Name + ";\n");
}

} // namespace adaskel
