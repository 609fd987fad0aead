// Tests of the dotted-name conversion and of the paths built from raw project lines.
#include "driver/failure.hpp"
#include "inputs/paths.hpp"
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

TEST(ToUpperLatin1, MapsExactlyTheSmallLetters) {
    for (int Code = 0; Code < 256; ++Code) {
        const bool Small =
            (Code >= 'a' && Code <= 'z') || (Code >= 224 && Code <= 254 && Code != 247);
        const auto Expected = static_cast<char>(Small ? Code - 32 : Code);
        EXPECT_EQ(To_Upper_Latin_1(static_cast<char>(Code)), Expected) << Code;
    }
}

TEST(Paths, BuildFromRawLines) {
    EXPECT_EQ(Body_Path("proj"), "proj/proj/src/proj.adb");
    EXPECT_EQ(Spec_Path("proj", "proj-io"), "proj/proj-io/src/lib/proj-io.ads");
    EXPECT_EQ(Spec_Path("proj", "ABC-def"), "proj/ABC-def/src/lib/ABC-def.ads");
    EXPECT_EQ(Body_Path(""), "//src/.adb");
    EXPECT_EQ(Body_Path("a b").size(), 3 * 3 + 10U);
    EXPECT_EQ(Spec_Path("r", "u u").size(), 1 + 2 * 3 + 14U);
    EXPECT_EQ(Directory_Of("proj/proj/src/proj.adb"), "proj/proj/src");
    EXPECT_EQ(Directory_Of("/x"), "/");
    EXPECT_EQ(Directory_Of("x"), ".");
}

} // namespace
} // namespace adaskel
