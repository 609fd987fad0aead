// What the build will read beyond the files a run writes: the context clause of the main
// body already in the tree, which no run rewrites, so that a unit it withs and the list no
// longer names is found before gprbuild fails on it.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// One unit named in a with clause, as written, and the line it is on.
struct Withed_Unit {
    std::int32_t Line = 0;
    std::string Name;
};

// The units named by the with clauses (limited and private ones included) of the context
// clause that starts Source, up to its library unit; comments and strings are skipped.
std::vector<Withed_Unit> Withed_Units(std::string_view Source);

// A warning, at its line of the body file, for each unit the existing body file withs
// that no line of the list names, no spec in the tree provides to the build (the spec
// of a parent of a listed unit, where a run would write it), and GNAT's library does
// not hold. None when there is no body file.
std::vector<Problem> Unprovided_Withs(const Run_Record& Record);

} // namespace adaskel
