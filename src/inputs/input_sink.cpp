// Raising or recording the problems of the input steps.
#include "inputs/project_file.hpp"

#include <utility>

namespace adaskel {

bool Take_Step(Input_Sink& Sink, const std::function<void()>& Step) {
    if (!Sink.Record_All) {
        Step();
        return true;
    }
    try {
        Step();
        return true;
    } catch (const Run_Failure& Failure) {
        Sink.Found.push_back(Failure.Found);
        return false;
    }
}

void Take_Problems(Input_Sink& Sink, std::vector<Problem> Problems) {
    if (!Sink.Record_All) {
        if (!Problems.empty()) {
            throw Run_Failure(std::move(Problems.front()));
        }
    }
    for (Problem& Found : Problems) {
        Sink.Found.push_back(std::move(Found));
    }
}

} // namespace adaskel
