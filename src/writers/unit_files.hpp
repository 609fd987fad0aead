// The content of the generated files: the header, then the main procedure's body (a with
// line per library unit, in project-file order, repeats kept, and an empty procedure
// whose only statement is null), or a library unit's empty package declaration.
#pragma once

#include "inputs/project_file.hpp"
#include "inputs/run_record.hpp"
#include "writers/header.hpp"

#include <string>

namespace adaskel {

// Appends the whole content of the body file to Output.
void Write_Body_File(std::string& Output, const Run_Record& Record, const Header& Block);

// Appends the whole content of File's spec file to Output.
void Write_Spec_File(std::string& Output, const Run_Record& Record, const Header& Block,
                     const Output_File& File);

} // namespace adaskel
