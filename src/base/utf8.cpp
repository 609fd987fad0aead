// UTF-8 well-formedness and the escape of a byte in a JSON or TOML string.
#include "base/utf8.hpp"

#include <utility>

namespace adaskel {

namespace {

// The range of the second byte of a sequence led by Lead: narrower after E0 and F0 (no
// overlong forms), ED (no surrogates, U+D800 to U+DFFF) and F4 (nothing past U+10FFFF).
std::pair<unsigned, unsigned> Second_Byte_Range(unsigned Lead) {
    switch (Lead) {
    case 0xe0:
        return {0xa0, 0xbf};
    case 0xed:
        return {0x80, 0x9f};
    case 0xf0:
        return {0x90, 0xbf};
    case 0xf4:
        return {0x80, 0x8f};
    default:
        return {0x80, 0xbf};
    }
}

} // namespace

// Lead bytes C0, C1 and F5 to FF would only start overlong forms or code points past
// U+10FFFF, so they start no sequence.
std::size_t Utf8_Sequence_Length(std::string_view Text) {
    if (Text.empty()) {
        return 0;
    }
    const auto Lead = static_cast<unsigned char>(Text[0]);
    const std::size_t Length = Lead < 0x80                   ? 1
                               : Lead >= 0xc2 && Lead < 0xe0 ? 2
                               : Lead >= 0xe0 && Lead < 0xf0 ? 3
                               : Lead >= 0xf0 && Lead < 0xf5 ? 4
                                                             : 0;
    if (Length == 0 || Length > Text.size()) {
        return 0;
    }
    if (Length == 1) {
        return 1;
    }
    const auto [Low, High] = Second_Byte_Range(Lead);
    const auto Second = static_cast<unsigned char>(Text[1]);
    if (Second < Low || Second > High) {
        return 0;
    }
    for (std::size_t K = 2; K < Length; ++K) {
        if ((static_cast<unsigned char>(Text[K]) & 0xc0U) != 0x80) {
            return 0;
        }
    }
    return Length;
}

void Put_Unicode_Escape(std::string& Out, unsigned Code) {
    constexpr std::string_view Hex = "0123456789abcdef";
    Out += "\\u00";
    Out += Hex[(Code >> 4U) & 15U];
    Out += Hex[Code & 15U];
}

} // namespace adaskel
