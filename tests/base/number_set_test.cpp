// Tests of the number set: entries found by key under any hash, however badly it spreads,
// repeats told apart from new keys, and the bound it was sized for.
#include "base/failure.hpp"
#include "base/number_set.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace adaskel {
namespace {

TEST(NumberSet, FindsEveryKeyUnderAnyHash) {
    const std::vector<std::string> Keys = {"a", "b", "a", "c", "", "b", "d", "e", "f", ""};
    const std::vector<std::function<std::size_t(const std::string&)>> Hashes = {
        [](const std::string& Key) { return std::hash<std::string>{}(Key); },
        [](const std::string&) { return std::size_t{0}; },         // every key collides
        [](const std::string&) { return ~std::size_t{0}; },        // and at the last slot
        [](const std::string& Key) { return Key.size() * 1024; }}; // low bits all alike
    for (std::size_t H = 0; H < Hashes.size(); ++H) {
        Number_Set Set = Create_Number_Set(Keys.size());
        std::vector<std::uint32_t> First; // the number each key was first added as
        for (std::size_t K = 0; K < Keys.size(); ++K) {
            const auto Same = [&](std::uint32_t J) { return Keys[J] == Keys[K]; };
            const auto Number = static_cast<std::uint32_t>(K);
            First.push_back(static_cast<std::uint32_t>(
                std::find(Keys.begin(), Keys.end(), Keys[K]) - Keys.begin()));
            EXPECT_EQ(Add_Number(Set, Number, Hashes[H](Keys[K]), Same).value_or(Number), First[K])
                << H << " " << K;
        }
        for (std::size_t K = 0; K < Keys.size(); ++K) {
            const auto Same = [&](std::uint32_t J) { return Keys[J] == Keys[K]; };
            EXPECT_EQ(Find_Number(Set, Hashes[H](Keys[K]), Same), First[K]) << H << " " << K;
        }
        const std::string Missing = "g";
        EXPECT_FALSE(Find_Number(Set, Hashes[H](Missing),
                                 [&](std::uint32_t J) { return Keys[J] == Missing; }));
    }
}

TEST(NumberSet, RefusesMoreEntriesThanItWasSizedFor) {
    Number_Set Set = Create_Number_Set(2);
    const auto Never = [](std::uint32_t) { return false; };
    EXPECT_FALSE(Add_Number(Set, 0, 0, Never));
    EXPECT_FALSE(Add_Number(Set, 1, 1, Never));
    EXPECT_THROW((void)Add_Number(Set, 2, 2, Never), Run_Failure);
}

} // namespace
} // namespace adaskel
