// The tests of the arguments: the regular-file test of the project file, and the
// conversion of max lines. The accepted syntax of max lines:
//   blanks, [+|-], numeral [# based_numeral #], [E|e [+] numeral], blanks
// where a numeral is digits with single underscores between them, a base is 2 to 16
// and the exponent scales by the base. Values are carried saturated so that no
// intermediate result can overflow, however long the text.
#include "inputs/command_line.hpp"

#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "inputs/project_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

// Anything above this is out of range for every sign; keeps arithmetic in 64 bits.
constexpr std::uint64_t Saturation = std::uint64_t{1} << 32U;

struct Scanner {
    std::string_view Text;
    std::size_t Position = 0;

    [[nodiscard]] bool At_End() const { return Position >= Text.size(); }
    [[nodiscard]] char Peek() const { return At_End() ? '\0' : Text[Position]; }
    // Moves past C when it comes next.
    bool Skip(char C) {
        if (Peek() != C) {
            return false;
        }
        ++Position;
        return true;
    }
};

// The value of C as a digit, or a value no base has when it is not one.
unsigned Digit_Value(char C) {
    const char Lower = C >= 'A' && C <= 'F' ? static_cast<char>(C - 'A' + 'a') : C;
    return static_cast<unsigned>(std::string_view("0123456789abcdef").find(Lower));
}

// Digits of the given base with single underscores between digits; none if malformed.
std::optional<std::uint64_t> Scan_Numeral(Scanner& In, unsigned Base) {
    std::uint64_t Value = 0;
    bool Expect_Digit = true;
    bool Seen_Digit = false;
    for (; !In.At_End(); ++In.Position) {
        const char C = In.Peek();
        if (C == '_' && !Expect_Digit) {
            Expect_Digit = true;
        } else if (const unsigned Digit = Digit_Value(C); Digit < Base) {
            Value = std::min(Value * Base + Digit, Saturation);
            Expect_Digit = false;
            Seen_Digit = true;
        } else {
            break;
        }
    }
    return Seen_Digit && !Expect_Digit ? std::optional(Value) : std::nullopt;
}

// The based part "#digits#" after a numeral that gave its base; none if malformed.
std::optional<std::uint64_t> Scan_Based(Scanner& In, std::uint64_t Base) {
    if (Base < 2 || Base > 16) {
        return std::nullopt;
    }
    const auto Value = Scan_Numeral(In, static_cast<unsigned>(Base));
    return Value && In.Skip('#') ? Value : std::nullopt;
}

// The magnitude of a literal after its sign, exponent applied; none if malformed.
std::optional<std::uint64_t> Scan_Magnitude(Scanner& In) {
    auto Value = Scan_Numeral(In, 10);
    std::uint64_t Base = 10;
    if (Value && In.Skip('#')) {
        Base = *Value;
        Value = Scan_Based(In, Base);
    }
    if (!Value || !(In.Skip('E') || In.Skip('e'))) {
        return Value;
    }
    In.Skip('+');
    const auto Exponent = Scan_Numeral(In, 10);
    for (std::uint64_t K = 0; Exponent && K < *Exponent && *Value != 0 && *Value < Saturation;
         ++K) {
        *Value = std::min(*Value * Base, Saturation);
    }
    return Exponent ? Value : std::nullopt;
}

// The fault of a project file path that names no existing regular file (following
// links), if it does not. An error looking at it fails the run.
std::optional<Argument_Fault> Project_File_Fault(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) == 0) {
        return S_ISREG(Status.st_mode) ? std::nullopt
                                       : std::optional(Argument_Fault::Not_Regular_File);
    }
    if (errno == ENOENT || errno == ENOTDIR) {
        return Argument_Fault::No_Such_File;
    }
    if (errno == ELOOP || errno == ENAMETOOLONG) {
        return Argument_Fault::Not_Regular_File;
    }
    Raise_System_Failure("cannot open", Path, errno);
}

} // namespace

std::optional<std::int32_t> To_Integer_32(std::string_view Text) {
    const auto First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos) {
        return std::nullopt;
    }
    Text = Text.substr(First, Text.find_last_not_of(' ') - First + 1);
    Scanner In{Text};
    const bool Negative = In.Skip('-');
    if (!Negative) {
        In.Skip('+');
    }
    const auto Magnitude = Scan_Magnitude(In);
    if (!Magnitude || !In.At_End()) {
        return std::nullopt;
    }
    const std::uint64_t Limit = Negative ? std::uint64_t{1} << 31U : (std::uint64_t{1} << 31U) - 1;
    if (*Magnitude > Limit) {
        return std::nullopt;
    }
    const auto Signed = static_cast<std::int64_t>(*Magnitude);
    return static_cast<std::int32_t>(Negative ? -Signed : Signed);
}

std::optional<std::int32_t> To_Max_Lines(std::string_view Text) {
    const auto Value = To_Integer_32(Text);
    if (!Value || *Value < 1) {
        return std::nullopt;
    }
    return Value;
}

std::optional<Argument_Fault> Accept_Arguments(Run_Record& Record,
                                               std::span<const char* const> Arguments) {
    if (Arguments.empty()) {
        return Argument_Fault::No_Project_File;
    }
    Record.Project_Name = Arguments[0];
    if (const auto Fault = Project_File_Fault(Record.Project_Name)) {
        return Fault;
    }
    if (Arguments.size() > 1) {
        const auto Max_Lines = To_Max_Lines(Arguments[1]);
        if (!Max_Lines) {
            return Argument_Fault::Max_Lines_Not_Positive;
        }
        Record.Max_Lines = *Max_Lines;
    }
    return std::nullopt;
}

namespace {

std::string Usage(std::string_view Program) {
    return "usage: " + std::string(Program) + " PROJECT_FILE [MAX_LINES]\n";
}

} // namespace

bool Answer_Information(Console& Out, std::string_view Program, std::string_view Help,
                        std::span<const char* const> Arguments) {
    const std::string_view First = Arguments.empty() ? "" : Arguments[0];
    if (First == "--help") {
        Put_Line(Out, Usage(Program) + std::string(Help));
    } else if (First == "--version") {
        Put_Line(Out, std::string(Program) + " " ADASKEL_VERSION);
    }
    return First == "--help" || First == "--version";
}

void Report_Refusal(std::string_view Program, Argument_Fault Fault,
                    std::span<const char* const> Arguments) {
    std::string Text(Program);
    if (Fault == Argument_Fault::No_Project_File) {
        Text += ": no project file given";
    } else if (Fault == Argument_Fault::No_Such_File) {
        Text += ": " + Quote(Arguments[0]) + " does not exist";
    } else if (Fault == Argument_Fault::Not_Regular_File) {
        Text += ": " + Quote(Arguments[0]) + " is not a regular file";
    } else {
        Text += ": max lines " + Quote(Arguments[1]) + " is not a positive integer";
    }
    Text += '\n' + Usage(Program);
    Write_All(STDERR_FILENO, Text);
}

std::optional<int> Start_Companion(Console& Out, Run_Record& Inputs, std::string_view Program,
                                   std::string_view Help, std::span<const char* const> Arguments) {
    if (Answer_Information(Out, Program, Help, Arguments)) {
        return Exit_Complete;
    }
    if (const auto Fault = Accept_Arguments(Inputs, Arguments)) {
        Report_Refusal(Program, *Fault, Arguments);
        return Exit_Command_Line;
    }
    Load_Run_Inputs(Inputs);
    return std::nullopt;
}

} // namespace adaskel
