// A library unit's .ads file: the header and an empty package declaration.
#pragma once

#include "driver/run_record.hpp"

#include <cstdint>
#include <string>

namespace adaskel {

// Appends the whole content of the spec file of the unit at project line J to Output.
void Write_Spec_File(std::string& Output, const Run_Record& Record, std::int32_t J);

} // namespace adaskel
