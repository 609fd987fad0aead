// The main body's with clauses judged against the list, the tree and the projects the
// tree's GPR file withs; the reading itself is the bounded one of check/context_tokens.
#include "check/context_clause.hpp"

#include "base/path_parts.hpp"
#include "check/context_tokens.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/ada_names.hpp"
#include "names/parent_specs.hpp"
#include "writers/output_path.hpp"

#include <map>

namespace adaskel {

namespace {

constexpr std::uint64_t Least_Bound = std::uint64_t{16} * 1024 * 1024;

std::size_t File_Hash(std::string_view File) {
    return Mix_Hash(std::hash<std::string_view>{}(File));
}

// Notes that Name, the parent of a listed unit, provides its spec file, if a unit is
// withed under that file. Files holds, by spec file, whether a parent provides it.
void Note_Provided(std::map<std::string, bool>& Files, std::string_view Name) {
    if (const auto Found = Files.find(Gnat_File_Name(Name, false)); Found != Files.end()) {
        Found->second = true;
    }
}

// Whether a project named in a with clause is the one whose file is called Name: its base
// name, the extension given or not, wherever it is.
bool Is_Project_Named(std::string_view Withed, std::string_view Name) {
    const std::string_view Base = Base_Name(Withed);
    return Base == Name || std::string(Base) + ".gpr" == Name;
}

// Why nothing provides a stale unit, or who may: the projects the GPR file withs.
Diagnostic Stale_With(const std::string& Body, const Withed_Unit& Each, const Gpr_Withs& Gpr,
                      const std::string& Gpr_File) {
    std::string Message = "withs " + Escape(Each.Name) +
                          ", which nothing in the list or the tree provides (renamed or removed?)";
    const bool Own_Sources = Gpr.Present && Gpr.Error == 0 && !Gpr.Takes_Tree;
    if (Own_Sources || Gpr.Error != 0) { // its own source directories may hold it
        return {{Body, Each.Line, Message}, false, Check_Rule::Unprovided_With};
    }
    if (Gpr.Others.empty()) {
        Message += ", and " + Quote(Gpr_File) +
                   (Gpr.Present ? "" : ", as adaskel-layout writes it,") +
                   " withs no other project that could: gprbuild " + "will not find " +
                   Quote(Gnat_File_Name(Each.Name, false));
        return {{Body, Each.Line, Message}, true, Check_Rule::Unprovided_With};
    }
    Message += ", unless a project " + Quote(Gpr_File) + " withs provides it:";
    for (std::size_t J = 0; J < Gpr.Others.size(); ++J) {
        Message += (J == 0 ? " " : ", ") + Quote(Gpr.Others[J]);
    }
    return {{Body, Each.Line, Message}, false, Check_Rule::Unprovided_With};
}

} // namespace

std::vector<Withed_Unit> Withed_Units(std::string_view Source) {
    std::vector<Withed_Unit> Withed;
    Token_Reader Reader{.Bytes = Text_Source_Bytes(Source)};
    Each_Withed(Reader, Token_Kind::Word, [&](const Token& Name) {
        Withed.push_back({Name.Line, Name.Text});
    });
    return Withed;
}

std::uint64_t Context_Bound(const Run_Record& Record) {
    std::uint64_t Bound = Least_Bound;
    for (std::int32_t J = Main_Line; J <= Record.Line_Count; ++J) {
        Bound += Read(Record.Project_Lines, J).size() + 16; // "with NAME ; \n" and a margin
    }
    return Bound;
}

Listed_Files Index_Listed_Files(const Run_Record& Record) {
    Listed_Files Listed{Create_Number_Set(static_cast<std::size_t>(
        Record.Line_Count >= Main_Line ? Record.Line_Count - Main_Line + 1 : 0))};
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        const std::string File = Gnat_File_Name(Unit.Name, false);
        (void)Add_Number(Listed.Lines, static_cast<std::uint32_t>(Unit.Line), File_Hash(File),
                         [&](std::uint32_t Line) {
                             const auto Other =
                                 Ada_Unit_Of(Record, static_cast<std::int32_t>(Line));
                             return Gnat_File_Name(Other->Name, false) == File;
                         });
    });
    return Listed;
}

std::optional<std::int32_t> Listed_Line(const Run_Record& Record, const Listed_Files& Listed,
                                        const std::string& File) {
    const auto Found = Find_Number(Listed.Lines, File_Hash(File), [&](std::uint32_t Line) {
        const auto Other = Ada_Unit_Of(Record, static_cast<std::int32_t>(Line));
        return Gnat_File_Name(Other->Name, false) == File;
    });
    return Found ? std::optional<std::int32_t>(static_cast<std::int32_t>(*Found)) : std::nullopt;
}

Gpr_Withs Read_Gpr_Withs(const Run_Record& Record) {
    const std::string& Root = Root_Name(Record);
    const std::string Path = Gpr_Path(Root);
    Gpr_Withs Withs;
    Withs.Present = Look_At_Output_Path(Path).Holds_File;
    if (!Withs.Present) {
        return Withs;
    }
    // The derived project, at its place or the old one, and the crate's configuration,
    // which holds no sources, are the tree's own: only other projects may provide units.
    const std::string Tree(Base_Name(Tree_Gpr_Path(Root)));
    const std::string Old(From_Root(Root, Old_Tree_Gpr_Path(Root)));
    const std::string Config(Base_Name(Config_Gpr_Path(Root)));
    Withs.Error =
        Read_Withed(Path, Context_Bound(Record), Token_Kind::String, [&](const Token& Each) {
            if (Is_Project_Named(Each.Text, Tree)) {
                Withs.Takes_Tree = true;
                Withs.Old_Place = Withs.Old_Place || (Is_Project_Named(Each.Text, Old) &&
                                                      Base_Name(Each.Text) == Each.Text);
            } else if (!Is_Project_Named(Each.Text, Config)) {
                Withs.Others.push_back(Each.Text);
            }
        }).Error;
    return Withs;
}

std::vector<Diagnostic> Unprovided_Withs(const Run_Record& Record, const Gpr_Withs& Gpr) {
    std::vector<Diagnostic> Found;
    const std::string& Root = Root_Name(Record);
    const std::string Body = Body_Path(Root);
    if (Record.Line_Count < Main_Line || !Look_At_Output_Path(Body).Holds_File) {
        return Found;
    }
    // The body a run writes withs every listed unit, so only the units it withs that the
    // list does not name are kept, however long the list.
    const Listed_Files Listed = Index_Listed_Files(Record);
    std::vector<Withed_Unit> Withed;
    const std::uint64_t Bound = Context_Bound(Record);
    const Context_Read Reading = Read_Withed(Body, Bound, Token_Kind::Word, [&](const Token& Name) {
        if (!Listed_Line(Record, Listed, Gnat_File_Name(Name.Text, false))) {
            Withed.push_back({Name.Line, Name.Text});
        }
    });
    if (Reading.Error != 0) {
        Found.push_back({{Body, 0,
                          "cannot read " + Quote(Body) + ": " + Errno_Text(Reading.Error) +
                              ", so gprbuild cannot compile it and its with clauses are not "
                              "checked"},
                         true,
                         Check_Rule::Unreadable_Source});
        return Found;
    }
    if (Reading.Cut) {
        Found.push_back(
            {{Body, 0,
              "its context clause does not end within its first " + std::to_string(Bound) +
                  " bytes: the with clauses past them are not checked"},
             false,
             Check_Rule::Context_Clause_Cut});
    }
    // The spec file of each unlisted withed unit, and whether a listed unit's parent has
    // that file: the tree provides to the build the specs of parents of listed units (the
    // derived project takes their directories), and no others.
    std::map<std::string, bool> Files;
    for (const Withed_Unit& Each : Withed) {
        Files.emplace(Gnat_File_Name(Each.Name, false), false);
    }
    const auto Is_File = [](const std::string& Path) {
        return Look_At_Output_Path(Path).Holds_File;
    };
    Each_Parent_Spec(Record, Is_File,
                     [&](const Parent_Spec& Spec) { Note_Provided(Files, Spec.Name); });
    for (const Withed_Unit& Each : Withed) {
        if (Files.at(Gnat_File_Name(Each.Name, false)) || Is_Gnat_Unit(Each.Name)) {
            continue;
        }
        Found.push_back(Stale_With(Body, Each, Gpr, Gpr_Path(Root)));
    }
    return Found;
}

} // namespace adaskel
