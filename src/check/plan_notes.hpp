// What the check adds to a line of the plan: the warning of an empty file every run skips,
// and the hint that adaskel-layout creates the missing directory of a file.
#pragma once

#include "check/report.hpp"
#include "names/check_rules.hpp"

#include <functional>
#include <optional>
#include <string>

namespace adaskel {

// The warning of the empty file at Path: every run skips it, so the user has to act.
Diagnostic Empty_File_Warning(const std::string& Path);

// The hint, after a plan line whose file at Path has no directory, that adaskel-layout
// PROJECT_NAME (as shown) creates it; none when the directory is there, or when
// Layout_Blocked says adaskel-layout stops before it.
std::optional<Report_Entry> Layout_Hint(const std::string& Path, const std::string& Project_Name,
                                        const std::function<bool()>& Layout_Blocked);

} // namespace adaskel
