// The command line's one conversion: max lines, an integer literal in the syntax that
// Ada users write numbers in (1_000, 16#400#, 1E3, with blanks around and a sign).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace adaskel {

// The value of Text as a signed 32-bit integer literal; none when Text is not exactly one
// literal (blanks before and after aside) or its value is outside the signed 32-bit range.
std::optional<std::int32_t> To_Integer_32(std::string_view Text);

// The value of a max lines argument: a literal of value 1 or more; none otherwise.
std::optional<std::int32_t> To_Max_Lines(std::string_view Text);

// Whether Path names an existing regular file (following links). A path that leads to
// nothing is false; an error looking at it, such as an I/O error or a missing permission,
// fails the run instead, since the file may well be there.
bool Is_Regular_File(const std::string& Path);

} // namespace adaskel
