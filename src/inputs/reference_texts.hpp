// The reference texts every generated header carries: the run date from the clock, the
// version, the abstract, the licence text and the copyright holder's name.
#pragma once

#include "inputs/input_sink.hpp"
#include "inputs/run_record.hpp"

#include <ctime>
#include <string>

namespace adaskel {

// The run date, "Versions.lst" (kept open in the record), "Abstract.txt" and "gpl.txt",
// each with its console lines, before the command line is looked at. Returns whether the
// licence text was read whole (its line count then means something).
bool Load_Reference_Texts(Run_Record& Record, Input_Sink& Sink);

// Second half, after the prompt: Holder_Name from "Copyright", then "Name ok ! ! ! !  ".
void Read_Holder_Name(Run_Record& Record);

// The time in UTC as YYYY-MM-DD HH:MM:SS, the year padded with zeros to four digits.
// Fails for a time outside the years 0 to 9999, which cannot be written so.
std::string Format_Run_Date(std::time_t Time);

} // namespace adaskel
