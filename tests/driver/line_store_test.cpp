// Tests of the line store: bounds, empty entries, independent copies, lazy memory.
#include "driver/failure.hpp"
#include "driver/line_store.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

TEST(LineStore, ChecksBoundsAndEmptyEntries) {
    String_Set Set = Create_String_Set(3);
    Store(Set, 1, "first");
    Store(Set, 3, ""); // an empty line is a filled entry
    EXPECT_EQ(Read(Set, 1), "first");
    EXPECT_EQ(Read(Set, 3), "");
    EXPECT_THROW((void)Read(Set, 2), Run_Failure);
    EXPECT_THROW(Store(Set, 4, "beyond"), Run_Failure);
    EXPECT_THROW(Store(Set, 0, "before"), Run_Failure);
    EXPECT_EQ(Set.Lines.size(), 3U); // a failed store does not grow the set
    EXPECT_THROW((void)Create_String_Set(0), Run_Failure);
}

TEST(LineStore, ChangeInPlaceLeavesTheOriginalAlone) {
    String_Set Project = Create_String_Set(4);
    String_Set Units = Create_String_Set(4);
    Store(Project, 2, "demo-util");
    Store(Units, 2, Read(Project, 2));
    Change(Units, 2)[0] = 'D';
    EXPECT_EQ(Read(Units, 2), "Demo-util");
    EXPECT_EQ(Read(Project, 2), "demo-util");
}

TEST(LineStore, HugeCapacityCostsOnlyWhatIsStored) {
    String_Set Set = Create_String_Set(2147483647);
    Store(Set, 2, "x");
    EXPECT_EQ(Set.Lines.size(), 2U);
    EXPECT_THROW((void)Read(Set, 2147483647), Run_Failure);
}

} // namespace
} // namespace adaskel
