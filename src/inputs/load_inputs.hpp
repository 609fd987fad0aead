// The input steps every program takes, in a run's order, written once: the reference
// texts, then the project file and what is derived from it. Where a problem goes is the
// program's choice: a run and adaskel-layout stop at the first, adaskel-check records
// every one and goes on.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <functional>
#include <vector>

namespace adaskel {

struct Input_Sink {
    bool Record_All = false;    // false: the first problem is raised as the run's failure
    std::vector<Problem> Found; // what was recorded, in the order met
};

// Runs one input step; a failure it raises is raised on, or recorded. Returns whether
// the step completed.
bool Take_Step(Input_Sink& Sink, const std::function<void()>& Step);

// The problems of a judge of many items: the first is raised, or all are recorded.
void Take_Problems(Input_Sink& Sink, std::vector<Problem> Problems);

// The run date, "Versions.lst", "Abstract.txt" and "gpl.txt", with their console lines.
// Returns whether the licence text was read whole (its line count then means something).
bool Load_Reference_Texts(Run_Record& Record, Input_Sink& Sink);

// The project stores (of max lines each), the project file, its NUL bytes, the unit
// names and the root line. Returns whether the lines were read and hold no NUL byte:
// names and paths cut at a NUL byte would only mislead, so nothing is derived then.
bool Load_Project(Run_Record& Record, Input_Sink& Sink);

} // namespace adaskel
