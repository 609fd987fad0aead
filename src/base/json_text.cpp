// JSON string escaping: a byte that starts no well-formed UTF-8 sequence is escaped, so
// that no overlong form, surrogate or value above U+10FFFF passes into a report.
#include "base/json_text.hpp"

#include "base/utf8.hpp"

#include <cstddef>

namespace adaskel {

std::string Json_String(std::string_view Text) {
    std::string Out = "\"";
    Out.reserve(Text.size() + 2);
    for (std::size_t K = 0; K < Text.size();) {
        const auto C = static_cast<unsigned char>(Text[K]);
        const std::size_t Length = Utf8_Sequence_Length(Text.substr(K));
        if (C == '"' || C == '\\') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C < 0x20 || C == 0x7f || Length == 0) {
            Put_Unicode_Escape(Out, C); // a stray byte as the Latin-1 character it is
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
