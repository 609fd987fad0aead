// The Ada name checks. Names are compared as Ada compares them, ignoring letter case
// under the Latin-1 mapping, and each unit is checked against those listed before it.
#include "names/ada_names.hpp"

#include "base/failure.hpp"
#include "base/path_parts.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace adaskel {

namespace {

// The reserved words of Ada 2012, GNAT's default language version.
constexpr std::array<std::string_view, 73> Reserved_Words = {
    "abort",   "abs",        "abstract",  "accept",    "access",  "aliased",      "all",
    "and",     "array",      "at",        "begin",     "body",    "case",         "constant",
    "declare", "delay",      "delta",     "digits",    "do",      "else",         "elsif",
    "end",     "entry",      "exception", "exit",      "for",     "function",     "generic",
    "goto",    "if",         "in",        "interface", "is",      "limited",      "loop",
    "mod",     "new",        "not",       "null",      "of",      "or",           "others",
    "out",     "overriding", "package",   "pragma",    "private", "procedure",    "protected",
    "raise",   "range",      "record",    "rem",       "renames", "requeue",      "return",
    "reverse", "select",     "separate",  "some",      "subtype", "synchronized", "tagged",
    "task",    "terminate",  "then",      "type",      "until",   "use",          "when",
    "while",   "with",       "xor"};

// GNAT's own top-level units, in lower case: the roots of the language's hierarchies and
// of GNAT's, and the old names the language keeps as renamings. A unit of the project
// with one of these names is never compiled: GNAT takes its own.
constexpr std::array<std::string_view, 12> Predefined_Units = {"ada",
                                                               "calendar",
                                                               "direct_io",
                                                               "gnat",
                                                               "interfaces",
                                                               "io_exceptions",
                                                               "machine_code",
                                                               "sequential_io",
                                                               "system",
                                                               "text_io",
                                                               "unchecked_conversion",
                                                               "unchecked_deallocation"};

// The other top-level files of GNAT's library: a unit named as one is looked for there.
constexpr std::array<std::string_view, 8> Predefined_Files = {
    "directio.ads", "interfac.ads", "ioexcept.ads", "machcode.ads",
    "memtrack.adb", "sequenio.ads", "unchconv.ads", "unchdeal.ads"};

// Stands for a wide character in the syntax rules: a letter no reserved word holds.
constexpr char Wide_Letter = '\xc0';

// Letters of Latin-1 identifiers: A to Z, a to z, and 192 to 255 but for 215 and 247.
bool Is_Letter(unsigned char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= 192 && C != 215 && C != 247);
}

bool Is_Digit(unsigned char C) {
    return C >= '0' && C <= '9';
}

// Latin-1 lower case: A to Z and the capitals 192 to 222 (but 215) gain 32.
std::string To_Lower_Latin_1(std::string_view Text) {
    std::string Lower(Text);
    for (char& C : Lower) {
        const auto Code = static_cast<unsigned char>(C);
        if ((Code >= 'A' && Code <= 'Z') || (Code >= 192 && Code <= 222 && Code != 215)) {
            C = static_cast<char>(Code + 32U);
        }
    }
    return Lower;
}

// The length of GNAT's bracket notation of a wide character at the start of Text
// (["hh"], ["hhhh"], ["hhhhhh"] or ["hhhhhhhh"], in hexadecimal digits), or 0.
std::size_t Bracket_Length(std::string_view Text) {
    if (!Text.starts_with("[\"")) {
        return 0;
    }
    const std::size_t End = Text.find_first_not_of("0123456789abcdefABCDEF", 2);
    const std::size_t Digits = End == std::string_view::npos ? 0 : End - 2;
    const bool Closed = Digits > 0 && Text.substr(End).starts_with("\"]");
    return Closed && Digits % 2 == 0 && Digits <= 8 ? End + 2 : 0;
}

// Text with each bracket notation replaced by Wide_Letter.
std::string Without_Brackets(std::string_view Text) {
    std::string Shape;
    for (std::size_t K = 0; K < Text.size(); ++K) {
        if (const std::size_t Length = Bracket_Length(Text.substr(K)); Length > 0) {
            Shape += Wide_Letter;
            K += Length - 1;
        } else {
            Shape += Text[K];
        }
    }
    return Shape;
}

bool Holds_Wide_Character(std::string_view Name) {
    return Without_Brackets(Name).size() != Name.size();
}

bool Is_Identifier(std::string_view Part) {
    if (Part.empty() || !Is_Letter(static_cast<unsigned char>(Part.front())) ||
        Part.back() == '_' || Part.find("__") != std::string_view::npos) {
        return false;
    }
    return std::all_of(Part.begin(), Part.end(), [](char C) {
        const auto Code = static_cast<unsigned char>(C);
        return Is_Letter(Code) || Is_Digit(Code) || C == '_';
    });
}

// A wide character in bracket notation counts as a letter here; what it codes is not
// judged (see Check_Valid_Unit).
std::optional<std::string> Identifier_Problem(std::string_view Part) {
    if (Part.empty()) {
        return "it has an empty part";
    }
    const std::string Shape = Without_Brackets(Part);
    if (!Is_Identifier(Shape)) {
        return Quote(Part) + " is not an identifier";
    }
    const std::string Lower = To_Lower_Latin_1(Shape);
    if (std::find(Reserved_Words.begin(), Reserved_Words.end(), Lower) != Reserved_Words.end()) {
        return Quote(Part) + " is a reserved word";
    }
    return std::nullopt;
}

std::string_view Root_Of(std::string_view Name) {
    return Name.substr(0, Name.find('.'));
}

std::string_view Parent_Of(std::string_view Name) {
    const auto Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string_view() : Name.substr(0, Dot);
}

// The units seen so far, by their name in lower case.
using Seen_Units = std::map<std::string, const Ada_Unit*>;

template <std::size_t Size>
bool Contains(const std::array<std::string_view, Size>& Names, std::string_view Name) {
    return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

// The file of GNAT's library whose name, but for its extension, is Lower; "" if none.
std::string_view Predefined_File(std::string_view Lower) {
    const auto* File =
        std::find_if(Predefined_Files.begin(), Predefined_Files.end(), [&](std::string_view Name) {
            return Name.substr(0, Name.size() - 4) == Lower;
        });
    return File == Predefined_Files.end() ? std::string_view() : *File;
}

struct Checker {
    std::string_view Root; // the project's line 1, the root of the tree
    const File_Test& Is_File;
    std::vector<Diagnostic> Found;
    Seen_Units Seen;                // the units listed before the one being checked
    std::set<std::string> Packages; // every valid package of the project, in lower case
    const Ada_Unit* Main = nullptr; // the main procedure, when its name is valid
    bool Files_Named = false;       // the GPR file names each unit's file (see header)

    void Error(const Ada_Unit& Unit, std::string Message) {
        Found.push_back({Unit.Line, true, std::move(Message)});
    }
    void Warning(const Ada_Unit& Unit, std::string Message) {
        Found.push_back({Unit.Line, false, std::move(Message)});
    }
};

std::string Line_Note(const Ada_Unit& Unit) {
    return " (line " + std::to_string(Unit.Line) + ")";
}

// A unit named as one of GNAT's own, or in the hierarchy of one: GNAT takes its own
// unit, or refuses to compile or bind. A main procedure under GNAT's root is refused only
// if GNAT's library has a unit of its name, which only GNAT's list of files tells.
bool Check_Predefined(Checker& Check, const Ada_Unit& Unit) {
    const std::string_view Root = Root_Of(Unit.Name);
    const std::string Lower = To_Lower_Latin_1(Root);
    const std::string_view File = Predefined_File(Lower);
    const bool Is_Child = Root.size() < Unit.Name.size();
    if (!File.empty()) {
        Check.Error(Unit, Quote(Root) + " would be taken from " + Quote(File) +
                              ", a file of GNAT's own library");
    } else if (!Contains(Predefined_Units, Lower)) {
        return false;
    } else if (!Is_Child) {
        Check.Error(Unit, Quote(Unit.Name) + " is the name of a predefined unit: GNAT takes "
                                             "its own in its place");
    } else if (Unit.Is_Main && Lower == "gnat") {
        Check.Warning(Unit, "procedure " + Quote(Unit.Name) + " is in the hierarchy " +
                                Quote(Root) +
                                " of GNAT's own library, which the check does "
                                "not judge: GNAT refuses it if the library has "
                                "a unit of that name");
    } else {
        Check.Error(Unit, Quote(Unit.Name) + " is in the predefined hierarchy " + Quote(Root) +
                              ", which GNAT keeps for its own units");
    }
    return true;
}

void Check_File_Name(Checker& Check, const Ada_Unit& Unit) {
    const std::string Expected = Gnat_File_Name(Unit.Name, Unit.Is_Main);
    if (Unit.File_Name == Expected) {
        return;
    }
    if (Unit.Is_Main) {
        // gnatmake builds a main whose file is misnamed, with a warning of its own.
        Check.Warning(Unit, "procedure " + Quote(Unit.Name) + " goes into " +
                                Quote(Unit.File_Name) + " (named by line " +
                                std::to_string(Unit.File_Line) + "), but GNAT expects " +
                                Quote(Expected));
    } else {
        Check.Error(Unit, "package " + Quote(Unit.Name) + " goes into " + Quote(Unit.File_Name) +
                              ", but GNAT looks for it in " + Quote(Expected));
    }
}

// Names equal but for letter case are one unit to Ada. Returns whether Unit is an exact
// repeat, in the same file, of a package listed before.
bool Check_Repeats(Checker& Check, const Ada_Unit& Unit, const std::string& Lower) {
    const auto Earlier = Check.Seen.find(Lower);
    if (Earlier == Check.Seen.end()) {
        return false;
    }
    const Ada_Unit& First = *Earlier->second;
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
                              ": one unit, two files");
    } else {
        Check.Warning(Unit, Quote(Unit.Name) + " is listed twice (first at line " +
                                std::to_string(First.Line) + "); its spec file is written once");
        return true;
    }
    return false;
}

// GNAT compiles a child only with its parent's spec: a unit of the project, or a spec
// already in the tree where the run would write it.
void Check_Parent(Checker& Check, const Ada_Unit& Unit) {
    const std::string_view Parent = Parent_Of(Unit.Name);
    if (Parent.empty()) {
        return;
    }
    const std::string Lower = To_Lower_Latin_1(Parent);
    if (Check.Main != nullptr && !Unit.Is_Main && To_Lower_Latin_1(Check.Main->Name) == Lower) {
        Check.Error(Unit, "the parent of " + Quote(Unit.Name) + " is the main procedure " +
                              Quote(Check.Main->Name) + Line_Note(*Check.Main) +
                              ": a parent unit must be a package");
        return;
    }
    if (Check.Packages.count(Lower) > 0) {
        return;
    }
    const std::string File = Gnat_File_Name(Parent, false);
    const std::string Spec =
        Spec_Path(Check.Root, std::string_view(File).substr(0, File.size() - 4));
    if (!Check.Is_File(Spec)) {
        Check.Error(Unit, "the parent " + Quote(Parent) + " of " + Quote(Unit.Name) +
                              " is neither in the project file nor at " + Quote(Spec) +
                              ": GNAT will not find its spec");
    }
}

// The problem of each unit's name, noting the main procedure and the packages whose
// names are valid, so that a parent is known wherever it is listed.
std::vector<std::optional<std::string>> Index_Units(Checker& Check,
                                                    std::span<const Ada_Unit> Units) {
    std::vector<std::optional<std::string>> Problems;
    for (const Ada_Unit& Unit : Units) {
        Problems.push_back(Ada_Name_Problem(Unit.Name));
        if (Problems.back()) {
            continue;
        }
        if (Unit.Is_Main) {
            Check.Main = &Unit;
        } else {
            Check.Packages.insert(To_Lower_Latin_1(Unit.Name));
        }
    }
    return Problems;
}

// The checks of a unit with a valid name, against those listed before it.
void Check_Valid_Unit(Checker& Check, const Ada_Unit& Unit) {
    const std::string Lower = To_Lower_Latin_1(Unit.Name);
    if (Check_Repeats(Check, Unit, Lower)) {
        return; // the first listing had every other check
    }
    // A predefined unit's own diagnostic says all: its file and parent are GNAT's.
    if (Check_Predefined(Check, Unit)) {
        Check.Seen.emplace(Lower, &Unit);
        return;
    }
    if (Holds_Wide_Character(Unit.Name)) {
        // Whether it codes a letter, and the file name GNAT makes of it, need the
        // character tables of the whole of Unicode.
        Check.Warning(Unit, Quote(Unit.Name) + " holds a wide character in GNAT's bracket "
                                               "notation, which the check does not judge: "
                                               "GNAT takes it for a letter or a digit only, "
                                               "and names its file its own way");
    } else if (!Check.Files_Named) {
        Check_File_Name(Check, Unit);
    }
    Check_Parent(Check, Unit);
    Check.Seen.emplace(Lower, &Unit);
}

} // namespace

std::vector<Ada_Unit> Ada_Units_Of(const Run_Record& Record) {
    std::vector<Ada_Unit> Units;
    if (Record.Line_Count < Main_Line) {
        return Units;
    }
    Each_Output_File(Record, [&](const Output_File& File) {
        if (Is_Converted(Record, File.Line)) {
            Units.push_back({File.Line, Read(Record.Unit_Names, File.Line),
                             std::string(Base_Name(File.Path)),
                             File.Is_Body ? Root_Line : File.Line, File.Is_Body});
        }
    });
    return Units;
}

std::optional<std::string> Ada_Name_Problem(std::string_view Name) {
    for (std::size_t Start = 0;;) {
        const std::size_t Dot = Name.find('.', Start);
        const auto Part = Name.substr(Start, Dot == std::string_view::npos ? Dot : Dot - Start);
        if (auto Problem = Identifier_Problem(Part)) {
            return Quote(Name) + " is not a valid Ada name: " + *Problem;
        }
        if (Dot == std::string_view::npos) {
            return std::nullopt;
        }
        Start = Dot + 1;
    }
}

std::string Gnat_File_Name(std::string_view Name, bool Is_Body) {
    std::string File = To_Lower_Latin_1(Name);
    std::replace(File.begin(), File.end(), '.', '-');
    // Children of a one-letter a, g, i or s would look like the run-time library's own
    // shortened names (a-strfix.ads), so GNAT writes a tilde for their first "-".
    if (File.size() > 1 && File[1] == '-' &&
        std::string_view("agis").find(File[0]) != std::string_view::npos) {
        File[1] = '~';
    }
    return File + (Is_Body ? ".adb" : ".ads");
}

bool Is_Gnat_Unit(std::string_view Name) {
    const std::string Lower = To_Lower_Latin_1(Root_Of(Name));
    return Contains(Predefined_Units, Lower) || !Predefined_File(Lower).empty();
}

std::vector<Diagnostic> Check_Ada_Units(std::span<const Ada_Unit> Units, std::string_view Root,
                                        const File_Test& Is_File, bool Files_Named) {
    Checker Check{Root, Is_File, {}, {}, {}, nullptr, Files_Named};
    const std::vector<std::optional<std::string>> Problems = Index_Units(Check, Units);
    for (std::size_t K = 0; K < Units.size(); ++K) {
        if (Problems[K]) {
            Check.Error(Units[K], *Problems[K]);
        } else {
            Check_Valid_Unit(Check, Units[K]);
        }
    }
    return std::move(Check.Found);
}

} // namespace adaskel
