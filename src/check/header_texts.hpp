// The reference texts as GNAT reads the header lines they go into. Every generated file
// opens with the same comment lines, so a byte GNAT refuses in a comment, one that ends
// the comment before the line does, or a line longer than GNAT reads, makes every file
// of the run fail to compile.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace adaskel {

// The longest line GNAT reads; a carriage return ends a line as a line feed does.
inline constexpr std::size_t Longest_Gnat_Line = 32765;

// The faults of the header a run would write, each placed at the reference text line
// that causes it. None when no header can be formed: the plan tells that.
std::vector<Problem> Check_Header_Texts(const Run_Record& Record);

} // namespace adaskel
