// The checker of the whole list: each unit of the project judged by the Ada rules, and
// against those listed before it. Names are compared as Ada compares them, ignoring letter
// case under the Latin-1 mapping.
#include "names/ada_names.hpp"

#include "base/failure.hpp"
#include "base/number_set.hpp"
#include "base/path_parts.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/ada_lexicon.hpp"
#include "names/parent_specs.hpp"

#include <algorithm>

namespace adaskel {

namespace {

// The sets of units hold their project lines: a unit's name is read from the record when
// it is compared, so no name is copied however long the list.
struct Checker {
    const Run_Record& Record;
    const std::string& Root; // the project's line 1, the root of the tree
    const File_Test& Is_File;
    bool Files_Named = false; // the GPR file names each unit's file (see header)
    std::vector<Diagnostic> Found{};
    Number_Set Seen{};                      // the first unit of each name listed so far
    Number_Set Packages{};                  // every package of the project with a valid name
    std::optional<Ada_Unit> Main{};         // the main procedure, when its name is valid
    std::vector<std::int32_t> Below{};      // by line, the packages under it; formed on need
    Check_Rule Rule = Check_Rule::Ada_Name; // of the check under way, set before each

    void Error(const Ada_Unit& Unit, std::string Message) {
        Found.push_back({{"", Unit.Line, std::move(Message)}, true, Rule});
    }
    void Warning(const Ada_Unit& Unit, std::string Message) {
        Found.push_back({{"", Unit.Line, std::move(Message)}, false, Rule});
    }
};

// The line of the unit of Set named Name (in any letter case), if it holds one.
std::optional<std::uint32_t> Line_Named(const Checker& Check, const Number_Set& Set,
                                        std::string_view Name) {
    return Find_Number(Set, Name_Hash(Name), [&](std::uint32_t Line) {
        return Same_Name(Read(Check.Record.Unit_Names, static_cast<std::int32_t>(Line)), Name);
    });
}

// Adds Unit to Set, unless it holds a unit of that name already.
void Add_Unit(const Checker& Check, Number_Set& Set, const Ada_Unit& Unit) {
    (void)Add_Number(
        Set, static_cast<std::uint32_t>(Unit.Line), Name_Hash(Unit.Name), [&](std::uint32_t Line) {
            return Same_Name(Read(Check.Record.Unit_Names, static_cast<std::int32_t>(Line)),
                             Unit.Name);
        });
}

void Found_At(Checker& Check, std::int32_t Line, bool Is_Error, std::string Message) {
    Check.Found.push_back({{"", Line, std::move(Message)}, Is_Error, Check.Rule});
}

std::string Line_Note(const Ada_Unit& Unit) {
    return " (line " + std::to_string(Unit.Line) + ")";
}

// A unit named as one of package Standard's declarations, or under one: the compiler
// refuses it (or its child, through it) whichever tool calls it.
bool Check_Standard(Checker& Check, const Ada_Unit& Unit) {
    const std::string_view Root = Root_Of(Unit.Name);
    if (!Is_Standard_Name(To_Lower_Latin_1(Root))) {
        return false;
    }
    const std::string Refused = "conflicts with declaration in package Standard: gprbuild "
                                "refuses to compile it, as gnatmake does";
    if (Root.size() == Unit.Name.size()) {
        Check.Error(Unit, Quote(Unit.Name) + " " + Refused);
    } else {
        Check.Error(Unit, Quote(Unit.Name) + " is under " + Quote(Root) + ", which " + Refused);
    }
    return true;
}

// Under GNAT's own root a unit builds with gprbuild unless GNAT's library has a unit of
// its name with a body, which only GNAT's list of files tells.
void Warn_Gnat_Child(Checker& Check, const Ada_Unit& Unit) {
    Check.Warning(Unit, Quote(Unit.Name) + " is in the hierarchy " + Quote(Root_Of(Unit.Name)) +
                            " of GNAT's own library, which the check does not judge: gprbuild "
                            "builds the project's unit unless GNAT's library has one of that "
                            "name with a body, and refuses it then; gnatmake refuses it (it "
                            "looks for GNAT's shortened file name, or takes GNAT's own unit)");
}

// A top-level unit of GNAT's library as a package of the project, where gprbuild
// refuses it, or builds the project's and only gnatmake does not.
void Check_Gnat_Package(Checker& Check, const Ada_Unit& Unit, Gnat_Treats Treats) {
    const std::string Named = Quote(Unit.Name) + " is also a unit or file of GNAT's own library: ";
    const std::string File = Quote(Gnat_File_Name(Unit.Name, false));
    switch (Treats) {
    case Gnat_Treats::Refuses:
        Check.Error(Unit, Quote(Unit.Name) + " is a language-defined unit: gprbuild refuses to "
                                             "compile it (\"language-defined units cannot be "
                                             "recompiled\")");
        break;
    case Gnat_Treats::Refuses_Bind:
        Check.Error(Unit, Named +
                              "gprbuild refuses to bind it (GNAT's library was compiled "
                              "with GNAT's " +
                              File + ")");
        break;
    case Gnat_Treats::Takes_Body:
        Check.Error(Unit, Named + "gprbuild takes GNAT's body " +
                              Quote(Gnat_File_Name(Unit.Name, true)) + " for it, and refuses it");
        break;
    case Gnat_Treats::Gnatmake_Bind:
        Check.Warning(Unit, Named +
                                "gprbuild builds the project's; gnatmake refuses it (it will "
                                "not bind a file named as GNAT's " +
                                File + ")");
        break;
    case Gnat_Treats::Gnatmake_Own:
        Check.Warning(Unit, Named + "gprbuild builds the project's; gnatmake takes GNAT's own "
                                    "in its place");
        break;
    }
}

// A unit named as one of GNAT's own, or in the hierarchy of one, judged by what gprbuild
// does with it; where gprbuild builds it and only gnatmake does not, a warning says so.
// A main procedure of such a name is refused: the compiler takes GNAT's spec for it. Returns
// whether the unit's diagnostic says all.
bool Check_Predefined(Checker& Check, const Ada_Unit& Unit) {
    const std::string_view Root = Root_Of(Unit.Name);
    const std::string Lower = To_Lower_Latin_1(Root);
    const bool Is_Child = Root.size() < Unit.Name.size();
    const Gnat_Unit* Found = Gnat_Unit_Named(Lower);
    if (Found == nullptr) {
        return false;
    }
    if (Found->Treats == Gnat_Treats::Refuses && Is_Child) {
        Check.Error(Unit, Quote(Unit.Name) + " is under " + Quote(Root) +
                              ": gprbuild refuses it (\"user-defined descendants of package " +
                              std::string(Root) + " are not allowed\")");
    } else if (Is_Child && Lower == "gnat") {
        Warn_Gnat_Child(Check, Unit);
    } else if (Is_Child && Line_Named(Check, Check.Packages, Root) &&
               (Found->Treats == Gnat_Treats::Gnatmake_Bind ||
                Found->Treats == Gnat_Treats::Gnatmake_Own)) {
        // The project's own unit of that name is the parent gprbuild compiles it with.
        Check.Warning(Unit, Quote(Unit.Name) + " is under " + Quote(Root) +
                                ", also a unit or file of GNAT's own library: gprbuild builds "
                                "it under the project's; gnatmake refuses it");
        return false;
    } else if (Is_Child) {
        Check.Error(Unit, Quote(Unit.Name) + " is in the hierarchy " + Quote(Root) +
                              " of GNAT's own library: gprbuild refuses it, as gnatmake does");
    } else if (Unit.Is_Main && Found->Treats != Gnat_Treats::Refuses) {
        Check.Error(Unit, "procedure " + Quote(Unit.Name) +
                              " has the name of a unit of GNAT's own library: gprbuild refuses "
                              "it (the compiler takes GNAT's spec of that name for its own)");
    } else {
        Check_Gnat_Package(Check, Unit, Found->Treats);
    }
    return true;
}

// A file not named as GNAT names it by default is found by gprbuild through the naming
// exception adaskel-layout writes for it in the GPR file; gnatmake looks only where the
// default naming says.
void Check_File_Name(Checker& Check, const Ada_Unit& Unit) {
    const std::string Expected = Gnat_File_Name(Unit.Name, Unit.Is_Main);
    if (Unit.File_Name == Expected) {
        return;
    }
    const std::string Built = ", not " + Quote(Expected) +
                              " as GNAT names it by default: gprbuild builds it through the "
                              "naming exception in adaskel-layout's GPR file; ";
    if (Unit.Is_Main) {
        Check.Warning(Unit, "procedure " + Quote(Unit.Name) + " goes into " +
                                Quote(Unit.File_Name) + " (named by line " +
                                std::to_string(Unit.File_Line) + ")" + Built +
                                "gnatmake builds it with a warning");
    } else {
        Check.Warning(Unit, "package " + Quote(Unit.Name) + " goes into " + Quote(Unit.File_Name) +
                                Built + "gnatmake refuses it (it looks for " + Quote(Expected) +
                                ")");
    }
}

// GNAT's limits on a unit: the main procedure's name, and every file name, which gprbuild
// extends by ".stdout" in the object directory.
void Check_Lengths(Checker& Check, const Ada_Unit& Unit) {
    if (Unit.Is_Main && Unit.Name.size() > Longest_Main_Name) {
        Check.Error(Unit, "the main procedure's name has " + std::to_string(Unit.Name.size()) +
                              " characters: GNAT compiles at most " +
                              std::to_string(Longest_Main_Name) +
                              " and stops with \"Name buffer overflow\" beyond");
    }
    if (Unit.File_Name.size() > Longest_Source_File) {
        Found_At(Check, Unit.File_Line, true,
                 "the file name of " + Quote(Unit.Name) + " has " +
                     std::to_string(Unit.File_Name.size()) +
                     " bytes: gprbuild refuses every "
                     "source file name over " +
                     std::to_string(Longest_Source_File) +
                     " (\"File name too long\", for the '.stdout' file it writes beside the "
                     "objects)");
    }
}

// The names adaskel-layout writes into its GPR file for a unit: the file's directory
// and, where GNAT's default naming would not find the file, the unit's name.
void Check_Gpr_Strings(Checker& Check, const Ada_Unit& Unit) {
    if (auto Problem = Gpr_String_Problem(Unit.File_Name)) {
        Found_At(Check, Unit.File_Line, true, std::move(*Problem));
    } else if (Unit.File_Name != Gnat_File_Name(Unit.Name, Unit.Is_Main)) {
        if (auto Name_Problem = Gpr_String_Problem(Unit.Name)) {
            Check.Error(Unit, std::move(*Name_Problem));
        }
    }
}

// Names equal but for letter case are one unit to Ada. Returns whether Unit is an exact
// repeat, in the same file, of a package listed before.
bool Check_Repeats(Checker& Check, const Ada_Unit& Unit) {
    const auto Earlier = Line_Named(Check, Check.Seen, Unit.Name);
    if (!Earlier) {
        return false;
    }
    const Ada_Unit First = *Ada_Unit_Of(Check.Record, static_cast<std::int32_t>(*Earlier));
    const std::string Case_Note = First.Name == Unit.Name ? "" : ": Ada ignores letter case";
    if (First.Is_Main) {
        Check.Error(Unit, "package " + Quote(Unit.Name) + " has the name of the main procedure " +
                              Quote(First.Name) + Line_Note(First) + Case_Note);
    } else if (!Case_Note.empty()) {
        Check.Error(Unit, Quote(Unit.Name) + " is the same unit as " + Quote(First.Name) +
                              Line_Note(First) + Case_Note);
    } else if (First.File_Name != Unit.File_Name) {
        Check.Error(Unit, Quote(Unit.Name) + " goes into " + Quote(Unit.File_Name) +
                              " here and into " + Quote(First.File_Name) + Line_Note(First) +
                              ": one unit, two files, of which gprbuild compiles one and "
                              "leaves the other dead in the tree");
    } else {
        Check.Warning(Unit, Quote(Unit.Name) + " is listed twice (first at line " +
                                std::to_string(First.Line) + "); its spec file is written once");
        return true;
    }
    return false;
}

// The number of the packages of the list (each name once) under Unit, which fail with
// it: counted for every unit on the first need, in one walk of the list.
std::int32_t Units_Below(Checker& Check, const Ada_Unit& Unit) {
    if (Check.Below.empty()) {
        Check.Below.assign(static_cast<std::size_t>(Check.Record.Line_Count) + 1, 0);
        Each_Ada_Unit(Check.Record, [&](const Ada_Unit& Each) {
            if (Ada_Name_Problem(Each.Name) ||
                Line_Named(Check, Check.Packages, Each.Name) != std::uint32_t(Each.Line)) {
                return; // the main procedure, or a repeat
            }
            for (auto Parent = Parent_Of(Each.Name); !Parent.empty(); Parent = Parent_Of(Parent)) {
                if (const auto Line = Line_Named(Check, Check.Packages, Parent)) {
                    ++Check.Below[*Line];
                }
            }
        });
    }
    const auto First = Line_Named(Check, Check.Packages, Unit.Name);
    return First == std::uint32_t(Unit.Line) ? Check.Below[*First] : 0;
}

// What the tree holds for a missing parent under the spelling of Unit's line: the spec a
// run wrote when a line named the parent so, which GNAT's default naming does not find
// and no naming exception names any more.
std::string Misnamed_Note(const Checker& Check, const Ada_Unit& Unit, const Parent_Specs& Specs) {
    const std::string_view Line = Read(Check.Record.Project_Lines, Unit.Line);
    const std::string_view Spelt = Line.substr(0, Specs.Missing.size());
    const std::string Spec = Spec_Path(Check.Root, Spelt);
    if (Spec == Specs.Missing_Spec || !Check.Is_File(Spec)) {
        return "";
    }
    return "; " + Quote(Spec) + " is there, but GNAT's default naming does not find " +
           Quote(Base_Name(Spec)) + " and no line names it for a naming exception any more";
}

// The error of a unit whose parents stop at one neither listed nor in the tree: the
// parent itself, or one above a parent spec the tree holds; it names the units below.
void Report_Missing_Parent(Checker& Check, const Ada_Unit& Unit, const Parent_Specs& Specs) {
    const std::string_view Child = Specs.Found.empty() ? Unit.Name : Specs.Found.back().Name;
    std::string Message = "the parent " + Quote(Specs.Missing) + " of " + Quote(Child);
    if (!Specs.Found.empty()) {
        Message +=
            " (" + Quote(Specs.Found.back().Path) + ", under which " + Quote(Unit.Name) + " is)";
    }
    Message += " is neither in the project file nor at " + Quote(Specs.Missing_Spec) +
               ": GNAT will not find its spec";
    if (const std::int32_t Below = Units_Below(Check, Unit); Below > 0) {
        Message += ", and refuses " + Quote(Unit.Name) + " and the " + std::to_string(Below) +
                   (Below == 1 ? " unit" : " units") + " below it";
    }
    Check.Error(Unit, Message + Misnamed_Note(Check, Unit, Specs));
}

// GNAT compiles a child only with its parent's spec, and that parent only with its own:
// each a unit of the project, or a spec already in the tree where the run would write it.
void Check_Parent(Checker& Check, const Ada_Unit& Unit) {
    const std::string_view Parent = Parent_Of(Unit.Name);
    if (Parent.empty()) {
        return;
    }
    if (Check.Main && !Unit.Is_Main && Same_Name(Check.Main->Name, Parent)) {
        Check.Error(Unit, "the parent of " + Quote(Unit.Name) + " is the main procedure " +
                              Quote(Check.Main->Name) + Line_Note(*Check.Main) +
                              ": a parent unit must be a package");
        return;
    }
    const auto Is_Listed = [&](std::string_view Name) {
        return Line_Named(Check, Check.Packages, Name).has_value();
    };
    const Parent_Specs Specs = Find_Parent_Specs(Check.Root, Unit.Name, Is_Listed, Check.Is_File);
    if (!Specs.Missing.empty()) {
        Report_Missing_Parent(Check, Unit, Specs);
    }
}

// The body file is named by the root, not by the main procedure: a package whose spec
// file has its name, or whose body file GNAT would look for under it, clashes with it.
void Check_Root_File(Checker& Check, const Ada_Unit& Unit) {
    const std::string Body(Base_Name(Body_Path(Check.Root)));
    const auto Stem = [](std::string_view File) { return File.substr(0, File.rfind('.')); };
    const std::string Note = "package " + Quote(Unit.Name) + " goes into " + Quote(Unit.File_Name) +
                             ", and the main procedure's body file is " + Quote(Body) +
                             " (named by line 1): ";
    if (Stem(Unit.File_Name) == Stem(Body)) {
        Check.Error(Unit, Note + "gprbuild refuses the project (\"" + Body + "\" and \"" +
                              Unit.File_Name + "\" have the same object file name\")");
    } else if (Gnat_File_Name(Unit.Name, true) == Body) {
        Check.Error(Unit, Note +
                              "GNAT's name for the package's body, so the compiler takes it "
                              "for one and refuses the package (\"package \"" +
                              std::string(Unit.Name) + "\" does not allow a body\")");
    }
}

// Notes the main procedure and the packages whose names are valid, so that a parent is
// known wherever it is listed. Returns, for each unit in order, whether its name is valid.
std::vector<bool> Index_Units(Checker& Check) {
    std::vector<bool> Valid;
    Each_Ada_Unit(Check.Record, [&](const Ada_Unit& Unit) {
        Valid.push_back(!Ada_Name_Problem(Unit.Name));
        if (!Valid.back()) {
            return;
        }
        if (Unit.Is_Main) {
            Check.Main = Unit;
        } else {
            Add_Unit(Check, Check.Packages, Unit);
        }
    });
    return Valid;
}

// The checks of a unit with a valid name, against those listed before it.
void Check_Valid_Unit(Checker& Check, const Ada_Unit& Unit) {
    Check.Rule = Check_Rule::Repeated_Unit;
    if (Check_Repeats(Check, Unit)) {
        return; // the first listing had every other check
    }
    // A unit of Standard or of GNAT's has its own diagnostic, which says all.
    Check.Rule = Check_Rule::Standard_Unit;
    const bool Standard = Check_Standard(Check, Unit);
    Check.Rule = Check_Rule::Gnat_Unit;
    if (Standard || Check_Predefined(Check, Unit)) {
        Add_Unit(Check, Check.Seen, Unit);
        return;
    }
    Check.Rule = Check_Rule::Name_Length;
    Check_Lengths(Check, Unit);
    Check.Rule = Check_Rule::Gpr_String;
    Check_Gpr_Strings(Check, Unit);
    if (Holds_Wide_Character(Unit.Name)) {
        Check.Rule = Check_Rule::Wide_Character;
        // Whether it codes a letter, and the file name GNAT makes of it, need the
        // character tables of the whole of Unicode.
        Check.Warning(Unit, Quote(Unit.Name) + " holds a wide character in GNAT's bracket "
                                               "notation, which the check does not judge: "
                                               "GNAT takes it for a letter or a digit only, "
                                               "and names its file its own way");
    } else if (!Check.Files_Named) {
        Check.Rule = Check_Rule::File_Name;
        Check_File_Name(Check, Unit);
    }
    if (!Unit.Is_Main && !(Check.Main && Same_Name(Check.Main->Name, Unit.Name))) {
        Check.Rule = Check_Rule::Body_File_Clash;
        Check_Root_File(Check, Unit); // a package of the main's name has its error
    }
    Check.Rule = Check_Rule::Parent_Unit;
    Check_Parent(Check, Unit);
    Add_Unit(Check, Check.Seen, Unit);
}

} // namespace

std::vector<Diagnostic> Check_Ada_Units(const Run_Record& Record, const File_Test& Is_File,
                                        bool Files_Named) {
    const auto Most = static_cast<std::size_t>(std::max(Record.Line_Count, 0));
    Checker Check{Record, Root_Name(Record), Is_File, Files_Named};
    Check.Seen = Create_Number_Set(Most);
    Check.Packages = Create_Number_Set(Most);
    const std::vector<bool> Valid = Index_Units(Check);
    std::size_t K = 0;
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        if (Valid[K++]) {
            Check_Valid_Unit(Check, Unit);
        } else {
            Check.Rule = Check_Rule::Ada_Name;
            Check.Error(Unit, *Ada_Name_Problem(Unit.Name));
        }
    });
    return std::move(Check.Found);
}

} // namespace adaskel
