// What the check says of files that no longer follow the texts: each drifted field of a
// header, or why adaskel-refresh leaves the file; each field of the crate to write anew.
#pragma once

#include "check/crate_drift.hpp"
#include "check/header_drift.hpp"
#include "names/check_rules.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// The warnings of the file at Path judged as Drift, for the project file Project_Name.
std::vector<Diagnostic> Header_Drift_Findings(const Header_Drift& Drift, const std::string& Path,
                                              std::string_view Project_Name);

// The warning of a field of the crate at Path, which is the user's: no program rewrites it.
Diagnostic Crate_Drift_Finding(const Crate_Field_Drift& Field, const std::string& Path);

} // namespace adaskel
