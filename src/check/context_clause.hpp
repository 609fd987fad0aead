// What the build will read beyond the files a run writes: the context clause of the main
// body already in the tree, which no run rewrites, so that a unit it withs and the list no
// longer names is found before gprbuild fails on it; and the projects the tree's GPR file
// withs, which may provide such a unit.
#pragma once

#include "base/failure.hpp"
#include "base/number_set.hpp"
#include "inputs/run_record.hpp"
#include "names/check_rules.hpp"

#include <cstdint>
#include <optional>
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
// clause that starts Source, up to its library unit; comments and literals are skipped.
std::vector<Withed_Unit> Withed_Units(std::string_view Source);

// The most bytes of a source the check reads for its context clause: far more than the
// body a run writes for this list, whose with clauses name each unit once, so that only
// a file made to be long is cut, and the check's time stays bounded on it.
std::uint64_t Context_Bound(const Run_Record& Record);

// The listed units by the spec file GNAT looks for (a unit listed twice once, at its first
// line), so that a withed name is looked up without a copy of the list.
struct Listed_Files {
    Number_Set Lines;
};

Listed_Files Index_Listed_Files(const Run_Record& Record);

// The first project line whose unit GNAT looks for in the spec file File, if any.
std::optional<std::int32_t> Listed_Line(const Run_Record& Record, const Listed_Files& Listed,
                                        const std::string& File);

// What the tree's GPR file withs, as far as the build can tell a unit's provider.
struct Gpr_Withs {
    bool Present = false;            // a file is there (when not, adaskel-layout writes one that
                                     // withs the derived project alone)
    int Error = 0;                   // the errno of a reading that failed
    bool Takes_Tree = false;         // it withs the derived project
    bool Old_Place = false;          // at its old place, beside it in the root
    std::vector<std::string> Others; // the other projects it withs, as written
};

// Reads the with clauses of the tree's GPR file.
Gpr_Withs Read_Gpr_Withs(const Run_Record& Record);

// For the existing body file: an error when it cannot be read, a warning when its context
// clause is too long to read whole, and for each unit it withs that no line of the list
// names, no spec in the tree provides to the build (the spec of a parent of a listed
// unit, where a run would write it), and GNAT's library does not hold, an error when no
// other project can provide it and a warning naming those that may. None when there is no
// body file.
std::vector<Diagnostic> Unprovided_Withs(const Run_Record& Record, const Gpr_Withs& Gpr);

} // namespace adaskel
