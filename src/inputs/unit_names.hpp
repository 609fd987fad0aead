// Turning a dash-separated project line into the dotted unit name an Ada source declares.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace adaskel {

// Why Line cannot be made a unit name by To_Filename, if it cannot: it is empty, or it
// ends with "-".
std::optional<std::string> Unit_Name_Problem(std::string_view Line);

// Rewrites Name in place, keeping its length: its first character and each character
// right after a "-" are raised to upper case, and each "-" becomes ".". Nothing is
// lowered. Name must be non-empty and must not end with "-"; otherwise this fails.
void To_Filename(std::span<char> Name);

} // namespace adaskel
