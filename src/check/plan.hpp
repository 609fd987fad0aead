// The plan: each file a run would handle, in the run's order, and what the run would do
// there. Worked out from the tree as it is now, writing nothing.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <functional>
#include <string>

namespace adaskel {

enum class Plan_Action {
    Create, // the run creates the file
    Exists, // a regular file is there (or the run has made it by then): it is skipped
    Error   // the run fails at this file
};

struct Plan_Line {
    Plan_Action Action = Plan_Action::Create;
    std::string Path;
    Problem Failure{};  // why the run fails here, for an Error
    bool Empty = false; // for Exists: the file there holds no byte
};

// Calls Visit with the plan's line of the body file, then of each library unit's spec
// file, as each is worked out. Needs the project lines (at least one) and the unit names.
// Header problems are judged only when Licence_Read, since a licence text that could not
// be read has no meaningful line count.
void Make_Plan(const Run_Record& Record, bool Licence_Read,
               const std::function<void(const Plan_Line&)>& Visit);

} // namespace adaskel
