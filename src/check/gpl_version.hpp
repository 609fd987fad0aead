// The warning of a gpl.txt that is the GPL version 3, whose lines the header quotes are
// not a notice.
#pragma once

#include "inputs/run_record.hpp"
#include "names/check_rules.hpp"

#include <optional>

namespace adaskel {

// The warning at gpl.txt when it is the GPL version 3; none otherwise.
std::optional<Diagnostic> Gpl_3_Warning(const Run_Record& Inputs);

} // namespace adaskel
