// JSON string escaping, with the exact UTF-8 well-formedness of Unicode's table 3-7, so
// that no overlong form, surrogate or value above U+10FFFF passes into a report.
#include "base/json_text.hpp"

#include <cstddef>

namespace adaskel {

namespace {

// The length of the well-formed UTF-8 sequence at the start of Text, or 0 for none.
std::size_t Sequence_Length(std::string_view Text) {
    const auto Byte = [&](std::size_t K) { return static_cast<unsigned char>(Text[K]); };
    const unsigned Lead = Byte(0);
    std::size_t Length = 0;
    unsigned Low = 0x80;
    unsigned High = 0xbf; // the range of the second byte
    if (Lead < 0x80) {
        return 1;
    }
    if (Lead >= 0xc2 && Lead <= 0xdf) {
        Length = 2;
    } else if (Lead >= 0xe0 && Lead <= 0xef) {
        Length = 3;
        Low = Lead == 0xe0 ? 0xa0 : Low;
        High = Lead == 0xed ? 0x9f : High;
    } else if (Lead >= 0xf0 && Lead <= 0xf4) {
        Length = 4;
        Low = Lead == 0xf0 ? 0x90 : Low;
        High = Lead == 0xf4 ? 0x8f : High;
    } else {
        return 0;
    }
    if (Text.size() < Length || Byte(1) < Low || Byte(1) > High) {
        return 0;
    }
    for (std::size_t K = 2; K < Length; ++K) {
        if (Byte(K) < 0x80 || Byte(K) > 0xbf) {
            return 0;
        }
    }
    return Length;
}

void Put_Escaped(std::string& Out, unsigned Code) {
    constexpr std::string_view Hex = "0123456789abcdef";
    Out += "\\u00";
    Out += Hex[Code >> 4U];
    Out += Hex[Code & 15U];
}

} // namespace

std::string Json_String(std::string_view Text) {
    std::string Out = "\"";
    Out.reserve(Text.size() + 2);
    for (std::size_t K = 0; K < Text.size();) {
        const auto C = static_cast<unsigned char>(Text[K]);
        const std::size_t Length = Sequence_Length(Text.substr(K));
        if (C == '"' || C == '\\') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C < 0x20 || C == 0x7f || Length == 0) {
            Put_Escaped(Out, C); // a stray byte as the Latin-1 character it is
        } else {
            Out.append(Text.substr(K, Length));
            K += Length;
            continue;
        }
        ++K;
    }
    return Out + '"';
}

} // namespace adaskel
