// Tests of the check's SARIF report where a table of runs would test it poorly: the
// fingerprint follows a result when its line moves and tells results apart, paths become
// relative URIs, and plans and hints are no results.
#include "check/report.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace adaskel {
namespace {

// The SARIF document of Entries, as the check writes it at its end.
std::string Sarif_Of(const std::vector<Report_Entry>& Entries) {
    Console Out{.Fd = 1, .Buffered = true};
    Report_Writer Writer{Out, Report_Format::Sarif};
    for (const Report_Entry& Each : Entries) {
        Put_Entry(Writer, Each);
    }
    Finish_Report(Writer, "1.0.0");
    return Out.Held;
}

Report_Entry Finding(std::int32_t Line, std::string Unit, std::string Path = "shop.lst") {
    return {.Kind = Entry_Kind::Diagnostic,
            .Path = std::move(Path),
            .Line = Line,
            .Severity = "error",
            .Rule = Check_Rule::Parent_Unit,
            .Message = "the parent is missing",
            .Unit = std::move(Unit)};
}

std::string Fingerprint_In(const std::string& Sarif) {
    const std::string Key = "\"ruleAndPlace/v1\": \"";
    const std::size_t At = Sarif.find(Key);
    return At == std::string::npos ? "" : Sarif.substr(At + Key.size(), 16);
}

TEST(Report, FingerprintFollowsTheUnitNotTheLine) {
    const std::string First = Fingerprint_In(Sarif_Of({Finding(3, "db-cache")}));
    ASSERT_EQ(First.size(), 16U);
    EXPECT_EQ(Fingerprint_In(Sarif_Of({Finding(7, "db-cache")})), First);
    EXPECT_NE(Fingerprint_In(Sarif_Of({Finding(3, "db-store")})), First);
    EXPECT_NE(Fingerprint_In(Sarif_Of({Finding(3, "db-cache", "other.lst")})), First);
    // The parts are kept apart: "ab" and "c" is not "a" and "bc".
    EXPECT_NE(Fingerprint_In(Sarif_Of({Finding(3, "c", "ab")})),
              Fingerprint_In(Sarif_Of({Finding(3, "bc", "a")})));
}

TEST(Report, PathsAreRelativeUrisAndLinesRegions) {
    const std::string Sarif = Sarif_Of({Finding(4, "x", "my shop/a#b%c?.lst"), Finding(0, "y")});
    EXPECT_NE(Sarif.find("\"uri\": \"my%20shop/a%23b%25c%3F.lst\", \"uriBaseId\": \"SRCROOT\"}, "
                         "\"region\": {\"startLine\": 4}"),
              std::string::npos)
        << Sarif;
    // A result with no line has no region: SARIF lines start at 1.
    EXPECT_NE(Sarif.find("\"uri\": \"shop.lst\", \"uriBaseId\": \"SRCROOT\"}}}]"),
              std::string::npos)
        << Sarif;
}

TEST(Report, PlanAndHintsAreNoResults) {
    const std::string Sarif = Sarif_Of(
        {{.Kind = Entry_Kind::Plan, .Path = "a.ads", .Severity = "none", .Message = "create"},
         {.Kind = Entry_Kind::Hint, .Path = "a", .Severity = "note", .Message = "run it"}});
    EXPECT_NE(Sarif.find("\"results\": [\n      ]"), std::string::npos) << Sarif;
}

} // namespace
} // namespace adaskel
