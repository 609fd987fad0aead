// Tests of the two images of a clock reading: the run date in UTC, the year in local time.
#include "base/failure.hpp"
#include "inputs/reference_texts.hpp"
#include "writers/header.hpp"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace adaskel {
namespace {

// Each time is July 1st, 12:34:56 UTC, of the same year in every time zone. A date that
// no four-digit year can write ("") fails; the year image has no such bound.
TEST(Clock, DateAndYearKeepTheirFormForEveryYear) {
    const std::vector<std::tuple<std::time_t, std::string, std::string>> Cases = {
        {1782909296, "2026-07-01 12:34:56", " 2026"},
        {-30626076304, "0999-07-01 12:34:56", " 999"},
        {-62151449104, "0000-07-01 12:34:56", " 0"},
        {253386448496, "9999-07-01 12:34:56", " 9999"},
        {253418070896, "", " 10000"},
        {-62183071504, "", "-1"},
    };
    for (const auto& [Time, Date, Year] : Cases) {
        if (Date.empty()) {
            EXPECT_THROW((void)Format_Run_Date(Time), Run_Failure) << Year;
        } else {
            EXPECT_EQ(Format_Run_Date(Time), Date);
        }
        EXPECT_EQ(Local_Year_Image(Time), Year);
    }
}

} // namespace
} // namespace adaskel
