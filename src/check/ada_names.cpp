// The Ada name checks. Names are compared as Ada compares them, ignoring letter case
// under the Latin-1 mapping, and each unit is checked against those listed before it.
#include "check/ada_names.hpp"

#include "driver/failure.hpp"

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

// The roots of the hierarchies GNAT keeps for its own units.
constexpr std::array<std::string_view, 4> Predefined_Roots = {"ada", "system", "interfaces",
                                                              "gnat"};

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

std::optional<std::string> Identifier_Problem(std::string_view Part) {
    if (Part.empty()) {
        return "it has an empty part";
    }
    if (!Is_Identifier(Part)) {
        return Quote(Part) + " is not an identifier";
    }
    const std::string Lower = To_Lower_Latin_1(Part);
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

struct Checker {
    std::vector<Diagnostic> Found;
    Seen_Units Seen;                // the units listed before the one being checked
    std::set<std::string> Packages; // every valid package of the project, in lower case
    const Ada_Unit* Main = nullptr; // the main procedure, when its name is valid

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

// A unit in a predefined hierarchy, or named as its root: GNAT refuses to bind it.
bool Check_Predefined(Checker& Check, const Ada_Unit& Unit) {
    const std::string Root = To_Lower_Latin_1(Root_Of(Unit.Name));
    if (std::find(Predefined_Roots.begin(), Predefined_Roots.end(), Root) ==
        Predefined_Roots.end()) {
        return false;
    }
    if (Root.size() == Unit.Name.size()) {
        Check.Error(Unit, Quote(Unit.Name) + " is the name of a predefined package");
    } else {
        Check.Error(Unit, Quote(Unit.Name) + " is in the predefined hierarchy " +
                              Quote(Root_Of(Unit.Name)) + ", which GNAT keeps for its own units");
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
    } else if (Check.Packages.count(Lower) == 0) {
        Check.Warning(Unit, "the parent " + Quote(Parent) + " of " + Quote(Unit.Name) +
                                " is not in the project file");
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
    // A predefined unit's own error says all: its file and parent are GNAT's.
    if (!Check_Predefined(Check, Unit)) {
        Check_File_Name(Check, Unit);
        Check_Parent(Check, Unit);
    }
    Check.Seen.emplace(Lower, &Unit);
}

} // namespace

std::vector<Ada_Unit> Ada_Units_Of(const Run_Record& Record, std::span<const Problem> Unconverted) {
    std::vector<Ada_Unit> Units;
    auto Next_Unconverted = Unconverted.begin();
    for (std::int32_t I = 2; I <= Record.Line_Count; ++I) {
        if (Next_Unconverted != Unconverted.end() && Next_Unconverted->Line == I) {
            ++Next_Unconverted;
            continue;
        }
        const bool Is_Main = I == 2;
        const std::int32_t File_Line = Is_Main ? 1 : I;
        Units.push_back({I, Read(Record.Unit_Names, I),
                         Read(Record.Project_Lines, File_Line) + (Is_Main ? ".adb" : ".ads"),
                         File_Line, Is_Main});
    }
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

std::vector<Diagnostic> Check_Ada_Units(std::span<const Ada_Unit> Units) {
    Checker Check;
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
