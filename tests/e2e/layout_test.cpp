// End-to-end tests of adaskel-layout: each row a tree before the run, and the run's
// console, status and error report. The directories after the run must be those there
// before and those the console says were created (with mode 0777 less the umask); every
// file and link must be as it was, but for a GPR file the console says was created.
#include "harness.hpp"

#include <set>
#include <sys/stat.h>

namespace {

using namespace harness;

struct Case {
    std::string Name{};
    std::vector<std::string> Dirs{};
    Files Inputs{};
    Links Made_Links{};
    std::string Out{};
    int Status = 0;
    std::string Err{};
    std::vector<std::string> Args{"list"};
};

// Names the row where a test lists its parameter, in place of the row's bytes.
[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

const std::string Gpr = "--  The tree adaskel writes. Build it with: gprbuild -P app/app.gpr\n"
                        "project App is\n   for Source_Dirs use\n     (\"app/src\",\n"
                        "      \"util/src/lib\",\n      \"util-io/src/lib\");\n"
                        "   for Main use (\"app.adb\");\n   for Object_Dir use \"obj\";\n"
                        "   for Exec_Dir use \"bin\";\nend App;\n";

std::set<std::string> Directories(const fs::path& Tree) {
    std::set<std::string> Found;
    for (const auto& Entry : fs::recursive_directory_iterator(Tree)) {
        if (Entry.symlink_status().type() == fs::file_type::directory) {
            Found.insert(Entry.path().lexically_relative(Tree).string() + "/");
        }
    }
    return Found;
}

std::vector<Case> Trees() {
    const std::string Lead = "adaskel-layout: project file 'list' line ";
    const std::string Blocked =
        "adaskel-layout: cannot create directory 'app/util/src/lib': 'app/util' is ";
    const std::string Not_Followed = Blocked + "a symbolic link, which is not followed\n";
    // clang-format off
    return {
        {.Name = "Fresh", .Out = "created app/\ncreated app/app/\ncreated app/app/src/\ncreated app/util/\n"
                                 "created app/util/src/\ncreated app/util/src/lib/\ncreated app/util-io/\n"
                                 "created app/util-io/src/\ncreated app/util-io/src/lib/\ncreated app/app.gpr\n"},
        {.Name = "Partial", .Dirs = {"app/app/src", "app/util/src"},
         .Out = "created app/util/src/lib/\ncreated app/util-io/\ncreated app/util-io/src/\n"
                "created app/util-io/src/lib/\ncreated app/app.gpr\n"},
        {.Name = "BlockedByFile", .Dirs = {"app/app/src"}, .Inputs = {{"app/util", "x\n"}}, .Status = 1,
         .Err = Blocked + "not a directory\n"},
        {.Name = "DanglingLink", .Dirs = {"app/app/src"}, .Made_Links = {{"app/util", "nowhere"}}, .Status = 1,
         .Err = Not_Followed},
        {.Name = "LinkToDirectory", .Dirs = {"app/app/src", "elsewhere"}, .Made_Links = {{"app/util", "../elsewhere"}},
         .Status = 1, .Err = Not_Followed},
        {.Name = "GprThere", .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src/lib"},
         .Inputs = {{"app/app.gpr", "mine\n"}}},
        {.Name = "RootNotIdentifier", .Inputs = {{"list", "a.b\napp\n"}}, .Status = 1,
         .Err = Lead + "1: root 'a.b' is not a GPR project name: it must be an identifier of ASCII letters, "
                "digits and underscores\n"},
        {.Name = "UnitLeavesRoot", .Inputs = {{"list", "app\napp\nutil\n..\n"}}, .Status = 1,
         .Err = Lead + "4: '..' cannot be a directory of the tree: it is '.' or '..'\n"},
        {.Name = "UnitWithSlash", .Inputs = {{"list", "app\napp\nutil/io\n"}}, .Status = 1,
         .Err = Lead + "3: 'util/io' cannot be a directory of the tree: it holds '/'\n"},
        {.Name = "NulByte", .Inputs = {{"list", std::string("app\napp\nut\0il\n", 14)}}, .Status = 1,
         .Err = Lead + "3 holds a NUL byte\n"},
        {.Name = "NoArgument", .Status = 2,
         .Err = "adaskel-layout: no project file given\nusage: adaskel-layout PROJECT_FILE [MAX_LINES]\n", .Args = {}},
        {.Name = "Version", .Out = "adaskel-layout " ADASKEL_VERSION "\n", .Args = {"--version"}},
        {.Name = "Help",
         .Out = "usage: adaskel-layout PROJECT_FILE [MAX_LINES]\n"
                "Creates the directories an adaskel run on PROJECT_FILE writes into (ROOT/ROOT/src\n"
                "and ROOT/UNIT/src/lib), and the GPR project file ROOT/ROOT.gpr that builds the tree\n"
                "with gprbuild. Nothing that exists is changed.\n"
                "  PROJECT_FILE  the project file, as adaskel takes it\n"
                "  MAX_LINES     the most lines the project file may have (default 16384)\n"
                "  --help        show this help and exit\n"
                "  --version     show the version and exit\n"
                "Exit status: 0 the tree in place, 1 a failure, 2 the command line refused.\n",
         .Args = {"--help", "list"}},
    };
    // clang-format on
}

class Layout : public testing::TestWithParam<Case> {};

TEST_P(Layout, CreatesOnlyWhatIsMissing) {
    const Case& Row = GetParam();
    const Sandbox Box;
    Files Inputs = Row.Inputs;
    Inputs.try_emplace("list", "app\napp\nutil\nutil-io\nutil\n");
    Prepare(Box, Row.Dirs, Inputs, Row.Made_Links);
    std::set<std::string> Dirs = Directories(Box.Tree());
    Files Tree = Snapshot(Box.Tree());
    const mode_t Mask = ::umask(027);
    const Outcome Run = harness::Run(Box, ADASKEL_LAYOUT_BINARY, Row.Args);
    ::umask(Mask);
    EXPECT_EQ(Run.Status, Row.Status);
    EXPECT_EQ(Run.Out, Row.Out);
    EXPECT_EQ(Run.Err, Row.Err);
    std::istringstream Lines(Run.Out);
    for (std::string Line; std::getline(Lines, Line);) {
        if (Line.ends_with("/")) {
            Dirs.insert(Line.substr(8));
            EXPECT_EQ(fs::status(Box.Tree() / Line.substr(8)).permissions(), fs::perms(0750));
        } else if (Line.starts_with("created ")) {
            Tree[Line.substr(8)] = Gpr;
        }
    }
    EXPECT_EQ(Directories(Box.Tree()), Dirs);
    EXPECT_EQ(Snapshot(Box.Tree()), Tree);
}

INSTANTIATE_TEST_SUITE_P(Trees, Layout, testing::ValuesIn(Trees()),
                         [](const auto& Info) { return Info.param.Name; });

} // namespace
