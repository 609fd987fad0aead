// Tests of the line store: bounds, empty entries, independent copies, lazy memory.
#include "driver/failure.hpp"
#include "driver/line_store.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

TEST(LineStore, StoresAndReadsWithinCapacity) {
    String_Set Set = Create_String_Set(3);
    Store(Set, 1, "first");
    Store(Set, 3, "");
    EXPECT_EQ(Read(Set, 1), "first");
    EXPECT_EQ(Read(Set, 3), ""); // an empty line is a filled entry
    EXPECT_TRUE(Is_Filled(Set, 3));
    EXPECT_FALSE(Is_Filled(Set, 2));
    EXPECT_THROW((void)Read(Set, 2), Run_Failure);
}

TEST(LineStore, RejectsIndexesOutsideCapacity) {
    String_Set Set = Create_String_Set(1);
    Store(Set, 1, "only");
    EXPECT_THROW(Store(Set, 2, "beyond"), Run_Failure);
    EXPECT_THROW(Store(Set, 0, "before"), Run_Failure);
    EXPECT_THROW((void)Read(Set, 2), Run_Failure);
    EXPECT_THROW((void)Read(Set, -1), Run_Failure);
    EXPECT_EQ(Set.Lines.size(), 1U); // a failed store does not grow the set
    EXPECT_THROW((void)Create_String_Set(0), Run_Failure);
}

TEST(LineStore, ChangeInPlaceLeavesCopiesAlone) {
    String_Set Project = Create_String_Set(4);
    String_Set Units = Create_String_Set(4);
    Store(Project, 2, "demo-util");
    Store(Units, 2, Read(Project, 2));
    auto Characters = Change(Units, 2);
    Characters[0] = 'D';
    EXPECT_EQ(Read(Units, 2), "Demo-util");
    EXPECT_EQ(Read(Project, 2), "demo-util");
    EXPECT_THROW((void)Change(Units, 1), Run_Failure);
}

TEST(LineStore, HugeCapacityCostsOnlyWhatIsStored) {
    String_Set Set = Create_String_Set(2147483647);
    Store(Set, 2, "x");
    EXPECT_EQ(Set.Lines.size(), 2U);
    EXPECT_THROW((void)Read(Set, 2147483647), Run_Failure);
}

} // namespace
} // namespace adaskel
