// The run sequence: one run from the reference texts to the generated files.
#pragma once

#include "base/entry.hpp"
#include "inputs/run_record.hpp"

#include <span>

namespace adaskel {

// Performs the run with the arguments after the program name. Returns the exit status
// of a run that ends by its own path; every other failure is raised as Run_Failure.
int Run_Sequence(Run_Record& Record, std::span<const char* const> Arguments);

} // namespace adaskel
