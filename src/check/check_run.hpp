// The check sequence: the command line, then every input a run reads, in the run's
// order, then the plan, the Ada checks and the summary.
#pragma once

#include "check/check_record.hpp"

#include <span>

namespace adaskel {

// Checks with the arguments after the program name. Returns Exit_Complete when a run
// would complete and GNAT would accept its files, Exit_Problems when not, and
// Exit_Command_Line when the arguments are refused.
int Check_Sequence(Check_Record& Check, std::span<const char* const> Arguments);

inline constexpr int Exit_Problems = 1;

} // namespace adaskel
