// The values of one layout run, owned by its driver: the project's lines, read the run's
// own way but silently, and the layout's own console.
#pragma once

#include "base/console.hpp"
#include "inputs/run_record.hpp"

namespace adaskel {

struct Layout_Record {
    Console Out;       // one line for each directory and file created, on standard output
    Run_Record Inputs; // its console discards the run's messages
};

} // namespace adaskel
