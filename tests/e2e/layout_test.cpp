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

// A run that fails with Err, having printed nothing.
Case Failing(std::string Name, std::vector<std::string> Dirs, Files Inputs, Links Made,
             const std::string& Err) {
    return {std::move(Name),
            std::move(Dirs),
            std::move(Inputs),
            std::move(Made),
            "",
            1,
            "adaskel-layout: " + Err + "\n"};
}

Case Bad_List(std::string Name, std::string Lines, const std::string& Err) {
    return Failing(std::move(Name), {}, {{"list", std::move(Lines)}}, {}, Err);
}

std::vector<Case> Trees() {
    const std::string Blocked = "cannot create directory 'app/util/src/lib': 'app/util' is ";
    const std::string Not_Followed = Blocked + "a symbolic link, which is not followed";
    const std::vector<std::string> Body_Dir{"app/app/src"};
    return {
        {"Fresh", {}, {}, {}, All_Created},
        {"Partial",
         {"app/app/src", "app/util/src"},
         {},
         {},
         "created app/util/src/lib/\ncreated app/util-io/\ncreated app/util-io/src/\n"
         "created app/util-io/src/lib/\ncreated app/app.gpr\n"},
        Failing("BlockedByFile", Body_Dir, {{"app/util", "x\n"}}, {}, Blocked + "not a directory"),
        Failing("DanglingLink", Body_Dir, {}, {{"app/util", "nowhere"}}, Not_Followed),
        Failing("LinkToDirectory", {"app/app/src", "elsewhere"}, {}, {{"app/util", "../elsewhere"}},
                Not_Followed),
        {"GprThere",
         {"app/app/src", "app/util/src/lib", "app/util-io/src/lib"},
         {{"app/app.gpr", "mine\n"}}},
        Bad_List("RootNotIdentifier", "a.b\napp\n",
                 "project file 'list' line 1: root 'a.b' is not a GPR project name: it must be "
                 "an identifier of ASCII letters, digits and underscores"),
        Bad_List("UnitLeavesRoot", "app\napp\nutil\n..\n",
                 "project file 'list' line 4: '..' cannot be a directory of the tree: it is '.' "
                 "or '..'"),
        Bad_List("UnitWithSlash", "app\napp\nutil/io\n",
                 "project file 'list' line 3: 'util/io' cannot be a directory of the tree: it "
                 "holds '/'"),
        Bad_List("NulByte", std::string("app\napp\nut\0il\n", 14),
                 "project file 'list' line 3 holds a NUL byte"),
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

    const mode_t Mask = ::umask(027); // directories take mode 0777 less the umask
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
