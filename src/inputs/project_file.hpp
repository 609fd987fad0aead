// The project file and the project it describes: the roles of its lines (root, main
// procedure, library units), its lines and their dotted names, and the one list of the
// files a run writes, which every program walks.
#pragma once

#include "base/failure.hpp"
#include "base/number_set.hpp"
#include "inputs/input_sink.hpp"
#include "inputs/run_record.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace adaskel {

// The roles of the project lines: the root of the tree, the main procedure, and from
// First_Unit_Line on one library unit a line.
inline constexpr std::int32_t Root_Line = 1;
inline constexpr std::int32_t Main_Line = 2;
inline constexpr std::int32_t First_Unit_Line = 3;

// The project stores (of max lines each), the project file, its NUL bytes (no path or name
// can hold one), the unit names and the root line. Returns whether the lines were read
// and hold no NUL byte: names and paths cut at a NUL byte would only mislead, so nothing
// is derived then.
bool Load_Project(Run_Record& Record, Input_Sink& Sink);

// Every input of a run, read in its order and silently, the first problem raised: the
// reference texts, the holder's name, the project file. The companions that write take
// their inputs this way, so that they stop where a run would.
void Load_Run_Inputs(Run_Record& Record);

// Copies project lines 2 and later into Unit_Names, then converts each copy in place.
// A line that cannot be converted is left as copied, and its problem returned.
std::vector<Problem> Derive_Unit_Names(Run_Record& Record);

// Whether project line I (2 or later) has become a dotted name.
bool Is_Converted(const Run_Record& Record, std::int32_t I);

// A problem of project line I, reported as "project file 'P' line I: Message".
Problem Line_Problem(const Run_Record& Record, std::int32_t I, std::string Message);

// Project line 1, the root of the generated tree; fails when the file has no line.
const std::string& Root_Name(const Run_Record& Record);

// One file a run writes: the main procedure's body, or a library unit's spec.
struct Output_File {
    std::int32_t Line = Main_Line; // the project line of its unit
    bool Is_Body = true;
    std::string Path; // relative to the current directory
};

// The file a run writes for project line J: the body for Main_Line, else line J's spec.
// Fails when there is no root line.
Output_File Output_File_Of(const Run_Record& Record, std::int32_t J);

// Calls Visit with each file a run writes, in its order: the body file, then each unit's
// spec file in project-file order, repeats included. Fails when there is no root line.
void Each_Output_File(const Run_Record& Record,
                      const std::function<void(const Output_File&)>& Visit);

// Calls Visit with the directory of each file a run writes, in the run's order, each once,
// and returns the set of the project lines of the first file in each. The set holds
// numbers only: a line's directory is formed again to compare, so the walk holds no path
// a unit.
Number_Set Each_Output_Directory(const Run_Record& Record,
                                 const std::function<void(const std::string&)>& Visit);

// Whether Directory is one of the directories of Found, the set Each_Output_Directory
// returned for Record.
bool Is_Output_Directory(const Run_Record& Record, const Number_Set& Found,
                         const std::string& Directory);

} // namespace adaskel
