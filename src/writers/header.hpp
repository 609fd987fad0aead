// The 19-line comment block at the top of every generated file: abstract, copyright line,
// licence lines 295 to 309, run date and version.
#pragma once

#include "driver/run_record.hpp"

#include <string>

namespace adaskel {

// First and last licence line of the excerpt every header carries.
inline constexpr std::int32_t Excerpt_First = 295;
inline constexpr std::int32_t Excerpt_Last = 309;

// The calendar year of the current time in the local time zone.
int Current_Local_Year();

// The year as Ada's Integer'Image writes it: a blank (or a minus sign) and the digits.
std::string Year_Image(int Year);

// Why no block can be formed from Record ("" when one can): the main unit or a licence
// line of the excerpt is missing.
std::string Header_Problem(const Run_Record& Record);

// Appends the block with the given year. Fails, appending nothing, when the main unit
// or a licence line of the excerpt is missing.
void Append_Header(std::string& Output, const Run_Record& Record, int Year);

// Appends the block with the year read from the clock now, as each file's block does.
void Write_Header(std::string& Output, const Run_Record& Record);

} // namespace adaskel
