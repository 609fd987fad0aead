// The 19-line comment block at the top of every generated file: abstract, copyright line,
// licence lines 295 to 309, run date and version.
#pragma once

#include "driver/failure.hpp"
#include "driver/run_record.hpp"

#include <ctime>
#include <optional>
#include <string>

namespace adaskel {

// First and last licence line of the excerpt every header carries.
inline constexpr std::int32_t Excerpt_First = 295;
inline constexpr std::int32_t Excerpt_Last = 309;

// The two things a block needs beyond the texts a run has read, each judged alone: the
// main unit (the project file's line 2), and the licence lines of the excerpt.
std::optional<Problem> Main_Unit_Problem(const Run_Record& Record);
std::optional<Problem> Excerpt_Problem(const Run_Record& Record);

// The year of Time in the local time zone as the copyright line shows it: a blank (a
// minus sign before a year below 0) and the digits, unpadded (" 999", " 2026").
std::string Local_Year_Image(std::time_t Time);

// Appends the block with the local year read from the clock now, as each file's block
// does. Fails, appending nothing, when the main unit or an excerpt line is missing.
void Write_Header(std::string& Output, const Run_Record& Record);

} // namespace adaskel
