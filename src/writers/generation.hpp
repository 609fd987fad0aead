// The generation pass: the body file, then each library unit's spec file, in project-file
// order; a file already at its path is left alone.
#pragma once

#include "inputs/run_record.hpp"

namespace adaskel {

// Creates every missing generated file. Requires the project lines and unit names.
void Generate_Files(Run_Record& Record);

} // namespace adaskel
