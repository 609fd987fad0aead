// adaskel-layout: creates the directories an adaskel run writes into, and a GPR project
// file that builds the tree.
#include "base/entry.hpp"
#include "layout/layout_run.hpp"

#include <span>

int main(int argc, char** argv) {
    adaskel::Layout_Record Layout;
    const std::span<const char* const> All(argv, static_cast<std::size_t>(argc));
    return adaskel::Run_Program(Layout.Out, "adaskel-layout", [&] {
        return adaskel::Layout_Sequence(Layout, All.subspan(All.empty() ? 0 : 1));
    });
}
