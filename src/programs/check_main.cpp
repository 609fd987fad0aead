// adaskel-check: tells what adaskel would create, skip and fail on in this directory,
// and what the Ada compiler would refuse, writing nothing.
#include "base/entry.hpp"
#include "check/check_run.hpp"

#include <span>

int main(int argc, char** argv) {
    adaskel::Check_Record Check;
    const std::span<const char* const> All(argv, static_cast<std::size_t>(argc));
    return adaskel::Run_Program(Check.Out, "adaskel-check", [&] {
        return adaskel::Check_Sequence(Check, All.subspan(All.empty() ? 0 : 1));
    });
}
