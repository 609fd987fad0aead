// The tests of the arguments: the regular-file test of the project file, and the
// conversion of max lines. The accepted syntax of max lines:
//   blanks, [+|-], numeral [# based_numeral #], [E|e [+] numeral], blanks
// where a numeral is digits with single underscores between them, a base is 2 to 16
// and the exponent scales by the base. Values are carried saturated so that no
// intermediate result can overflow, however long the text.
#include "driver/command_line.hpp"

#include "driver/failure.hpp"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <sys/stat.h>

namespace adaskel {

namespace {

// Anything above this is out of range for every sign; keeps arithmetic in 64 bits.
constexpr std::uint64_t Saturation = std::uint64_t{1} << 32U;

struct Scanner {
    std::string_view Text;
    std::size_t Position = 0;

    [[nodiscard]] bool At_End() const { return Position >= Text.size(); }
    [[nodiscard]] char Peek() const { return At_End() ? '\0' : Text[Position]; }
};

// The value of C as a digit, or 16 (never a valid digit) when it is not one.
unsigned Digit_Value(char C) {
    if (C >= '0' && C <= '9') {
        return static_cast<unsigned>(C - '0');
    }
    if (C >= 'a' && C <= 'f') {
        return static_cast<unsigned>(C - 'a') + 10U;
    }
    if (C >= 'A' && C <= 'F') {
        return static_cast<unsigned>(C - 'A') + 10U;
    }
    return 16U;
}

// Digits of the given base with single underscores between digits; none if malformed.
std::optional<std::uint64_t> Scan_Numeral(Scanner& In, unsigned Base) {
    std::uint64_t Value = 0;
    bool Expect_Digit = true;
    bool Seen_Digit = false;
    while (!In.At_End()) {
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
        ++In.Position;
    }
    if (!Seen_Digit || Expect_Digit) {
        return std::nullopt;
    }
    return Value;
}

// Value times Base to the power Exponent, saturated.
std::uint64_t Scale(std::uint64_t Value, std::uint64_t Base, std::uint64_t Exponent) {
    for (std::uint64_t K = 0; K < Exponent && Value != 0 && Value < Saturation; ++K) {
        Value = std::min(Value * Base, Saturation);
    }
    return Value;
}

// The based part "#digits#" after a numeral that gave its base; none if malformed.
std::optional<std::uint64_t> Scan_Based(Scanner& In, std::uint64_t Base) {
    if (Base < 2 || Base > 16) {
        return std::nullopt;
    }
    ++In.Position;
    const auto Value = Scan_Numeral(In, static_cast<unsigned>(Base));
    if (!Value || In.Peek() != '#') {
        return std::nullopt;
    }
    ++In.Position;
    return Value;
}

// The magnitude of a literal after its sign, exponent applied; none if malformed.
std::optional<std::uint64_t> Scan_Magnitude(Scanner& In) {
    auto Value = Scan_Numeral(In, 10);
    std::uint64_t Base = 10;
    if (Value && In.Peek() == '#') {
        Base = *Value;
        Value = Scan_Based(In, Base);
    }
    if (!Value || (In.Peek() != 'E' && In.Peek() != 'e')) {
        return Value;
    }
    ++In.Position;
    if (In.Peek() == '+') {
        ++In.Position;
    }
    const auto Exponent = Scan_Numeral(In, 10);
    if (!Exponent) {
        return std::nullopt;
    }
    return Scale(*Value, Base, *Exponent);
}

// Whether Path names an existing regular file (following links). A path that leads to
// nothing is false; an error looking at it fails the run.
bool Is_Regular_File(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) == 0) {
        return S_ISREG(Status.st_mode);
    }
    if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG) {
        return false;
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
    const bool Negative = In.Peek() == '-';
    if (In.Peek() == '-' || In.Peek() == '+') {
        ++In.Position;
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
    if (!Is_Regular_File(Record.Project_Name)) {
        return Argument_Fault::Not_Regular_File;
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

} // namespace adaskel
