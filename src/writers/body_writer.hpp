// The main procedure's body file: the header, a with line per library unit, and an
// empty procedure whose only statement is null.
#pragma once

#include "driver/run_record.hpp"

#include <string>

namespace adaskel {

// Appends the whole content of the body file to Output.
void Write_Body_File(std::string& Output, const Run_Record& Record);

} // namespace adaskel
