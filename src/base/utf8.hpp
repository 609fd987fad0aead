// UTF-8 as the check's JSON reports and the Alire manifest need it: the exact
// well-formedness of Unicode's table 3-7 (no overlong form, surrogate or value above
// U+10FFFF, which alr refuses as TOML does), and the "\u00XX" escape of a byte that both
// JSON and TOML strings take.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adaskel {

// The length of the well-formed UTF-8 sequence at the start of Text (1 for an ASCII
// byte), or 0 when none starts there.
std::size_t Utf8_Sequence_Length(std::string_view Text);

// Appends Code (below 0x100) to Out as "\u00XX", in lower-case hexadecimal.
void Put_Unicode_Escape(std::string& Out, unsigned Code);

} // namespace adaskel
