// The command line: the tests of the arguments, in a run's order, and its one conversion,
// max lines, an integer literal in the syntax that Ada users write numbers in (1_000,
// 16#400#, 1E3, with blanks around and a sign).
#pragma once

#include "base/console.hpp"
#include "inputs/run_record.hpp"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace adaskel {

// The value of Text as a signed 32-bit integer literal; none when Text is not exactly one
// literal (blanks before and after aside) or its value is outside the signed 32-bit range.
std::optional<std::int32_t> To_Integer_32(std::string_view Text);

// The value of a max lines argument: a literal of value 1 or more; none otherwise.
std::optional<std::int32_t> To_Max_Lines(std::string_view Text);

// The conditions that refuse a command line; each program words them its own way (a
// run says the same of a path that leads to nothing as of one that is no regular file).
enum class Argument_Fault {
    No_Project_File,       // no argument
    No_Such_File,          // argument 1 leads to nothing
    Not_Regular_File,      // argument 1 names something other than a regular file
    Max_Lines_Not_Positive // argument 2 is not a literal of value 1 or more
};

// Tests the arguments after the program name, in a run's order, and fills Project_Name
// and Max_Lines with those that pass; the first fault found, if any. An error looking at
// argument 1, such as a missing permission, fails instead: the file may well be there.
std::optional<Argument_Fault> Accept_Arguments(Run_Record& Record,
                                               std::span<const char* const> Arguments);

// Answers "--help" (the usage line, then Help) or "--version" given as the first argument
// of a companion program, on Out; a project file of either name is written ./--help.
// Returns whether one was answered.
bool Answer_Information(Console& Out, std::string_view Program, std::string_view Help,
                        std::span<const char* const> Arguments);

// Refuses the command line of a companion program on standard error: Fault in the
// program's words ("<Program>: no project file given", ...), then its usage line.
void Report_Refusal(std::string_view Program, Argument_Fault Fault,
                    std::span<const char* const> Arguments);

// The start of a companion that reads a run's inputs: "--help" and "--version" answered,
// the arguments taken as a run takes them, then the run's inputs read in its order (a
// failure raised). The exit status when the program ends there (Exit_Complete once
// answered, Exit_Command_Line once refused); none when it goes on.
std::optional<int> Start_Companion(Console& Out, Run_Record& Inputs, std::string_view Program,
                                   std::string_view Help, std::span<const char* const> Arguments);

} // namespace adaskel
