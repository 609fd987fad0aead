// The 19-line comment block at the top of every generated file: abstract, copyright line,
// licence lines 295 to 309, run date and version. The block is the same bytes in every
// file of a run, so it is formed once, with the place in the reference texts that each
// line's text comes from.
#pragma once

#include "base/failure.hpp"
#include "inputs/project_file.hpp"
#include "inputs/run_record.hpp"

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// First and last licence line of the excerpt every header carries.
inline constexpr std::int32_t Excerpt_First = 295;
inline constexpr std::int32_t Excerpt_Last = 309;

// The two things a block needs beyond the texts a run has read, each judged alone: the
// main unit (the project file's line 2), and the licence lines of the excerpt.
std::optional<Problem> Main_Unit_Problem(const Run_Record& Record);
std::optional<Problem> Excerpt_Problem(const Run_Record& Record);

// One line of the block, and the reference text its text is taken from.
struct Header_Line {
    std::size_t Offset = 0;       // where the line starts in the block
    std::string_view File;        // the reference text; empty for a line of no text (the date)
    std::int32_t Source_Line = 0; // its line in File
    std::size_t Start = 0;        // where the text starts in the header line
    std::size_t Size = 0;         // the length of the text
    std::size_t First_Column = 1; // the column in its own line of the text's first byte
};

struct Header {
    std::string Text;               // the 19 lines, each ending in a line feed
    std::vector<Header_Line> Lines; // in order
};

// The year of Time in the local time zone as the copyright line shows it: a blank (a
// minus sign before a year below 0) and the digits, unpadded (" 999", " 2026").
std::string Local_Year_Image(std::time_t Time);

// The block, with the local year read from the clock now. Fails when the main unit or an
// excerpt line is missing.
Header Form_Header(const Run_Record& Record);

} // namespace adaskel
