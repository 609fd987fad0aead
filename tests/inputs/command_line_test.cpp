// Tests of the max lines conversion: the integer literal syntax, its range, and its limits.
#include "inputs/command_line.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

TEST(ToInteger32, ConvertsExactlyTheLiterals) {
    // clang-format off
    const std::vector<std::pair<std::string, std::optional<std::int32_t>>> Cases = {
        {"007", 7}, {"  42  ", 42}, {"+5", 5}, {"-5", -5}, {"1_2_3", 123}, {"16#F_f#", 255},
        {"2#1010#", 10}, {"1_6#10#", 16}, {"1e3", 1000}, {"1E+3", 1000}, {"16#1#E2", 256},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1}, {"0E99999999999", 0},
        {"", {}}, {" ", {}}, {"12abc", {}}, {"1 000", {}}, {"1__0", {}}, {"_1", {}}, {"1_", {}},
        {"+-1", {}}, {"- 1", {}}, {"1.0", {}}, {"1E", {}}, {"1E-0", {}}, {"E3", {}},
        {"16##", {}}, {"16#FF", {}}, {"2#102#", {}}, {"1#0#", {}}, {"17#1#", {}},
        {"16#_F#", {}}, {"16:FF:", {}}, {"\t1", {}}, {"0x10", {}}, {"1E10", {}},
        {"16#1#E8", {}}, {"2147483648", {}}, {"-2147483649", {}}, {"1E99999999999999999999", {}},
    };
    // clang-format on
    for (const auto& [Text, Value] : Cases) {
        EXPECT_EQ(To_Integer_32(Text), Value) << '"' << Text << '"';
    }
    EXPECT_EQ(To_Max_Lines(" +1_0 "), 10);
    EXPECT_FALSE(To_Max_Lines("0").has_value());
}

} // namespace
} // namespace adaskel
