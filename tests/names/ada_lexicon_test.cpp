// Tests of Ada's lexical rules and GNAT's file names, on the dotted names a run derives.
#include "names/ada_lexicon.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace adaskel {
namespace {

// Each name and a fragment of its problem ("" for a valid name).
TEST(AdaNameProblem, TellsAdaNames) {
    const std::vector<std::pair<std::string, std::string>> Rows = {
        {"\xc9t\xe9", ""}, // Latin-1 letters
        {"\xdbn.\xc9t\xe9", ""},
        {"\xdf\xfe", ""},
        {"Util.Util", ""},
        {"X[\"0391\"]", ""}, // a wide character counts as a letter
        {"Some", "'Some' is a reserved word"},
        {"Xor.X", "'Xor' is a reserved word"},
        {"My unit", "'My unit' is not an identifier"},
        {"2x", "'2x' is not an identifier"},
        {"A__b", "'A__b' is not an identifier"},
        {"Util_", "'Util_' is not an identifier"},
        {"_u", "'_u' is not an identifier"},
        {"A..B", "it has an empty part"},
        // The Latin-1 multiplication sign is no letter, nor is UTF-8's second byte of é.
        {"\xe0\xd7", "is not an identifier"},
        {"\xc3\xa9t\xc3\xa9", "is not an identifier"},
        {"X[\"0391\"", "is not an identifier"},
        {"X[\"039\"]", "is not an identifier"},
        {"X[0391]", "is not an identifier"},
        {"X[\"0391\"]_", "is not an identifier"},
    };
    for (const auto& [Name, Fragment] : Rows) {
        const auto Problem = Ada_Name_Problem(Name);
        if (Fragment.empty()) {
            EXPECT_EQ(Problem, std::nullopt) << Name;
        } else {
            ASSERT_TRUE(Problem) << Name;
            EXPECT_NE(Problem->find(Fragment), std::string::npos) << *Problem;
        }
    }
}

TEST(GnatFileName, LowersAndMarksShortRoots) {
    EXPECT_EQ(Gnat_File_Name("S.Io.X", false), "s~io-x.ads");
    EXPECT_EQ(Gnat_File_Name("B.Io", false), "b-io.ads");
    EXPECT_EQ(Gnat_File_Name("\xc0\xde\xdf.\xd7", true), "\xe0\xfe\xdf-\xd7.adb");
    EXPECT_EQ(Gpr_String_Problem("\xe0\xfe\x80-x"), std::nullopt);
}

} // namespace
} // namespace adaskel
