// The project file: its lines into Project_Lines, and their dotted forms into Unit_Names.
#pragma once

#include "driver/failure.hpp"
#include "driver/run_record.hpp"

#include <string>
#include <vector>

namespace adaskel {

// Opens the project file, writes "open project file ", stores every line (the bound of
// max lines tested before each line is read), and closes it.
void Read_Project_File(Run_Record& Record);

// The lines, the root included, that hold a NUL byte, one problem each in line order. No
// path or name can hold one: the system would cut it there. A run fails on the first,
// before any file is created; a project file in UTF-16, say, fails at line 1.
std::vector<Problem> Nul_Byte_Problems(const Run_Record& Record);

// Copies project lines 2 and later into Unit_Names, then converts each copy in place.
// A line that cannot be converted is left as copied, and its problem returned: a run
// fails on the first, before any file is created.
std::vector<Problem> Derive_Unit_Names(Run_Record& Record);

// A problem of project line I, reported as "project file 'P' line I: Message".
Problem Line_Problem(const Run_Record& Record, std::int32_t I, std::string Message);

// Project line 1, the root of the generated tree; fails when the file has no line.
const std::string& Root_Name(const Run_Record& Record);

} // namespace adaskel
