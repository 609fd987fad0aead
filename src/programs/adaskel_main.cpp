// adaskel: writes the Ada source skeletons of a project into its existing tree.
// A thin entry point: the run sequence does the work; the entry reports any failure.
#include "base/entry.hpp"
#include "programs/run.hpp"

#include <span>

int main(int argc, char** argv) {
    adaskel::Run_Record Record;
    const std::span<const char* const> All(argv, static_cast<std::size_t>(argc));
    return adaskel::Run_Program(Record.Out, "adaskel", [&] {
        return adaskel::Run_Sequence(Record, All.subspan(All.empty() ? 0 : 1));
    });
}
