// Tests of the atomic publish: what is at the path decides, nothing is replaced or
// followed, and a file not published leaves no trace; both ways of publishing.
#include "driver/failure.hpp"
#include "writers/atomic_file.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace adaskel {
namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// Runs each test once with unnamed files and once with hidden names.
class AtomicFile : public testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        Use_Hidden_Names_Only(GetParam());
        std::string Template = testing::TempDir() + "atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(Template.data()), nullptr);
        Directory = Template;
    }
    void TearDown() override {
        Use_Hidden_Names_Only(false);
        fs::remove_all(Directory);
    }
    [[nodiscard]] std::string At(const std::string& Name) const {
        return (Directory / Name).string();
    }
    // The directory holds exactly the given names: no temporary file is left behind.
    void Expect_Entries(std::size_t Count) const {
        EXPECT_EQ(std::distance(fs::directory_iterator(Directory), fs::directory_iterator()),
                  static_cast<std::ptrdiff_t>(Count));
    }
    fs::path Directory;
};

TEST_P(AtomicFile, PublishesCompleteFile) {
    const std::string Path = At("unit.ads");
    ASSERT_EQ(Test_Output_Path(Path), Path_State::Free);
    {
        Pending_File File = Create_Pending(Path);
        EXPECT_FALSE(fs::exists(Path)); // not visible while being written
        EXPECT_EQ(Publish(File, "content\n"), Publish_Result::Published);
    }
    EXPECT_EQ(Contents(Path), "content\n");
    EXPECT_EQ(Test_Output_Path(Path), Path_State::Regular_File);
    Expect_Entries(1);
}

TEST_P(AtomicFile, DiscardedFileLeavesNothing) {
    { Pending_File File = Create_Pending(At("unit.ads")); }
    Expect_Entries(0);
}

TEST_P(AtomicFile, NeverReplacesWhatAppearedMeanwhile) {
    const std::string Path = At("unit.ads");
    Pending_File File = Create_Pending(Path);
    std::ofstream(Path) << "theirs";
    EXPECT_EQ(Publish(File, "ours"), Publish_Result::Already_There);
    EXPECT_EQ(Contents(Path), "theirs");

    const std::string Link_Path = At("link.ads");
    Pending_File Other = Create_Pending(Link_Path);
    fs::create_symlink(At("target.ads"), Link_Path);
    EXPECT_THROW(Publish(Other, "ours"), Run_Failure);
    EXPECT_FALSE(fs::exists(At("target.ads"))); // the link was not followed
}

TEST_P(AtomicFile, ClassifiesWhatIsAtThePath) {
    fs::create_directory(At("dir.ads"));
    EXPECT_THROW(Test_Output_Path(At("dir.ads")), Run_Failure);
    fs::create_symlink(At("missing"), At("dangling.ads"));
    EXPECT_THROW(Test_Output_Path(At("dangling.ads")), Run_Failure);
    std::ofstream(At("real.ads")) << "x";
    fs::create_symlink(At("real.ads"), At("alias.ads"));
    EXPECT_EQ(Test_Output_Path(At("alias.ads")), Path_State::Regular_File);
    EXPECT_EQ(Test_Output_Path(At("missing-dir/x.ads")), Path_State::Free);
    try {
        (void)Create_Pending(At("missing-dir/x.ads"));
        FAIL() << "created a file in a missing directory";
    } catch (const Run_Failure& Failure) {
        EXPECT_NE(std::string(Failure.what()).find("does not exist"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(BothWays, AtomicFile, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& Info) {
                             return Info.param ? "HiddenNames" : "UnnamedFiles";
                         });

} // namespace
} // namespace adaskel
