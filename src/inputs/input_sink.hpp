// Where the problems of the input steps go, the program's choice: a run and
// adaskel-layout stop at the first, adaskel-check records every one and goes on. The
// steps themselves are the same for all three (Load_Reference_Texts, Load_Project).
#pragma once

#include "base/failure.hpp"

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

} // namespace adaskel
