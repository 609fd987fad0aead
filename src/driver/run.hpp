// The run sequence: one run from the reference texts to the generated files.
#pragma once

#include "driver/run_record.hpp"

#include <span>

namespace adaskel {

// Exit statuses of a run.
inline constexpr int Exit_Complete = 0;
inline constexpr int Exit_Failure = 1;      // an unhandled failure, reported on standard error
inline constexpr int Exit_Command_Line = 2; // one of the three command-line messages

// Performs the run with the arguments after the program name. Returns the exit status
// of a run that ends by its own path; every other failure is raised as Run_Failure.
int Run_Sequence(Run_Record& Record, std::span<const char* const> Arguments);

// Ends an open console line, then writes "adaskel: <message>" on standard error.
void Report_Failure(Run_Record& Record, std::string_view Message);

} // namespace adaskel
