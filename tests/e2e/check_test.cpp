// End-to-end tests of adaskel-check against adaskel: adaskel must create the "create" files
// before the check's first failing line, fail for its reason, and write nothing on input errors.
#include "harness.hpp"

#include <cstdlib>
#include <cstring>
#include <linux/fs.h>
#include <set>
#include <sys/ioctl.h>

namespace {

using namespace harness;
using namespace std::string_literals;

std::string Licence(int Lines) {
    std::string Text;
    for (int N = 1; N <= Lines; ++N) {
        Text += " licence line " + std::to_string(N) + "\n";
    }
    return Text;
}

const std::string App_List = "app\napp\nutil\nutil-io\n";
const std::string App_Body = "app/app/src/app.adb";
const std::string Util_Spec = "app/util/src/lib/util.ads";
const std::string Io_Spec = "app/util-io/src/lib/util-io.ads";

Files Texts(const std::string& List, Files Extra = {}) {
    Extra.merge(Files{{"Versions.lst", "1.0\n"},
                      {"Abstract.txt", "Checked\n"},
                      {"gpl.txt", Licence(310)},
                      {"Copyright", "The Authors\n"},
                      {"list", List}});
    return Extra;
}

struct Case {
    std::string Name;
    Files Inputs = Texts(App_List);
    std::vector<std::string> Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src/lib"};
    Links Made_Links{};
    std::vector<std::string> Fifos{};
    std::vector<std::string> Args{"list"};
    std::string Out{};                  // the check's whole output, when given
    std::vector<std::string> Wrapper{}; // the command both programs run under, if any
    std::vector<std::pair<std::string, fs::perms>> Modes{}; // set once the tree is made
    std::vector<std::string> Append_Only{};                 // directories made append-only, then
};

[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

// What the check promises of a run: the files it creates, why it stops ("" if it completes).
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
                Said.Creates.insert(fs::path(Line.substr(7)).lexically_normal().string());
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

// The promised paths as the tree holds them, a linked directory followed to its target.
std::multiset<std::string> Real_Paths(const fs::path& Tree,
                                      const std::multiset<std::string>& Paths) {
    std::multiset<std::string> Real;
    for (const auto& Path : Paths) {
        Real.insert(
            fs::weakly_canonical(Tree / Path).lexically_relative(fs::canonical(Tree)).string());
    }
    return Real;
}

// Runs Binary under Row's wrapper, from a copy any user can run.
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
const std::vector<std::string> Effective_Nobody = {"/usr/bin/setpriv", "--euid=65534"};
std::vector<std::string> Overriding(std::vector<std::string> Wrapper) {
    Wrapper.insert(Wrapper.end(), {"--inh-caps=+dac_override", "--ambient-caps=+dac_override"});
    return Wrapper;
}

// Under the shim: no unnamed files (so a hidden name each), and Settings.
std::vector<std::string> Shimmed(const std::vector<std::string>& Settings) {
    std::vector<std::string> Wrapper{"/usr/bin/env", "LD_PRELOAD=" ADASKEL_SHIM,
                                     "SHIM_NO_TMPFILE=1"};
    Wrapper.insert(Wrapper.end(), Settings.begin(), Settings.end());
    return Wrapper;
}

// Sets or clears the append-only flag of each directory; false where it cannot be set.
bool Set_Append_Only(const Sandbox& Box, const std::vector<std::string>& Dirs, bool On) {
    for (const std::string& Dir : Dirs) {
        const int Fd = ::open((Box.Tree() / Dir).c_str(), O_RDONLY | O_DIRECTORY);
        int Flags = 0;
        const bool Set = Fd >= 0 && ::ioctl(Fd, FS_IOC_GETFLAGS, &Flags) == 0 &&
                         (Flags = On ? Flags | FS_APPEND_FL : Flags & ~FS_APPEND_FL,
                          ::ioctl(Fd, FS_IOC_SETFLAGS, &Flags) == 0);
        ::close(Fd);
        if (!Set) {
            return false;
        }
    }
    return true;
}

// The flags set for a row, cleared again before its sandbox is removed.
struct Append_Only_Guard {
    const Sandbox& Box;
    const std::vector<std::string>& Dirs;
    ~Append_Only_Guard() { (void)Set_Append_Only(Box, Dirs, false); }
};

// LeakSanitizer cannot work in a process whose user ids differ.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Leaks_Sought = true;
#elif defined(__has_feature)
constexpr bool Leaks_Sought = __has_feature(address_sanitizer);
#else
constexpr bool Leaks_Sought = false;
#endif

void Run_Case(const Case& Row) {
    if (!Row.Wrapper.empty() && (::geteuid() != 0 || !fs::exists(Row.Wrapper.front()) ||
                                 (Leaks_Sought && Row.Wrapper == Effective_Nobody))) {
        GTEST_SKIP() << "needs root, " << Row.Wrapper.front() << " and one user id if sanitized";
    }
    if (Leaks_Sought && Row.Wrapper.size() > 1 && Row.Wrapper[1].starts_with("LD_PRELOAD")) {
        GTEST_SKIP() << "the sanitizer's runtime must be loaded first";
    }
    // The sanitizers' runtime and valgrind need descriptors of their own.
    const char* Preloaded = std::getenv("LD_PRELOAD");
    const bool Under_Valgrind = Preloaded != nullptr && std::strstr(Preloaded, "vgpreload");
    if ((Leaks_Sought || Under_Valgrind) && !Row.Wrapper.empty() &&
        Row.Wrapper.front().ends_with("prlimit")) {
        GTEST_SKIP() << "a checker's runtime needs descriptors of its own";
    }
    const Sandbox Box;
    Prepare(Box, Row.Dirs, Row.Inputs, Row.Made_Links, Row.Fifos);
    const Append_Only_Guard Guard{Box, Row.Append_Only};
    if (!Set_Append_Only(Box, Row.Append_Only, true)) {
        GTEST_SKIP() << "no append-only directory here";
    }
    fs::permissions(Box.Root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    for (const auto& [Path, Mode] : Row.Modes) {
        fs::permissions(Box.Tree() / Path, Mode);
    }
    const Files Before = Snapshot(Box.Tree());
    const Outcome Check = Run_Program(Box, Row, ADASKEL_CHECK_BINARY);
    EXPECT_EQ(Snapshot(Box.Tree()), Before) << "the check wrote into the tree";
    EXPECT_TRUE(Row.Out.empty() || Check.Out == Row.Out) << Check.Out;
    const Outcome Generated = Run_Program(Box, Row, ADASKEL_BINARY);
    std::multiset<std::string> Created;
    for (const auto& [Path, Bytes] : Snapshot(Box.Tree())) {
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
    EXPECT_EQ(Created, Real_Paths(Box.Tree(), Said.Creates)) << "files created by adaskel";
    EXPECT_EQ(Generated.Status, Said.Stop.empty() ? 0 : 1) << Generated.Err;
    EXPECT_NE(Generated.Err.find(Said.Stop), std::string::npos)
        << "adaskel said: " << Generated.Err << "the check said: " << Said.Stop;
    if (Generated.Status == 0) { // a second look finds everything in place
        const std::string Again = Run_Program(Box, Row, ADASKEL_CHECK_BINARY).Out;
        EXPECT_TRUE(Read_Report(Again).Creates.empty()) << Again;
    }
}

std::vector<Case> Trees() {
    Files No_Version = Texts("app\napp\nut\0il\nutil-\0\n"s);
    No_Version.erase("Versions.lst");
    return {
        {.Name = "LinkToFileThere",
         .Inputs = Texts(App_List, {{"mine.ads", "x\n"}}),
         .Made_Links = {{Util_Spec, "../../../../mine.ads"}}},
        {.Name = "LinksToFileCreatedEarlier",
         .Made_Links = {{Io_Spec, "hop"},
                        {"app/util-io/src/lib/hop", "../../../util/src/lib/util.ads"}}},
        {.Name = "LinkToFileCreatedLater",
         .Made_Links = {{Util_Spec, "../../../util-io/src/lib/util-io.ads"}}},
        // Two units whose spec directory is one, the second listed twice and reached by a
        // link before its repeat.
        {.Name = "TwoUnitsOneDirectory",
         .Inputs = Texts("app\napp\nutil\nutil-io\ndb\nutil-io\n"),
         .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src", "app/db/src/lib"},
         .Made_Links = {{"app/util-io/src/lib", "../../util/src/lib"},
                        {"app/db/src/lib/db.ads", "../../../util/src/lib/util-io.ads"}}},
        {.Name = "FifoAtSpec", .Fifos = {Util_Spec}},
        {.Name = "BodyDirectoryMissing", .Dirs = {"app/util/src/lib", "app/util-io/src/lib"}},
        {.Name = "DirectoryAtPath", .Dirs = {"app/app/src", Util_Spec, "app/util-io/src/lib"}},
        {.Name = "OnePathTwoSpellings",
         .Inputs = Texts("app\napp\nutil\n./util\n"),
         .Dirs = {"app/app/src", "app/util/src/lib"}},
        {.Name = "ShortLicence", .Inputs = Texts(App_List, {{"gpl.txt", Licence(308)}})},
        {.Name = "ShortLicenceAllThere",
         .Inputs = Texts(
             App_List,
             {{"gpl.txt", Licence(300)}, {App_Body, "a\n"}, {Util_Spec, "u\n"}, {Io_Spec, "i\n"}})},
        {.Name = "LicenceTooLong", .Inputs = Texts(App_List, {{"gpl.txt", Licence(4097)}})},
        {.Name = "NoVersion", .Inputs = Texts(App_List, {{"Versions.lst", "\n"}})},
        {.Name = "OneLine", .Inputs = Texts("app\n"), .Dirs = {"app/app/src"}},
        {.Name = "EmptyProject", .Inputs = Texts(""), .Dirs = {}},
        {.Name = "TooManyLines", .Args = {"list", "3"}},
        {.Name = "ExactlyMaxLines", .Args = {"list", "4"}},
        {.Name = "MaxLinesNotPositive", .Args = {"list", "-1"}},
        {.Name = "NoArgument", .Args = {}},
        {.Name = "ArgumentIsDirectory", .Args = {"app"}},
        {.Name = "ProjectFileNamedHelp",
         .Inputs = Texts(App_List, {{"--help", App_List}}),
         .Args = {"./--help"}},
        {.Name = "NobodyOverridingModes", .Wrapper = Overriding(Nobody)},
        {.Name = "NobodyRefused", .Wrapper = Nobody},
        {.Name = "EffectiveNobodyRefused", .Wrapper = Effective_Nobody},
        {.Name = "ProjectDirectoryUnsearchable",
         .Inputs = Texts(App_List, {{"sub/list", App_List}}),
         .Args = {"sub/list"},
         .Out = "sub/list: error: cannot open 'sub/list': permission denied\n"
                "summary: 0 to create, 0 to skip, 1 to fail; 1 error, 0 warnings\n",
         .Wrapper = Nobody,
         .Modes = {{"sub", fs::perms::owner_read | fs::perms::owner_write}}},
        // A FIFO is not read, a line is not cut at a NUL byte, nor a name judged there.
        {.Name = "NoText",
         .Inputs = No_Version,
         .Fifos = {"Versions.lst"},
         .Out = "Versions.lst: error: cannot read 'Versions.lst': it is not a regular file\n"
                "list:3: error: line 3 holds a NUL byte\nlist:4: error: line 4 holds a NUL byte\n"
                "summary: 0 to create, 0 to skip, 1 to fail; 3 errors, 0 warnings\n"},
        {.Name = "SpelledOut",
         .Inputs = Texts("app\napp\nutil\nutil-Io\n\nutil\n", {{"Copyright", ""}}),
         .Dirs = {"app/app/src", "app/util/src/lib"},
         .Out = "Copyright: error: cannot read a line from 'Copyright': end of file reached\n"
                "list:5: error: empty unit name\n"
                "create app/app/src/app.adb\n"
                "create app/util/src/lib/util.ads\n"
                "error app/util-Io/src/lib/util-Io.ads: directory 'app/util-Io/src/lib' does "
                "not exist\n"
                "error app//src/lib/.ads: directory 'app//src/lib' does not exist\n"
                "exists app/util/src/lib/util.ads\n"
                "list:6: warning: 'Util' is listed twice (first at line 3); its spec file is "
                "written once\n"
                "summary: 0 to create, 0 to skip, 1 to fail; 2 errors, 1 warning\n"},
        // File systems without unnamed files, links or renames that never replace, and an
        // append-only directory where a hidden name could not be removed.
        {.Name = "NoLinksRenamed", .Wrapper = Shimmed({"SHIM_NO_LINK=1"})},
        {.Name = "NoLinksNoRename", .Wrapper = Shimmed({"SHIM_NO_LINK=1", "SHIM_NO_RENAME=1"})},
        {.Name = "AppendOnlyWithHiddenNames",
         .Wrapper = Shimmed({}),
         .Append_Only = {"app/util/src/lib"}},
        {.Name = "AppendOnlyWithUnnamedFiles", .Append_Only = {"app/util/src/lib"}},
        {.Name = "OpenFilesTooFew", .Wrapper = {"/usr/bin/prlimit", "--nofile=8", "--"}},
        {.Name = "ClockBeyond9999", .Wrapper = Shimmed({"SHIM_CLOCK=253418070896"})},
        // Header texts, the root written "./app", and a file left empty by a crash.
        {.Name = "HeaderTextsAndEmptyFile",
         .Inputs = Texts("./app\napp\ndb-cache\n", {{"Versions.lst", "0.9\r\n1.0\r\n"},
                                                    {"Abstract.txt", "A\x01 abstract\n"},
                                                    {"app/db-cache/src/lib/db-cache.ads", ""}}),
         .Dirs = {"app/app/src"},
         .Out = "create ./app/./app/src/./app.adb\n"
                "exists ./app/db-cache/src/lib/db-cache.ads\n"
                "./app/db-cache/src/lib/db-cache.ads: warning: exists but is empty: it may be "
                "left by a crash; remove it and run again to regenerate it\n"
                "Abstract.txt:1: error: byte '\\x01' at column 2 is not allowed in an Ada "
                "comment: every generated header would fail to compile\n"
                "Versions.lst:2: error: ends in a carriage return (a CRLF file?): every "
                "generated header would fail to compile\n"
                "list:1: error: root './app' is not a GPR project name: it must be an identifier "
                "of ASCII letters, digits and underscores\n"
                "list:3: error: the parent 'Db' of 'Db.Cache' is neither in the project file "
                "nor at './app/db/src/lib/db.ads': GNAT will not find its spec\n"
                "summary: 1 to create, 1 to skip, 0 to fail; 4 errors, 1 warning\n"},
        // What the build reads besides the run's files: a GPR file by hand, the main body's
        // with clauses (a spec in the tree but in no directory of the build is no help), and
        // the GPL-3 text.
        {.Name = "HandGprStaleWithsGpl3",
         .Inputs = Texts(App_List,
                         {{"gpl.txt", "                    GNU GENERAL PUBLIC LICENSE\n"
                                      "                       Version 3, 29 June 2007\n" +
                                          Licence(310)},
                          {"app/app.gpr", "project App is\nend App;\n"},
                          {"app/report/src/lib/report.ads", "package Report is end;\n"},
                          {App_Body, "-- with Fake;\nwith Util ;\nwith Ada.Text_IO, Report;\n"
                                     "with Gone.Away ; procedure App is begin null; end App;\n"}}),
         .Out =
             "exists app/app/src/app.adb\ncreate app/util/src/lib/util.ads\n"
             "create app/util-io/src/lib/util-io.ads\n"
             "gpl.txt: warning: is the GPL version 3, whose lines 295 to 309, which every header "
             "quotes, are not a notice but a piece of its section 6\n"
             "app/app.gpr: warning: does not take its sources from 'app_tree.gpr', so its source "
             "directories and naming do not follow the list; to adopt it, write 'with "
             "\"app_tree.gpr\";' before its project line, and 'for Source_Dirs use "
             "App_Tree.Source_Dirs;' and 'package Naming renames App_Tree.Naming;' in place of its "
             "own (adaskel-layout rewrites 'app_tree.gpr' on every run)\n"
             "app/app/src/app.adb:3: warning: withs Report, which nothing in the list or the tree "
             "provides (renamed or removed?)\n"
             "app/app/src/app.adb:4: warning: withs Gone.Away, which nothing in the list or the "
             "tree provides (renamed or removed?)\n"
             "app/app/src/app.adb: warning: not refreshed by adaskel-refresh: its header is not "
             "adaskel's: it has fewer than 19 lines\n"
             "summary: 2 to create, 1 to skip, 0 to fail; 0 errors, 5 warnings\n"},
        {.Name = "DerivedGprStale",
         .Inputs = Texts(App_List, {{"app/app.gpr", "with \"app_tree.gpr\";\n"},
                                    {"app/app_tree.gpr", "abstract project App_Tree is\n"}}),
         .Out = "create app/app/src/app.adb\ncreate app/util/src/lib/util.ads\n"
                "create app/util-io/src/lib/util-io.ads\n"
                "app/app_tree.gpr: warning: does not follow the list and the tree, so gprbuild "
                "would not build what the run writes: adaskel-layout list writes it from the list "
                "and the tree\n"
                "summary: 3 to create, 0 to skip, 0 to fail; 0 errors, 1 warning\n"},
    };
}

class CheckAgainstRun : public testing::TestWithParam<Case> {};

TEST_P(CheckAgainstRun, PlanIsWhatTheRunDoes) {
    Run_Case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Trees, CheckAgainstRun, testing::ValuesIn(Trees()),
                         [](const auto& Info) { return Info.param.Name; });

// A name of a megabyte is shown in every line cut as reports cut it, never whole.
TEST(CheckPlan, LongNamesShownInPart) {
    const Sandbox Box;
    Prepare(Box, {"app/app/src"}, Texts("app\napp\n" + std::string(1U << 20U, 'u') + "\n"), {});
    const Outcome Check = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"});
    std::istringstream Lines(Check.Out);
    int Plan_Lines = 0;
    for (std::string Line; std::getline(Lines, Line);) {
        EXPECT_LT(Line.size(), 1000U) << Line.substr(0, 100);
        Plan_Lines += Line.starts_with("error app/" + std::string(196, 'u') + "... (") ? 1 : 0;
    }
    EXPECT_EQ(Plan_Lines, 1) << Check.Out.substr(0, 2000);
    EXPECT_EQ(Check.Status, 1);
}

// --help and --version, as the first argument, answer before any input is read.
TEST(CheckInformation, AnsweredBeforeAnyInput) {
    const Sandbox Box;
    const Outcome Help = harness::Run(Box, ADASKEL_CHECK_BINARY, {"--help", "list", "-1"});
    const Outcome Version = harness::Run(Box, ADASKEL_CHECK_BINARY, {"--version", "--help"});
    // The text itself is the manual page's business; here, that it is the help.
    EXPECT_TRUE(Help.Out.starts_with("usage: adaskel-check PROJECT_FILE [MAX_LINES]\n"));
    EXPECT_NE(Help.Out.find("\nExit status: "), std::string::npos);
    EXPECT_EQ(Version.Out, "adaskel-check " ADASKEL_VERSION "\n");
    EXPECT_EQ(Help.Status, 0);
    EXPECT_EQ(Version.Status, 0);
    EXPECT_EQ(Help.Err + Version.Err, "");
    EXPECT_TRUE(Snapshot(Box.Tree()).empty());
}

// The report is held in a buffer, yet comes out whole; a write that fails, midway or the
// last one, fails the check with its reason, after the lines written before it.
TEST(CheckReport, WholeOrFailedWithItsReason) {
    std::string List = "app\napp\n";
    for (int Unit = 1; Unit <= 2000; ++Unit) {
        List += "unit" + std::to_string(Unit) + "\n";
    }
    const Sandbox Box;
    Prepare(Box, {}, Texts(List), {});
    const Outcome Whole = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"});
    EXPECT_EQ(std::count(Whole.Out.begin(), Whole.Out.end(), '\n'), 2 * 2001 + 1);
    EXPECT_TRUE(Whole.Out.ends_with(
        "hint: adaskel-layout list creates 'app/unit2000/src/lib'\nsummary: 0 to create, 0 to "
        "skip, 1 to fail; 0 errors, 0 warnings\n"));
    const Outcome Cut = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"}, {}, 100000);
    EXPECT_TRUE(Whole.Out.starts_with(Cut.Out) && Cut.Out.size() > 50000) << Cut.Out.size();
    const Outcome Full = harness::Run(Box, ADASKEL_CHECK_BINARY, {"--version"}, "/dev/full");
    EXPECT_EQ(Whole.Status + Cut.Status + Full.Status, 3);
    EXPECT_EQ(Whole.Err + Cut.Err + Full.Err,
              "adaskel-check: cannot write to standard output: file too large\n"
              "adaskel-check: cannot write to standard output: no space left on device\n");
}

} // namespace
