// Text as JSON strings: what the check's JSON and SARIF reports are made of. JSON text is
// UTF-8, and the names a report quotes are bytes (GNAT reads Latin-1): a byte that is not
// part of a well-formed UTF-8 sequence is written as the Latin-1 character it is.
#pragma once

#include <string>
#include <string_view>

namespace adaskel {

// Text as a JSON string, in quotation marks: '"', '\' and the control characters escaped,
// well-formed UTF-8 sequences as they are, every other byte as "\u00XX".
std::string Json_String(std::string_view Text);

} // namespace adaskel
