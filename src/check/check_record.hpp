// The values of one check, owned by its driver: the inputs a run would read, read the
// run's own way but silently, the check's own console, and the counts of its summary.
#pragma once

#include "base/console.hpp"
#include "inputs/run_record.hpp"

#include <cstdint>

namespace adaskel {

struct Check_Record {
    Console Out;               // the check's report, on standard output
    Run_Record Inputs;         // its console discards the run's messages
    bool Input_Failed = false; // the run stops at an input, before it creates any file
    // What the run does, up to where it stops: files created and skipped, and 1 to fail
    // when it stops at an input or a file.
    std::int32_t Creates = 0;
    std::int32_t Skips = 0;
    std::int32_t Fails = 0;
    std::int32_t Errors = 0;
    std::int32_t Warnings = 0;
};

} // namespace adaskel
