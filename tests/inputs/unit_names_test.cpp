// Tests of the dotted-name conversion: which characters are raised, and its preconditions.
#include "driver/failure.hpp"
#include "inputs/unit_names.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace adaskel {
namespace {

std::string Converted(std::string Name) {
    To_Filename(Name);
    return Name;
}

TEST(ToFilename, RaisesFirstAndAfterDashOnly) {
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"proj", "Proj"},
        {"proj-io", "Proj.Io"},
        {"tree-node-list", "Tree.Node.List"},
        {"a--b", "A..B"},
        {"a---b", "A...B"},
        {"gui-x11", "Gui.X11"},
        {"ABC-def", "ABC.Def"},
        {"my_unit", "My_unit"},
        {"mIXed-cASE", "MIXed.CASE"},
        {"-a", ".A"},
        {" x - y", " x . y"},
        {"\xe9t\xe9-\xe0-\xf7-\xff-\xfe", "\xc9t\xe9.\xc0.\xf7.\xff.\xde"},
        {"x", "X"},
    };
    for (const auto& [Line, Name] : Cases) {
        EXPECT_EQ(Converted(Line), Name) << Line;
    }
}

TEST(ToFilename, RejectsEmptyNamesAndTrailingDash) {
    for (const std::string Line : {"", "a-", "a--", "-"}) {
        std::string Name = Line;
        EXPECT_THROW(To_Filename(Name), Run_Failure) << Line;
        EXPECT_EQ(Name, Line); // nothing changed before the failure
    }
}

} // namespace
} // namespace adaskel
