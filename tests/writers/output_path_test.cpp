// Tests of the looks at output paths: what each kind of thing at a path counts as, the
// same by path and through the directory's descriptor, and a missing directory taken as
// a free path by both.
#include "../scratch.hpp"
#include "writers/output_path.hpp"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {
namespace {

struct Kind {
    const char* Name;
    void (*Make)(const std::string& Path);
    bool Holds_File;
    bool Empty;
    std::string Blocked; // the message, "" when nothing blocks the path
};

TEST(LookAtOutputPath, TellsEachKindOfThingAtAPath) {
    const Kind Kinds[] = {
        {"nothing", [](const std::string&) {}, false, false, ""},
        {"file", [](const std::string& P) { std::ofstream(P) << "x"; }, true, false, ""},
        // An empty file is what a crash of a version that did not sync could leave.
        {"empty file", [](const std::string& P) { std::ofstream(P) << ""; }, true, true, ""},
        {"link to a file",
         [](const std::string& P) {
             std::ofstream(P + ".target") << "x";
             ASSERT_EQ(::symlink((P + ".target").c_str(), P.c_str()), 0);
         },
         true, false, ""},
        {"dangling link",
         [](const std::string& P) { ASSERT_EQ(::symlink((P + ".none").c_str(), P.c_str()), 0); },
         false, false, "it is a dangling symbolic link"},
        {"directory", [](const std::string& P) { ASSERT_EQ(::mkdir(P.c_str(), 0700), 0); }, false,
         false, "it is a directory"},
        {"fifo", [](const std::string& P) { ASSERT_EQ(::mkfifo(P.c_str(), 0600), 0); }, false,
         false, "it exists and is not a regular file"},
    };
    const Scratch_Dir Here;
    const Shared_Directory Directory = Open_Output_Directory(Here.Path);
    for (const Kind& Each : Kinds) {
        const std::string Path = Here.Path + "/" + Each.Name;
        Each.Make(Path);
        for (const Output_Path& Look : {Look_At_Output_Path(Path), Look_In(*Directory, Path)}) {
            EXPECT_EQ(Look.Holds_File, Each.Holds_File) << Each.Name;
            EXPECT_EQ(Look.Empty, Each.Empty) << Each.Name;
            EXPECT_EQ(Look.Blocked ? Look.Blocked->Message : "", Each.Blocked) << Each.Name;
            if (Look.Blocked) {
                EXPECT_EQ(Look.Blocked->File, Path) << Each.Name;
                EXPECT_THROW(Holds_File(Look), Run_Failure) << Each.Name;
            }
        }
    }
}

TEST(LookAtOutputPath, MissingDirectoryIsAFreePathAndNoPlaceToCreate) {
    const Scratch_Dir Here;
    const std::string Path = Here.Path + "/absent/file.ads";
    const Shared_Directory Directory = Open_Output_Directory(Here.Path + "/absent");
    EXPECT_NE(Directory->Error, 0);
    for (const Output_Path& Look : {Look_At_Output_Path(Path), Look_In(*Directory, Path)}) {
        EXPECT_FALSE(Look.Holds_File);
        EXPECT_FALSE(Look.Blocked);
    }
    struct stat Status {};
    const auto Found = Creation_Problem(Path, Status);
    ASSERT_TRUE(Found);
    EXPECT_EQ(Found->Message, "directory '" + Here.Path + "/absent' does not exist");
    EXPECT_FALSE(Creation_Problem(Here.Path + "/file.ads", Status));
    EXPECT_FALSE(Publishing_Problem(Here.Path));
}

// A directory taken as on the current directory's mount has its file system synced
// through the current directory's: one on another mount taken so would never be synced.
TEST(OpenOutputDirectory, TellsTheCurrentDirectorysMountFromAnother) {
    if (!Open_Output_Directory(".")->Here) {
        GTEST_SKIP() << "a kernel without openat2 takes no directory as on the mount";
    }
    EXPECT_FALSE(Open_Output_Directory("/proc")->Here);
    EXPECT_FALSE(Open_Output_Directory("/proc/self")->Here);
    const Shared_Directory Absent = Open_Output_Directory("absent.dir");
    EXPECT_FALSE(Absent->Here);
    EXPECT_EQ(Absent->Error, ENOENT);
}

} // namespace
} // namespace adaskel
