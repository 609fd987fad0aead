// Formatting of failure reports: quoting of names and the text of system errors.
#include "base/failure.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

namespace adaskel {

std::string Escape(std::string_view Name) {
    static constexpr std::array<char, 16> Hex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                 '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    // Most names need no escape: their bytes up to the first that does are copied whole.
    const auto Plain = std::find_if(Name.begin(), Name.end(), [](char C) {
        const auto Code = static_cast<unsigned char>(C);
        return Code < 0x20 || Code == 0x7f || C == '\\';
    });
    std::string Result(Name.begin(), Plain);
    if (Plain == Name.end()) {
        return Result;
    }
    Result.reserve(Name.size() + 8);
    for (const char C : Name.substr(static_cast<std::size_t>(Plain - Name.begin()))) {
        const auto Code = static_cast<unsigned char>(C);
        if (C == '\n') {
            Result += "\\n";
        } else if (C == '\r') {
            Result += "\\r";
        } else if (C == '\t') {
            Result += "\\t";
        } else if (C == '\\') {
            Result += "\\\\";
        } else if (Code < 0x20 || Code == 0x7f) {
            Result += "\\x";
            Result += Hex[Code >> 4U];
            Result += Hex[Code & 0xfU];
        } else {
            Result += C;
        }
    }
    return Result;
}

// Built by appending to one string: g++ 12 flags the operator+ chain of a literal and a
// temporary with a bogus -Wrestrict in optimised builds.
std::string Quote(std::string_view Name) {
    std::string Quoted(1, '\'');
    Quoted += Escape(Name.substr(0, Quoted_Bytes));
    Quoted += '\'';
    if (Name.size() > Quoted_Bytes) {
        Quoted += "... (";
        Quoted += std::to_string(Name.size());
        Quoted += " bytes)";
    }
    return Quoted;
}

std::string Shorten(std::string_view Name) {
    if (Name.size() <= Quoted_Bytes) {
        return Escape(Name);
    }
    std::string Short = Escape(Name.substr(0, Quoted_Bytes));
    Short += "... (";
    Short += std::to_string(Name.size());
    Short += " bytes)";
    return Short;
}

std::string Errno_Text(int Error_Number) {
    std::string Text = std::strerror(Error_Number);
    if (!Text.empty()) {
        Text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(Text[0])));
    }
    return Text;
}

void Raise_System_Failure(std::string_view What, std::string_view Path, int Error_Number,
                          std::int32_t Line) {
    throw Run_Failure(
        Problem{std::string(Path), Line,
                std::string(What) + " " + Quote(Path) + ": " + Errno_Text(Error_Number)});
}

} // namespace adaskel
