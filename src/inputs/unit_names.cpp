// The dotted-name conversion. The search for the next "-" restarts from the first
// character each time, so "a--b" becomes "A..B": the second "-" is met as the character
// after the first, stays "-" under upper-casing, and is turned into "." by the next pass.
#include "inputs/unit_names.hpp"

#include "driver/failure.hpp"

#include <algorithm>

namespace adaskel {

char To_Upper_Latin_1(char C) {
    const auto Code = static_cast<unsigned char>(C);
    const bool Small_Ascii = Code >= 'a' && Code <= 'z';
    const bool Small_Latin_1 = (Code >= 224 && Code <= 246) || (Code >= 248 && Code <= 254);
    return Small_Ascii || Small_Latin_1 ? static_cast<char>(Code - 32U) : C;
}

std::string Unit_Name_Problem(std::string_view Line) {
    if (Line.empty()) {
        return "empty unit name";
    }
    if (Line.back() == '-') {
        return Quote(Line) + " ends with '-'";
    }
    return {};
}

void To_Filename(std::span<char> Name) {
    if (Name.empty()) {
        throw Run_Failure("cannot make a unit name of an empty line");
    }
    if (Name.back() == '-') {
        throw Run_Failure("cannot make a unit name of a line ending in '-'");
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
