// Tests of the max lines conversion: the integer literal syntax, its range, and its limits.
#include "driver/command_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace adaskel {
namespace {

// The tables read best a few cases a line.
// clang-format off
TEST(ToInteger32, AcceptsEveryLiteralForm) {
    const std::vector<std::pair<std::string, std::int32_t>> Cases = {
        {"1", 1}, {"007", 7}, {"  42  ", 42}, {"+5", 5}, {"-5", -5}, {"1_000", 1000},
        {"1_2_3", 123}, {"16#400#", 1024}, {"16#ff#", 255}, {"16#F_F#", 255}, {"2#1010#", 10},
        {"1_6#10#", 16}, {"1E3", 1000}, {"1e3", 1000}, {"1E+3", 1000}, {"1E0", 1},
        {"2#1#E4", 16}, {"16#1#E2", 256}, {"0", 0}, {"-0", 0}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"16#7FFF_FFFF#", 2147483647},
        {"0E999999999999999999", 0},
    };
    for (const auto& [Text, Value] : Cases) {
        EXPECT_EQ(To_Integer_32(Text), std::optional<std::int32_t>(Value)) << Text;
    }
}

TEST(ToInteger32, RejectsMalformedAndOutOfRangeTexts) {
    const std::vector<std::string> Cases = {
        "", " ", "abc", "12abc", "1 000", "1__000", "_1", "1_", "+-1", "- 1", "++1", "1.0",
        "1E", "1E-1", "1E-0", "1E+", "E3", "16#", "16##", "16#FF", "16#G#", "2#102#", "1#0#",
        "17#1#", "16#_F#", "16#F_#", "16:FF:", "\t1", "1\t", "0x10", "1\n", "1E10",
        "16#1#E8", "2147483648", "-2147483649", "99999999999999999999999",
        "1E99999999999999999999",
    };
    for (const auto& Text : Cases) {
        EXPECT_FALSE(To_Integer_32(Text).has_value()) << '"' << Text << '"';
    }
}

// clang-format on

TEST(ToMaxLines, RequiresAPositiveValue) {
    EXPECT_EQ(To_Max_Lines(" +1_0 "), 10);
    EXPECT_FALSE(To_Max_Lines("0").has_value());
    EXPECT_FALSE(To_Max_Lines("-3").has_value());
}

} // namespace
} // namespace adaskel
