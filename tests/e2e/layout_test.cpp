// End-to-end tests of adaskel-layout: each row a tree before the run, and the run's
// console, status and error report. The directories after the run must be those there
// before and those the console says were created; every file and link must be as it
// was, but for a GPR file the console says was created.
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

[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

const std::string List = "app\napp\nutil\nutil-io\nutil\n";
const std::string Gpr = "--  The tree adaskel writes. Build it with: gprbuild -P app/app.gpr\n"
                        "project App is\n"
                        "   for Source_Dirs use\n"
                        "     (\"app/src\",\n"
                        "      \"util/src/lib\",\n"
                        "      \"util-io/src/lib\");\n"
                        "   for Main use (\"app.adb\");\n"
                        "   for Object_Dir use \"obj\";\n"
                        "   for Exec_Dir use \"bin\";\n"
                        "end App;\n";
const std::string All_Created = "created app/\ncreated app/app/\ncreated app/app/src/\n"
                                "created app/util/\ncreated app/util/src/\n"
                                "created app/util/src/lib/\ncreated app/util-io/\n"
                                "created app/util-io/src/\ncreated app/util-io/src/lib/\n"
                                "created app/app.gpr\n";
const std::string Usage = "usage: adaskel-layout PROJECT_FILE [MAX_LINES]\n";

std::set<std::string> Directories(const fs::path& Tree) {
    std::set<std::string> Found;
    for (const auto& Entry : fs::recursive_directory_iterator(Tree)) {
        if (Entry.symlink_status().type() == fs::file_type::directory) {
            Found.insert(Entry.path().lexically_relative(Tree).string() + "/");
        }
    }
    return Found;
}

Case Bad_List(std::string Name, std::string Lines, std::string Err) {
    return {std::move(Name), {}, {{"list", std::move(Lines)}}, {}, "", 1, std::move(Err)};
}

std::vector<Case> Trees() {
    const std::string Blocked = "adaskel-layout: cannot create directory 'app/util/src/lib': ";
    return {
        {"Fresh", {}, {}, {}, All_Created},
        {"Partial",
         {"app/app/src", "app/util/src"},
         {},
         {},
         "created app/util/src/lib/\ncreated app/util-io/\ncreated app/util-io/src/\n"
         "created app/util-io/src/lib/\ncreated app/app.gpr\n"},
        {"BlockedByFile",
         {"app/app/src"},
         {{"app/util", "x\n"}},
         {},
         "",
         1,
         Blocked + "'app/util' is not a directory\n"},
        {"DanglingLink",
         {"app/app/src"},
         {},
         {{"app/util", "nowhere"}},
         "",
         1,
         Blocked + "'app/util' is a symbolic link, which is not followed\n"},
        {"LinkToDirectory",
         {"app/app/src", "elsewhere"},
         {},
         {{"app/util", "../elsewhere"}},
         "",
         1,
         Blocked + "'app/util' is a symbolic link, which is not followed\n"},
        {"GprThere",
         {"app/app/src", "app/util/src/lib", "app/util-io/src/lib"},
         {{"app/app.gpr", "mine\n"}}},
        {"GprPathIsDirectory",
         {"app/app/src", "app/util/src/lib", "app/util-io/src/lib", "app/app.gpr"},
         {},
         {},
         "",
         1,
         "adaskel-layout: cannot create 'app/app.gpr': it is a directory\n"},
        Bad_List("RootNotIdentifier", "a.b\napp\n",
                 "adaskel-layout: project file 'list' line 1: root 'a.b' is not a GPR project "
                 "name: it must be an identifier of ASCII letters, digits and underscores\n"),
        Bad_List("RootReservedInProjects", "Project\napp\n",
                 "adaskel-layout: project file 'list' line 1: root 'Project' is a reserved word "
                 "of project files\n"),
        Bad_List("UnitLeavesRoot", "app\napp\nutil\n..\n",
                 "adaskel-layout: project file 'list' line 4: '..' cannot be a directory of the "
                 "tree: it is '.' or '..'\n"),
        Bad_List("UnitWithSlash", "app\napp\nutil/io\n",
                 "adaskel-layout: project file 'list' line 3: 'util/io' cannot be a directory of "
                 "the tree: it holds '/'\n"),
        {"NoArgument", {}, {}, {}, "", 2, "adaskel-layout: no project file given\n" + Usage, {}},
        {"Version", {}, {}, {}, "adaskel-layout " ADASKEL_VERSION "\n", 0, "", {"--version"}},
    };
}

class Layout : public testing::TestWithParam<Case> {};

TEST_P(Layout, CreatesOnlyWhatIsMissing) {
    const Case& Row = GetParam();
    const Sandbox Box;
    Files Inputs = Row.Inputs;
    Inputs.try_emplace("list", List);
    Prepare(Box, Row.Dirs, Inputs, Row.Made_Links);
    std::set<std::string> Dirs = Directories(Box.Tree());
    Files Tree = Snapshot(Box.Tree());

    const Outcome Run = harness::Run(Box, ADASKEL_LAYOUT_BINARY, Row.Args);
    EXPECT_EQ(Run.Status, Row.Status);
    EXPECT_EQ(Run.Out, Row.Out);
    EXPECT_EQ(Run.Err, Row.Err);
    std::istringstream Lines(Run.Out);
    for (std::string Line; std::getline(Lines, Line);) {
        if (Line.ends_with("/")) {
            Dirs.insert(Line.substr(8));
        } else if (Line.starts_with("created ")) {
            Tree[Line.substr(8)] = Gpr;
        }
    }
    EXPECT_EQ(Directories(Box.Tree()), Dirs);
    EXPECT_EQ(Snapshot(Box.Tree()), Tree);
}

INSTANTIATE_TEST_SUITE_P(Trees, Layout, testing::ValuesIn(Trees()),
                         [](const auto& Info) { return Info.param.Name; });

// Directories are made with mode 0777 less the umask.
TEST(LayoutModes, UmaskApplies) {
    const Sandbox Box;
    Prepare(Box, {}, {{"list", "app\napp\n"}}, {});
    const mode_t Mask = ::umask(027);
    const Outcome Run = harness::Run(Box, ADASKEL_LAYOUT_BINARY, {"list"});
    ::umask(Mask);
    ASSERT_EQ(Run.Status, 0) << Run.Err;
    EXPECT_EQ(fs::status(Box.Tree() / "app/app/src").permissions(), fs::perms(0750));
}

} // namespace
