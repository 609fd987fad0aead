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

enum class Comment_Fault_Kind {
    Illegal_Byte, // a byte GNAT refuses even in a comment
    Ends_Early,   // the byte ends the comment, and what follows on the line is not one
    Too_Long      // the line is longer than GNAT reads
};

struct Comment_Fault {
    Comment_Fault_Kind Kind = Comment_Fault_Kind::Illegal_Byte;
    std::size_t Position = 0; // of the byte; for a line too long, its length
};

// The first fault of Line, a line that starts with "--", as GNAT reads it (Latin-1).
std::optional<Comment_Fault> Comment_Line_Fault(std::string_view Line);

// The faults of the header a run would write, each placed at the reference text line
// that causes it. None when no header can be formed: the plan tells that.
std::vector<Problem> Check_Header_Texts(const Run_Record& Record);

} // namespace adaskel
