// The dotted-name conversion. Each "-" raises the character after it and becomes ".", so
// "a--b" becomes "A..B": the second "-" is raised first (a "-" has no capital), then
// turned into "." itself, and the "b" after it is raised.
#include "inputs/unit_names.hpp"

#include "base/failure.hpp"

#include <algorithm>

namespace adaskel {

namespace {

// Latin-1 upper case of one character: a to z and the small letters 224 to 246 and
// 248 to 254 become their capitals; every other character is returned unchanged.
char To_Upper_Latin_1(char C) {
    const auto Code = static_cast<unsigned char>(C);
    const bool Small_Ascii = Code >= 'a' && Code <= 'z';
    const bool Small_Latin_1 = (Code >= 224 && Code <= 246) || (Code >= 248 && Code <= 254);
    return Small_Ascii || Small_Latin_1 ? static_cast<char>(Code - 32U) : C;
}

} // namespace

std::optional<std::string> Unit_Name_Problem(std::string_view Line) {
    if (Line.empty()) {
        return "empty unit name";
    }
    if (Line.back() == '-') {
        return Quote(Line) + " ends with '-'";
    }
    return std::nullopt;
}

void To_Filename(std::span<char> Name) {
    if (auto Problem = Unit_Name_Problem({Name.data(), Name.size()})) {
        throw Run_Failure("cannot make a unit name: " + *Problem);
    }
    Name.front() = To_Upper_Latin_1(Name.front());
    // Every "-" before the last character turns into "." and raises its successor; the
    // first found is always the leftmost one left, so one forward sweep is the same.
    for (auto Dash = std::find(Name.begin(), Name.end(), '-'); Dash != Name.end();
         Dash = std::find(Dash + 1, Name.end(), '-')) {
        *Dash = '.';
        *(Dash + 1) = To_Upper_Latin_1(*(Dash + 1));
    }
}

} // namespace adaskel
