// Ada's lexical rules and GNAT's tables: what makes a dotted name an Ada name, how Ada
// compares names, the file name GNAT gives a unit, and the names package Standard and
// GNAT's own library hold.
#include "names/ada_lexicon.hpp"

#include "base/failure.hpp"
#include "base/number_set.hpp"

#include <algorithm>
#include <array>
#include <numeric>

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

// The names package Standard declares, in lower case (ASCII among them, which GNAT's
// listing of Standard leaves out). A library unit of such a name, or under one, conflicts
// with the declaration and the compiler refuses it.
constexpr std::array<std::string_view, 28> Standard_Names = {"boolean",
                                                             "false",
                                                             "true",
                                                             "integer",
                                                             "natural",
                                                             "positive",
                                                             "short_short_integer",
                                                             "short_integer",
                                                             "long_integer",
                                                             "long_long_integer",
                                                             "long_long_long_integer",
                                                             "short_float",
                                                             "float",
                                                             "long_float",
                                                             "long_long_float",
                                                             "character",
                                                             "wide_character",
                                                             "wide_wide_character",
                                                             "string",
                                                             "wide_string",
                                                             "wide_wide_string",
                                                             "duration",
                                                             "constraint_error",
                                                             "program_error",
                                                             "storage_error",
                                                             "tasking_error",
                                                             "numeric_error",
                                                             "ascii"};

// GNAT's top-level units and files, by what the build does with a package of the name.
constexpr std::array<Gnat_Unit, 20> Gnat_Units = {{
    {"ada", Gnat_Treats::Refuses},
    {"interfaces", Gnat_Treats::Refuses},
    {"system", Gnat_Treats::Refuses},
    {"interfac", Gnat_Treats::Refuses_Bind},
    {"memtrack", Gnat_Treats::Takes_Body},
    {"calendar", Gnat_Treats::Gnatmake_Bind},
    {"directio", Gnat_Treats::Gnatmake_Bind},
    {"gnat", Gnat_Treats::Gnatmake_Bind},
    {"ioexcept", Gnat_Treats::Gnatmake_Bind},
    {"machcode", Gnat_Treats::Gnatmake_Bind},
    {"sequenio", Gnat_Treats::Gnatmake_Bind},
    {"text_io", Gnat_Treats::Gnatmake_Bind},
    {"unchconv", Gnat_Treats::Gnatmake_Bind},
    {"unchdeal", Gnat_Treats::Gnatmake_Bind},
    {"direct_io", Gnat_Treats::Gnatmake_Own},
    {"io_exceptions", Gnat_Treats::Gnatmake_Own},
    {"machine_code", Gnat_Treats::Gnatmake_Own},
    {"sequential_io", Gnat_Treats::Gnatmake_Own},
    {"unchecked_conversion", Gnat_Treats::Gnatmake_Own},
    {"unchecked_deallocation", Gnat_Treats::Gnatmake_Own},
}};

// Stands for a wide character in the syntax rules: a letter no reserved word holds.
constexpr char Wide_Letter = '\xc0';

// Letters of Latin-1 identifiers: A to Z, a to z, and 192 to 255 but for 215 and 247.
bool Is_Letter(unsigned char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= 192 && C != 215 && C != 247);
}

bool Is_Digit(unsigned char C) {
    return C >= '0' && C <= '9';
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
// judged (the list's checker warns of it).
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

// A Latin-1 letter in lower case, as Ada compares names.
char Lower_Latin_1(char C) {
    const auto Code = static_cast<unsigned char>(C);
    const bool Upper = (Code >= 'A' && Code <= 'Z') || (Code >= 192 && Code <= 222 && Code != 215);
    return Upper ? static_cast<char>(Code + 32U) : C;
}

} // namespace

std::span<const std::string_view> Standard_Declarations() {
    return Standard_Names;
}

std::span<const Gnat_Unit> Gnat_Top_Level_Units() {
    return Gnat_Units;
}

std::string_view Root_Of(std::string_view Name) {
    return Name.substr(0, Name.find('.'));
}

// The hash of Name's lower case (FNV-1a), formed without a copy of it.
std::size_t Name_Hash(std::string_view Name) {
    return Mix_Hash(std::accumulate(
        Name.begin(), Name.end(), std::uint64_t{0xcbf29ce484222325U},
        [](std::uint64_t Hash, char C) {
            return (Hash ^ static_cast<unsigned char>(Lower_Latin_1(C))) * 0x100000001b3U;
        }));
}

// Whether two names are one to Ada: equal but for letter case.
bool Same_Name(std::string_view Left, std::string_view Right) {
    return Left.size() == Right.size() &&
           std::equal(Left.begin(), Left.end(), Right.begin(),
                      [](char A, char B) { return Lower_Latin_1(A) == Lower_Latin_1(B); });
}

bool Holds_Wide_Character(std::string_view Name) {
    return Without_Brackets(Name).size() != Name.size();
}

bool Is_Standard_Name(std::string_view Lower) {
    return std::find(Standard_Names.begin(), Standard_Names.end(), Lower) != Standard_Names.end();
}

const Gnat_Unit* Gnat_Unit_Named(std::string_view Lower) {
    const auto* Found = std::find_if(Gnat_Units.begin(), Gnat_Units.end(),
                                     [&](const Gnat_Unit& Unit) { return Unit.Name == Lower; });
    return Found == Gnat_Units.end() ? nullptr : Found;
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

std::string To_Lower_Latin_1(std::string_view Text) {
    std::string Lower(Text);
    std::transform(Lower.begin(), Lower.end(), Lower.begin(), Lower_Latin_1);
    return Lower;
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

std::string_view Parent_Of(std::string_view Name) {
    const auto Dot = Name.rfind('.');
    return Dot == std::string_view::npos ? std::string_view() : Name.substr(0, Dot);
}

bool Is_Gnat_Unit(std::string_view Name) {
    const std::string Lower = To_Lower_Latin_1(Root_Of(Name));
    return Gnat_Unit_Named(Lower) != nullptr;
}

std::optional<std::string> Gpr_String_Problem(std::string_view Text) {
    const std::size_t At = Text.find('\xff');
    if (At == std::string_view::npos) {
        return std::nullopt;
    }
    return Quote(Text) + " holds byte '\\xff' at column " + std::to_string(At + 1) +
           ": gprbuild reads it in a string of the GPR file as a NUL byte, and fails";
}

} // namespace adaskel
