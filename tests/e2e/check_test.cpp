// End-to-end tests of adaskel-check against adaskel itself: for each tree, the check
// runs first, then adaskel, and what adaskel did must be what the plan said. adaskel
// stops at its first failure, so it creates the "create" files listed before the first
// failing line and nothing after, it fails where that line says and for its reason,
// and an input error before the plan means it writes nothing at all. Some trees are
// checked and run under another user id, or with other capabilities (which needs root).
#include "harness.hpp"

#include <set>
#include <sys/stat.h>

namespace {

using namespace harness;
using namespace std::string_literals;

struct Case {
    std::string Name{};
    Files Inputs{};
    std::vector<std::string> Dirs{};
    Links Made_Links{};
    std::vector<std::string> Fifos{};
    std::vector<std::string> Args{"list"};
    std::string Out{};                  // the check's whole output, when given
    std::vector<std::string> Wrapper{}; // the command both programs run under, if any
    std::vector<std::pair<std::string, fs::perms>> Modes{}; // set once the tree is made
};

[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

std::string Normal(const std::string& Path) {
    return fs::path(Path).lexically_normal().string();
}

// What the check's report promises of a run: the files it creates, the reason it stops
// for ("" when it completes), and whether the check found nothing wrong.
struct Promise {
    std::multiset<std::string> Creates; // a file promised twice is a fault of the plan
    std::string Stop;
    bool Clean = true;
};

Promise Read_Report(const std::string& Out) {
    Promise Said;
    bool Planned = false; // diagnostics after the plan are Ada checks, which stop no run
    std::istringstream Lines(Out);
    for (std::string Line; std::getline(Lines, Line);) {
        const auto Error = Line.find(": error: ");
        if (Line.starts_with("create ") || Line.starts_with("exists ")) {
            Planned = true;
            if (Said.Stop.empty() && Line.starts_with("create ")) {
                Said.Creates.insert(Normal(Line.substr(7)));
            }
        } else if (Line.starts_with("error ")) {
            Planned = true;
            Said.Clean = false;
            Said.Stop = Said.Stop.empty() ? Line.substr(Line.find(": ") + 2) : Said.Stop;
        } else if (Error != std::string::npos) {
            Said.Clean = false;
            Said.Stop = Said.Stop.empty() && !Planned ? Line.substr(Error + 9) : Said.Stop;
        }
    }
    return Said;
}

// Runs Binary on Row's arguments, under Row's wrapper, which gets copies of the programs
// where any user can run them.
Outcome Run_Program(const Sandbox& Box, const Case& Row, const std::string& Binary) {
    if (Row.Wrapper.empty()) {
        return Run(Box, Binary, Row.Args);
    }
    const fs::path Copy = Box.Root / fs::path(Binary).filename();
    fs::copy_file(Binary, Copy, fs::copy_options::skip_existing);
    std::vector<std::string> Args(Row.Wrapper.begin() + 1, Row.Wrapper.end());
    Args.push_back(Copy.string());
    Args.insert(Args.end(), Row.Args.begin(), Row.Args.end());
    return Run(Box, Row.Wrapper.front(), Args);
}

// User nobody, whom the root-owned tree refuses, with and without the capability that
// overrides file modes; and root with nobody as its effective user.
const std::vector<std::string> Nobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                         "--clear-groups"};
const std::vector<std::string> Nobody_Overriding = {"/usr/bin/setpriv",
                                                    "--reuid=65534",
                                                    "--regid=65534",
                                                    "--clear-groups",
                                                    "--inh-caps=+dac_override",
                                                    "--ambient-caps=+dac_override"};
const std::vector<std::string> Effective_Nobody = {"/usr/bin/setpriv", "--euid=65534"};

// LeakSanitizer cannot work in a process whose user ids differ.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Leaks_Sought = true;
#elif defined(__has_feature)
constexpr bool Leaks_Sought = __has_feature(address_sanitizer);
#else
constexpr bool Leaks_Sought = false;
#endif

void Run_Case(const Case& Row) {
    if (!Row.Wrapper.empty() && (::geteuid() != 0 || !fs::exists(Row.Wrapper.front()))) {
        GTEST_SKIP() << "needs root and " << Row.Wrapper.front();
    }
    if (Leaks_Sought && Row.Wrapper == Effective_Nobody) {
        GTEST_SKIP() << "a sanitized program cannot run with two user ids";
    }
    const Sandbox Box;
    Prepare(Box, Row.Dirs, Row.Inputs, Row.Made_Links, Row.Fifos);
    fs::permissions(Box.Root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    for (const auto& [Path, Mode] : Row.Modes) {
        fs::permissions(Box.Tree() / Path, Mode);
    }
    const Files Before = Snapshot(Box.Tree());
    const Outcome Check = Run_Program(Box, Row, ADASKEL_CHECK_BINARY);
    EXPECT_EQ(Snapshot(Box.Tree()), Before) << "the check wrote into the tree";
    if (!Row.Out.empty()) {
        EXPECT_EQ(Check.Out, Row.Out);
    }
    const Outcome Generated = Run_Program(Box, Row, ADASKEL_BINARY);
    const Files After = Snapshot(Box.Tree());
    std::multiset<std::string> Created;
    for (const auto& [Path, Bytes] : After) {
        const auto Was = Before.find(Path);
        EXPECT_TRUE(Was == Before.end() || Was->second == Bytes) << Path << " changed";
        if (Was == Before.end()) {
            Created.insert(Path);
        }
    }
    if (Check.Status == 2) {
        EXPECT_EQ(Generated.Status, 2);
        EXPECT_TRUE(Check.Out.empty() && Created.empty());
        return;
    }
    const Promise Said = Read_Report(Check.Out);
    EXPECT_EQ(Check.Status, Said.Clean ? 0 : 1) << Check.Out << Check.Err;
    EXPECT_EQ(Check.Err, "");
    EXPECT_EQ(Created, Said.Creates) << "files created by adaskel";
    EXPECT_EQ(Generated.Status, Said.Stop.empty() ? 0 : 1) << Generated.Err;
    EXPECT_NE(Generated.Err.find(Said.Stop), std::string::npos)
        << "adaskel said: " << Generated.Err << "the check said: " << Said.Stop;
    if (Generated.Status == 0) { // a second look finds everything in place
        const std::string Again = Run_Program(Box, Row, ADASKEL_CHECK_BINARY).Out;
        EXPECT_TRUE(Read_Report(Again).Creates.empty()) << Again;
    }
}

// ---- Trees -----------------------------------------------------------------------------

std::string Licence(int Lines) {
    std::string Text;
    for (int N = 1; N <= Lines; ++N) {
        Text += " licence line " + std::to_string(N) + "\n";
    }
    return Text;
}

Files Texts(const std::string& List, Files Extra = {}) {
    Extra.merge(Files{{"Versions.lst", "1.0\n"},
                      {"Abstract.txt", "Checked\n"},
                      {"gpl.txt", Licence(310)},
                      {"Copyright", "The Authors\n"},
                      {"list", List}});
    return Extra;
}

const std::string App_List = "app\napp\nutil\nutil-io\n";
const std::vector<std::string> App_Dirs = {"app/app/src", "app/util/src/lib",
                                           "app/util-io/src/lib"};
const std::string App_Body = "app/app/src/app.adb";
const std::string Util_Spec = "app/util/src/lib/util.ads";

Case App(std::string Name, Files Extra = {}, std::vector<std::string> Dirs = App_Dirs) {
    return {std::move(Name), Texts(App_List, std::move(Extra)), std::move(Dirs)};
}

// Row, checked and run under Wrapper, the tree's modes set to Modes.
Case Under(std::vector<std::string> Wrapper, Case Row,
           std::vector<std::pair<std::string, fs::perms>> Modes = {}) {
    Row.Wrapper = std::move(Wrapper);
    Row.Modes = std::move(Modes);
    return Row;
}

std::vector<Case> Trees() {
    const std::vector<std::string> No_Io = {"app/app/src", "app/util/src/lib"};
    return {
        App("Clean"),
        App("SomeThere", {{App_Body, "mine\n"}}),
        {"LinkToFileThere",
         Texts(App_List, {{"mine.ads", "x\n"}}),
         App_Dirs,
         {{Util_Spec, "../../../../mine.ads"}}},
        App("DirectoryMissing", {}, No_Io),
        App("BodyDirectoryMissing", {}, {"app/util/src/lib", "app/util-io/src/lib"}),
        App("DirectoryAtPath", {}, {"app/app/src", Util_Spec, "app/util-io/src/lib"}),
        {"DanglingLinkAtBody", Texts(App_List), App_Dirs, {{App_Body, "nowhere"}}},
        {"LinksToFileCreatedEarlier",
         Texts(App_List),
         App_Dirs,
         {{"app/util-io/src/lib/util-io.ads", "hop"},
          {"app/util-io/src/lib/hop", "../../../util/src/lib/util.ads"}}},
        {"LinkToFileCreatedLater",
         Texts(App_List),
         App_Dirs,
         {{Util_Spec, "../../../util-io/src/lib/util-io.ads"}}},
        {"FifoAtSpec", Texts(App_List), App_Dirs, {}, {Util_Spec}},
        {"ListedTwice", Texts("app\napp\nutil\nutil\n"), No_Io},
        {"OnePathTwoSpellings", Texts("app\napp\nutil\n./util\n"), No_Io},
        App("ShortLicence", {{"gpl.txt", Licence(308)}}),
        App("ShortLicenceAllThere", {{"gpl.txt", Licence(300)},
                                     {App_Body, "a\n"},
                                     {Util_Spec, "u\n"},
                                     {"app/util-io/src/lib/util-io.ads", "i\n"}}),
        {"OneLine", Texts("app\n"), {"app/app/src"}},
        {"OneLineBodyThere", Texts("app\n", {{App_Body, "a\n"}}), {"app/app/src"}},
        {"EmptyProject", Texts(""), {}},
        {"BadUnitLines", Texts("app\napp\nutil\n\nutil-\n"), App_Dirs},
        {"TooManyLines", Texts(App_List), App_Dirs, {}, {}, {"list", "3"}},
        {"ExactlyMaxLines", Texts(App_List), App_Dirs, {}, {}, {"list", "4"}},
        App("NoVersion", {{"Versions.lst", "\n"}}),
        App("NoAbstract", {{"Abstract.txt", ""}}),
        App("LicenceTooLong", {{"gpl.txt", Licence(4097)}}),
        App("NoHolder", {{"Copyright", ""}}),
        App("AdaErrorsOnly", {{"list", "demo\ndemo\ndemo-util\n"}},
            {"demo/demo/src", "demo/demo-util/src/lib"}),
        {"NoArgument", Texts(App_List), App_Dirs, {}, {}, {}},
        {"ArgumentIsDirectory", Texts(App_List), App_Dirs, {}, {}, {"app"}},
        {"MaxLinesNotPositive", Texts(App_List), App_Dirs, {}, {}, {"list", "-1"}},
        {"HelpAsMaxLines", Texts(App_List), App_Dirs, {}, {}, {"list", "--help"}},
        {"ProjectFileNamedHelp",
         Texts(App_List, {{"--help", App_List}}),
         App_Dirs,
         {},
         {},
         {"./--help"}},
        Under(Nobody_Overriding, App("NobodyOverridingModes")),
        Under(Nobody, App("NobodyRefused")),
        Under(Effective_Nobody, App("EffectiveNobodyRefused")),
        Under(Nobody, App("ProjectFileUnreadable"), {{"list", fs::perms::none}}),
    };
}

class CheckAgainstRun : public testing::TestWithParam<Case> {};

TEST_P(CheckAgainstRun, PlanIsWhatTheRunDoes) {
    Run_Case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Trees, CheckAgainstRun, testing::ValuesIn(Trees()),
                         [](const auto& Info) { return Info.param.Name; });

// Neither a FIFO read nor a line cut at a NUL byte: every such line is an error, and
// nothing is judged of names cut there.
TEST(CheckReport, RefusesWhatIsNoText) {
    Case Row{"NoText", Texts("app\napp\nut\0il\nutil-\0\n"s), App_Dirs, {}, {"Versions.lst"}};
    Row.Inputs.erase("Versions.lst");
    Row.Out = "Versions.lst: error: cannot read 'Versions.lst': it is not a regular file\n"
              "list:3: error: line 3 holds a NUL byte\nlist:4: error: line 4 holds a NUL byte\n"
              "summary: 0 to create, 0 to skip, 1 to fail; 3 errors, 0 warnings\n";
    Run_Case(Row);
}

// The whole report, spelled out: input errors, plan, Ada checks, summary.
TEST(CheckReport, SpelledOut) {
    Case Row = App("SpelledOut", {{"list", "app\napp\nutil\nutil-Io\n\nutil\n"}, {"Copyright", ""}},
                   {"app/app/src", "app/util/src/lib"});
    Row.Out = "Copyright: error: cannot read a line from 'Copyright': end of file reached\n"
              "list:5: error: empty unit name\n"
              "create app/app/src/app.adb\n"
              "create app/util/src/lib/util.ads\n"
              "error app/util-Io/src/lib/util-Io.ads: directory 'app/util-Io/src/lib' does not "
              "exist\n"
              "hint: adaskel-layout list creates 'app/util-Io/src/lib'\n"
              "error app//src/lib/.ads: directory 'app//src/lib' does not exist\n"
              "hint: adaskel-layout list creates 'app//src/lib'\n"
              "exists app/util/src/lib/util.ads\n"
              "list:4: error: package 'Util.Io' goes into 'util-Io.ads', but GNAT looks for it in "
              "'util-io.ads'\n"
              "list:6: warning: 'Util' is listed twice (first at line 3); its spec file is "
              "written once\n"
              "summary: 0 to create, 0 to skip, 1 to fail; 3 errors, 1 warning\n";
    Run_Case(Row);
}

// A project file that cannot be looked at is an input error like one that cannot be read.
TEST(CheckReport, ProjectDirectoryUnsearchable) {
    Case Row = Under(Nobody, App("Unsearchable", {{"sub/list", App_List}}),
                     {{"sub", fs::perms::owner_read | fs::perms::owner_write}});
    Row.Args = {"sub/list"};
    Row.Out = "sub/list: error: cannot open 'sub/list': permission denied\n"
              "summary: 0 to create, 0 to skip, 1 to fail; 1 error, 0 warnings\n";
    Run_Case(Row);
}

// The header texts and the names as GNAT reads them, and the root written "./app".
TEST(CheckReport, HeaderAndNames) {
    Case Row = App(
        "HeaderAndNames",
        {{"list", "./app\napp\ndb-cache\ncalendar\nx[\"0391\"]\n"},
         {"Versions.lst", "0.9\r\n1.0\r\n"},
         {"Abstract.txt", "A\x01 abstract\n"}},
        {"app/app/src", "app/db-cache/src/lib", "app/calendar/src/lib", "app/x[\"0391\"]/src/lib"});
    Row.Out = "create ./app/./app/src/./app.adb\n"
              "create ./app/db-cache/src/lib/db-cache.ads\n"
              "create ./app/calendar/src/lib/calendar.ads\n"
              "create ./app/x[\"0391\"]/src/lib/x[\"0391\"].ads\n"
              "Abstract.txt:1: error: byte '\\x01' at column 2 is not allowed in an Ada "
              "comment: every generated header would fail to compile\n"
              "Versions.lst:2: error: ends in a carriage return (a CRLF file?): every generated "
              "header would fail to compile\n"
              "list:3: error: the parent 'Db' of 'Db.Cache' is neither in the project file nor "
              "at './app/db/src/lib/db.ads': GNAT will not find its spec\n"
              "list:4: error: 'Calendar' is the name of a predefined unit: GNAT takes its own in "
              "its place\n"
              "list:5: warning: 'X[\"0391\"]' holds a wide character in GNAT's bracket "
              "notation, which the check does not judge: GNAT takes it for a letter or a digit "
              "only, and names its file its own way\n"
              "summary: 4 to create, 0 to skip, 0 to fail; 4 errors, 1 warning\n";
    Run_Case(Row);
}

// --help and --version, as the first argument, answer on standard output before any
// input is read: here in a directory that holds nothing.
TEST(CheckInformation, AnsweredBeforeAnyInput) {
    const std::string Usage = "usage: adaskel-check PROJECT_FILE [MAX_LINES]\n";
    const std::string Version = "adaskel-check " ADASKEL_VERSION "\n";
    const struct {
        std::vector<std::string> Args;
        std::string Out; // the whole output, or its first line for --help
    } Rows[] = {
        {{"--help"}, Usage},
        {{"--help", "list", "-1"}, Usage},
        {{"--version"}, Version},
        {{"--version", "--help"}, Version},
    };
    for (const auto& Row : Rows) {
        const Sandbox Box;
        const Outcome Check = harness::Run(Box, ADASKEL_CHECK_BINARY, Row.Args);
        EXPECT_EQ(Check.Status, 0) << Row.Args[0] << ": " << Check.Err;
        EXPECT_EQ(Row.Args[0] == "--help" ? Check.Out.substr(0, Usage.size()) : Check.Out, Row.Out);
        EXPECT_EQ(Check.Err, "");
        EXPECT_TRUE(Snapshot(Box.Tree()).empty());
    }
}

// A file left empty by a crash is skipped by every run: the check says how to repair it.
TEST(CheckReport, EmptyFileWarned) {
    Case Row = App("EmptyFile", {{Util_Spec, ""}});
    Row.Out = "create app/app/src/app.adb\n"
              "exists app/util/src/lib/util.ads\n"
              "app/util/src/lib/util.ads: warning: exists but is empty: it may be left by a "
              "crash; remove it and run again to regenerate it\n"
              "create app/util-io/src/lib/util-io.ads\n"
              "summary: 2 to create, 1 to skip, 0 to fail; 0 errors, 1 warning\n";
    Run_Case(Row);
}

} // namespace
