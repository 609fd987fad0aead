// End-to-end tests of adaskel-check against adaskel: adaskel must create the "create" files
// before the check's first failing line, fail for its reason, and write nothing on input errors.
#include "harness.hpp"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>

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
const std::vector<std::string> App_Dirs = {"app/app/src", "app/util/src/lib",
                                           "app/util-io/src/lib"};

// The warning on the derived project where adaskel-layout refuses to replace it.
// Where gprbuild then cannot build: no GPR file would be written, or the one there takes
// its sources from a path holding no file (a FIFO or a directory once passed for clean).
const std::string Layout_Refuses = "app/.adaskel/app_tree.gpr: error: adaskel-layout list "
                                   "refuses to rewrite it, creating nothing: ";

// The reference texts with a licence whose lines 295 to 309 make a header, unless Extra has one.
Files Texts(const std::string& List, Files Extra = {}) {
    Extra.try_emplace("gpl.txt", Licence(310));
    return Reference_Texts(List, std::move(Extra));
}

struct Case {
    std::string Name;
    Files Inputs = Texts(App_List);
    std::vector<std::string> Dirs = App_Dirs;
    Links Made_Links{};
    std::vector<std::string> Fifos{};
    std::vector<std::string> Args{"list"};
    std::string Out{}; // lines the check's output holds in this order, ending with the last
    std::vector<std::string> Wrapper{}; // the command both programs run under, if any
    std::vector<std::pair<std::string, fs::perms>> Modes{}; // set once the tree is made
    std::vector<std::string> Append_Only{};                 // directories made append-only, then
};

using harness::PrintTo; // NOLINT(misc-unused-using-decls): gtest finds it by the row's type

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

// Each line of Lines is a line of Report, in that order, and the last one ends it: the plan
// lines are held against the run, and a line left out still counts in the summary.
void Expect_Lines(const std::string& Report, const std::string& Lines) {
    const std::string Text = "\n" + Report;
    std::size_t At = 0;
    std::istringstream Wanted(Lines);
    for (std::string Line; std::getline(Wanted, Line);) {
        At = Text.find("\n" + Line + "\n", At);
        ASSERT_NE(At, std::string::npos) << Line << "\nnot in order in:\n" << Report;
        At += Line.size() + 1;
    }
    EXPECT_TRUE(Lines.empty() || At + 1 == Text.size()) << Report;
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

// LeakSanitizer cannot work in a process whose user ids differ.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool Leaks_Sought = true;
#elif defined(__has_feature)
constexpr bool Leaks_Sought = __has_feature(address_sanitizer);
#else
constexpr bool Leaks_Sought = false;
#endif

// Under a sanitizer or valgrind, whose runtimes need descriptors and memory of their own.
bool Under_Checker() {
    const char* Preloaded = std::getenv("LD_PRELOAD");
    return Leaks_Sought || (Preloaded != nullptr && std::strstr(Preloaded, "vgpreload") != nullptr);
}

void Run_Case(const Case& Row) {
    if (!Row.Wrapper.empty() && (::geteuid() != 0 || !fs::exists(Row.Wrapper.front()) ||
                                 (Leaks_Sought && Row.Wrapper == Effective_Nobody))) {
        GTEST_SKIP() << "needs root, " << Row.Wrapper.front() << " and one user id if sanitized";
    }
    if (Leaks_Sought && Row.Wrapper.size() > 1 && Row.Wrapper[1].starts_with("LD_PRELOAD")) {
        GTEST_SKIP() << "the sanitizer's runtime must be loaded first";
    }
    if (Under_Checker() && !Row.Wrapper.empty() && Row.Wrapper.front().ends_with("prlimit")) {
        GTEST_SKIP() << "a checker's runtime needs descriptors of its own";
    }
    const Sandbox Box(Row.Dirs, Row.Inputs, Row.Made_Links, Row.Fifos);
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
    Expect_Lines(Check.Out, Row.Out);
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
    const std::string Provides =
        "which nothing in the list or the tree provides (renamed or removed?)";
    // clang-format off
    return {
        {.Name = "LinksToFileCreatedEarlier",
         .Made_Links = {{Io_Spec, "hop"}, {"app/util-io/src/lib/hop", "../../../util/src/lib/util.ads"}}},
        {.Name = "LinkToFileCreatedLater", .Made_Links = {{Util_Spec, "../../../util-io/src/lib/util-io.ads"}}},
        // Two units whose spec directory is one, the second listed twice and reached by a
        // link before its repeat.
        {.Name = "TwoUnitsOneDirectory", .Inputs = Texts("app\napp\nutil\nutil-io\ndb\nutil-io\n"),
         .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src", "app/db/src/lib"},
         .Made_Links = {{"app/util-io/src/lib", "../../util/src/lib"},
                        {"app/db/src/lib/db.ads", "../../../util/src/lib/util-io.ads"}}},
        {.Name = "FifoAtSpec", .Fifos = {Util_Spec}},
        {.Name = "BodyDirectoryMissing", .Dirs = {"app/util/src/lib", "app/util-io/src/lib"}},
        {.Name = "DirectoryAtPath", .Dirs = {"app/app/src", Util_Spec, "app/util-io/src/lib"}},
        {.Name = "OnePathTwoSpellings", .Inputs = Texts("app\napp\nutil\n./util\n"),
         .Dirs = {"app/app/src", "app/util/src/lib"}},
        {.Name = "ShortLicence", .Inputs = Texts(App_List, {{"gpl.txt", Licence(308)}})},
        {.Name = "LicenceTooLong", .Inputs = Texts(App_List, {{"gpl.txt", Licence(4097)}})},
        {.Name = "OneLine", .Inputs = Texts("app\n"), .Dirs = {"app/app/src"}},
        {.Name = "EmptyProject", .Inputs = Texts(""), .Dirs = {}},
        {.Name = "TooManyLines", .Args = {"list", "3"}},
        {.Name = "MaxLinesNotPositive", .Args = {"list", "-1"}},
        {.Name = "NoArgument", .Args = {}},
        {.Name = "ArgumentIsDirectory", .Args = {"app"}},
        {.Name = "ProjectFileNamedHelp", .Inputs = Texts(App_List, {{"--help", App_List}}), .Args = {"./--help"}},
        {.Name = "NobodyOverridingModes", .Wrapper = Overriding(Nobody)},
        {.Name = "NobodyRefused", .Wrapper = Nobody},
        {.Name = "EffectiveNobodyRefused", .Wrapper = Effective_Nobody},
        // A FIFO is not read, a line is not cut at a NUL byte, nor a name judged there.
        {.Name = "NoText", .Inputs = No_Version, .Fifos = {"Versions.lst"},
         .Out = "Versions.lst: error: cannot read 'Versions.lst': it is not a regular file\n"
                "list:3: error: line 3 holds a NUL byte\nlist:4: error: line 4 holds a NUL byte\n"
                "summary: 0 to create, 0 to skip, 0 to fail; 3 errors, 0 warnings\n"},
        {.Name = "SpelledOut", .Inputs = Texts("app\napp\nutil\nutil-Io\n\nutil\n", {{"Copyright", ""}}),
         .Dirs = {"app/app/src", "app/util/src/lib"},
         .Out = "Copyright: error: cannot read a line from 'Copyright': end of file reached\n"
                "list:5: error: empty unit name\ncreate app/app/src/app.adb\ncreate app/util/src/lib/util.ads\n"
                "error app/util-Io/src/lib/util-Io.ads: directory 'app/util-Io/src/lib' does not exist\n"
                "error app//src/lib/.ads: directory 'app//src/lib' does not exist\n"
                "exists app/util/src/lib/util.ads\n"
                "list:6: warning: 'Util' is listed twice (first at line 3); its spec file is written once\n"
                "summary: 2 to create, 1 to skip, 2 to fail; 2 errors, 1 warning\n"},
        // File systems without unnamed files, links or renames that never replace, and an
        // append-only directory where a hidden name could not be removed.
        {.Name = "NoLinksRenamed", .Wrapper = Shimmed({"SHIM_NO_LINK=1"})},
        {.Name = "NoLinksNoRename", .Wrapper = Shimmed({"SHIM_NO_LINK=1", "SHIM_NO_RENAME=1"})},
        {.Name = "AppendOnlyWithHiddenNames", .Wrapper = Shimmed({}), .Append_Only = {"app/util/src/lib"}},
        {.Name = "OpenFilesTooFew", .Wrapper = {"/usr/bin/prlimit", "--nofile=8", "--"}},
        {.Name = "ClockBeyond9999", .Wrapper = Shimmed({"SHIM_CLOCK=253418070896"})},
        // Header texts, the root written "./app", and a file left empty by a crash.
        {.Name = "HeaderTextsAndEmptyFile",
         .Inputs = Texts("./app\napp\ndb-cache\n", {{"Versions.lst", "0.9\r\n1.0\r\n"},
                                                    {"Abstract.txt", "A\x01 abstract\n"},
                                                    {"app/db-cache/src/lib/db-cache.ads", ""}}),
         .Dirs = {"app/app/src"},
         .Out = "create ./app/./app/src/./app.adb\nexists ./app/db-cache/src/lib/db-cache.ads\n"
                "./app/db-cache/src/lib/db-cache.ads: warning: exists but is empty: it may be left by a crash; "
                "remove it and run again to regenerate it\n"
                "Abstract.txt:1: error: byte '\\x01' at column 2 is not allowed in an Ada comment: every generated "
                "header would fail to compile\n"
                "Versions.lst:2: error: ends in a carriage return (a CRLF file?): every generated header would fail "
                "to compile\n"
                "list:1: error: root './app' is not a GPR project name: it must be an identifier of ASCII letters, "
                "digits and underscores\n"
                "list:3: error: the parent 'Db' of 'Db.Cache' is neither in the project file nor at "
                "'./app/db/src/lib/db.ads': GNAT will not find its spec\n"
                "summary: 1 to create, 1 to skip, 0 to fail; 4 errors, 1 warning\n"},
        // What the build reads besides the run's files: a GPR file by hand, the main body's
        // with clauses (a spec in the tree but in no directory of the build is no help), and
        // the GPL-3 text.
        {.Name = "HandGprStaleWithsGpl3",
         .Inputs = Texts(App_List, {{"gpl.txt", "                    GNU GENERAL PUBLIC LICENSE\n"
                                                "                       Version 3, 29 June 2007\n" + Licence(310)},
                                    {"app/app.gpr", "project App is\nend App;\n"},
                                    {"app/report/src/lib/report.ads", "package Report is end;\n"},
                                    {App_Body, "-- with Fake;\nwith Util ;\nwith Ada.Text_IO, Report;\n"
                                               "with Gone.Away ; procedure App is begin null; end App;\n"}}),
         .Out = "gpl.txt: warning: is the GPL version 3, whose lines 295 to 309, which every header quotes, are not a "
                "notice but a piece of its section 6\n"
                "app/app.gpr: warning: does not take its sources from '.adaskel/app_tree.gpr', so its source "
                "directories and naming do not follow the list; to adopt it, write 'with \".adaskel/app_tree.gpr\";' "
                "before its project line, and 'for Source_Dirs use App_Tree.Source_Dirs;' and 'package Naming renames "
                "App_Tree.Naming;' in place of its own (adaskel-layout rewrites '.adaskel/app_tree.gpr' on every run)\n"
                "app/app/src/app.adb:3: warning: withs Report, " + Provides + "\n"
                "app/app/src/app.adb:4: warning: withs Gone.Away, " + Provides + "\n"
                "list:4: warning: 'Util.Io' is not compiled by gprbuild: add `with Util.Io;` to app.adb, or build with "
                "`gprbuild -U`\n"
                "summary: 2 to create, 1 to skip, 0 to fail; 0 errors, 6 warnings\n"},
        {.Name = "StaleWithOtherProjects",
         .Inputs = Texts(App_List, {{"app/app.gpr", "with \".adaskel/app_tree.gpr\", \"../logs/logs.gpr\";\n"
                                                    "project App is\nend App;\n"},
                                    {App_Body, "with Util.Io, Logs;\nprocedure App is begin null; end;\n"}}),
         .Out = "app/app/src/app.adb:1: warning: withs Logs, " + Provides + ", unless a project 'app/app.gpr' withs "
                "provides it: '../logs/logs.gpr'\n"
                "summary: 2 to create, 1 to skip, 0 to fail; 0 errors, 3 warnings\n"},
        // A unit added after the body was written, which no source of the tree withs, and
        // one a withed spec withs.
        {.Name = "AddedUnitNeverCompiled",
         .Inputs = Texts("app\napp\nutil\nutil-io\ndb\n",
                         {{App_Body, "with Util;\nprocedure App is begin null; end App;\n"},
                          {Util_Spec, "with Util.Io;\npackage Util is end Util;\n"}}),
         .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src/lib", "app/db/src/lib"},
         .Out = "list:5: warning: 'Db' is not compiled by gprbuild: add `with Db;` to app.adb, or build with "
                "`gprbuild -U`\n"
                "summary: 2 to create, 2 to skip, 0 to fail; 0 errors, 3 warnings\n"},
        // A main body or GPR file the check cannot read is reported, not taken as empty.
        {.Name = "MainBodyUnreadable",
         .Inputs = Texts(App_List, {{App_Body, "with Gone;\nprocedure App is begin null; end;\n"},
                                    {Util_Spec, "package Util is end Util;\n"},
                                    {Io_Spec, "package Util.Io is end Util.Io;\n"}}),
         .Out = "app/app/src/app.adb: error: cannot read 'app/app/src/app.adb': permission denied, so gprbuild cannot "
                "compile it and its with clauses are not checked\n"
                "app/app/src/app.adb: warning: not refreshed by adaskel-refresh: it cannot be read: permission denied\n"
                "summary: 0 to create, 3 to skip, 0 to fail; 1 error, 3 warnings\n",
         .Wrapper = Nobody, .Modes = {{App_Body, fs::perms::none}}},
        {.Name = "GprUnreadable",
         .Inputs = Texts(App_List, {{"app/app.gpr", "with \".adaskel/app_tree.gpr\";\nproject App is end App;\n"},
                                    {App_Body, "with Util, Util.Io;\nprocedure App is begin null; end;\n"},
                                    {Util_Spec, "package Util is end Util;\n"},
                                    {Io_Spec, "package Util.Io is end Util.Io;\n"}}),
         .Out = "app/app.gpr: error: cannot read 'app/app.gpr': permission denied, so gprbuild cannot build the "
                "project and the check cannot tell what it takes\n"
                "app/.adaskel/app_tree.gpr: warning: is missing, but the GPR file takes its sources from it: "
                "adaskel-layout list writes it from the list and the tree\n"
                "summary: 0 to create, 3 to skip, 0 to fail; 1 error, 4 warnings\n",
         .Wrapper = Nobody, .Modes = {{"app/app.gpr", fs::perms::none}}},
        // A parent spec in the tree serves only up to one the tree lacks: the with of the
        // spec above the gap, which the derived project leaves out, was once passed.
        {.Name = "ParentsUpToAGap",
         .Inputs = Texts("app\napp\np-q-r\n",
                         {{"app/p/src/lib/p.ads", "package P is end;\n"},
                          {App_Body, "with P;\nwith P.Q.R;\nprocedure App is begin null; end App;\n"}}),
         .Dirs = {"app/p-q-r/src/lib"},
         .Out = "list:3: error: the parent 'P.Q' of 'P.Q.R' is neither in the project file nor at "
                "'app/p-q/src/lib/p-q.ads': GNAT will not find its spec\n"
                "app/app/src/app.adb:1: error: withs P, " + Provides + ", and 'app/app.gpr', as adaskel-layout "
                "writes it, withs no other project that could: gprbuild will not find 'p.ads'\n"
                "app/app/src/app.adb: warning: not refreshed by adaskel-refresh: its header is not adaskel's: it has "
                "fewer than 19 lines\n"
                "summary: 1 to create, 1 to skip, 0 to fail; 2 errors, 1 warning\n"},
        // Something other than a regular file at the derived project's path, which
        // adaskel-layout refuses to replace: the check used to say nothing of a FIFO, and
        // call a directory missing and written by adaskel-layout.
        {.Name = "DerivedGprFifo", .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src/lib", "app/.adaskel"},
         .Fifos = {"app/.adaskel/app_tree.gpr"},
         .Out = Layout_Refuses + "it exists and is not a regular file, and so writes no GPR file: "
                "gprbuild cannot build the project\nsummary: 3 to create, 0 to skip, 0 to fail; 1 error, 0 warnings\n"},
        {.Name = "DerivedGprDirectory",
         .Inputs = Texts(App_List, {{"app/app.gpr", "with \".adaskel/app_tree.gpr\";\n"}}),
         .Dirs = {"app/app/src", "app/util/src/lib", "app/util-io/src/lib", "app/.adaskel/app_tree.gpr"},
         .Out = Layout_Refuses + "it is a directory, and the GPR file takes its sources from it: "
                "gprbuild cannot build the project\nsummary: 3 to create, 0 to skip, 0 to fail; 1 error, 0 warnings\n"},
        // A tree laid out before the derived project moved: the one line that says how to
        // move it, and the old file judged, since that is the one the build takes.
        {.Name = "DerivedGprAtOldPlace",
         .Inputs = Texts(App_List, {{"app/app.gpr", "with \"app_tree.gpr\";\n"},
                                    {"app/app_tree.gpr", "abstract project App_Tree is\n"}}),
         .Out = "app/app.gpr: warning: withs the derived project at its old place 'app_tree.gpr', so 'app/' holds two "
                "project files and an editor loads neither; to move it, write 'with \".adaskel/app_tree.gpr\";' in "
                "place of 'with \"app_tree.gpr\";' and remove 'app/app_tree.gpr' (adaskel-layout keeps both up to "
                "date until then)\n"
                "app/app_tree.gpr: warning: does not follow the list and the tree, so gprbuild would not build what "
                "the run writes: adaskel-layout list writes it from the list and the tree\n"
                "summary: 3 to create, 0 to skip, 0 to fail; 0 errors, 2 warnings\n"},
    };
    // clang-format on
}

class CheckAgainstRun : public testing::TestWithParam<Case> {};

TEST_P(CheckAgainstRun, PlanIsWhatTheRunDoes) {
    Run_Case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Trees, CheckAgainstRun, testing::ValuesIn(Trees()), Row_Name);

// A name of a megabyte is shown in every line cut as reports cut it, never whole.
TEST(CheckPlan, LongNamesShownInPart) {
    const Sandbox Box({"app/app/src"}, Texts("app\napp\n" + std::string(1U << 20U, 'u') + "\n"));
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
    EXPECT_EQ(Help.Status + Version.Status, 0);
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
    const Sandbox Box({}, Texts(List));
    const Outcome Whole = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"});
    EXPECT_EQ(std::count(Whole.Out.begin(), Whole.Out.end(), '\n'), 2 * 2001 + 1);
    // Each plan line is counted by what it says: 2001 errors, not "1 to fail".
    EXPECT_TRUE(Whole.Out.ends_with(
        "hint: adaskel-layout list creates 'app/unit2000/src/lib'\nsummary: 0 to create, 0 to "
        "skip, 2001 to fail; 0 errors, 0 warnings\n"));
    const Outcome Cut = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"}, {}, 100000);
    EXPECT_TRUE(Whole.Out.starts_with(Cut.Out) && Cut.Out.size() > 50000) << Cut.Out.size();
    const Outcome Full = harness::Run(Box, ADASKEL_CHECK_BINARY, {"--version"}, "/dev/full");
    EXPECT_EQ(Whole.Status + Cut.Status + Full.Status, 3);
    EXPECT_EQ(Whole.Err + Cut.Err + Full.Err,
              "adaskel-check: cannot write to standard output: file too large\n"
              "adaskel-check: cannot write to standard output: no space left on device\n");
}

// A random stream of the tokens a context clause is made of, and of some it never holds.
std::string Random_Tokens(std::mt19937& Random) {
    static const std::vector<std::string> Pieces = {
        "with ",   "limited ", "private ",  "use ",
        "pragma ", "Util",     "Io",        ".",
        " ",       ",",        ";",         "(",
        ")",       "'",        "\"",        "\"\"",
        "'\"'",    "--",       "\n",        "\r\n",
        "\t",      "A'B",      "\0"s,       "\xff",
        "_",       "9",        "Gone.Away", "procedure App is begin null; end App;\n"};
    std::string Source;
    for (std::size_t J = Random() % 2000; J > 0; --J) {
        Source += Pieces[Random() % Pieces.size()];
    }
    return Source;
}

// Main bodies made to break a reader: random token streams, 200,000 string literals (a
// call each once overflowed the stack), a sparse file of 4 GB (once read whole, as was
// such a GPR file). Each check ends by itself, within a second and an address space of
// 64 MiB (the sanitizers and valgrind need far more of it for themselves).
TEST(CheckRobustness, AnyMainBodyReadWithinBounds) {
    const Sandbox Box(App_Dirs, Texts(App_List));
    const fs::path Body = Box.Tree() / App_Body;
    const bool Checked = Under_Checker();
    // Its output discarded, its address space limited by prlimit where no checker runs.
    std::vector<std::string> Args{"--as=" + std::to_string(rlim_t{64} << 20U), "--",
                                  ADASKEL_CHECK_BINARY, "list"};
    const auto Judge = [&](const std::string& What) {
        const auto Start = std::chrono::steady_clock::now();
        const Outcome Run = Checked ? harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"}, "/dev/null")
                                    : harness::Run(Box, "/usr/bin/prlimit", Args, "/dev/null");
        EXPECT_TRUE(Run.Status == 0 || Run.Status == 1) << What << ": status " << Run.Status;
        EXPECT_EQ(Run.Err, "") << What;
        EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(Checked ? 10 : 1))
            << What;
    };
    std::ofstream(Body, std::ios::binary) << Repeated("\"\" ", 200000) << "\n";
    Judge("200,000 literals");
    for (const fs::path& Sparse : {Body, Box.Tree() / "app/app.gpr"}) {
        std::ofstream(Sparse, std::ios::binary | std::ios::trunc).close();
        ASSERT_EQ(::truncate(Sparse.c_str(), std::int64_t{4} << 30), 0);
        Judge("a sparse file of 4 GB at " + Sparse.string());
    }
    fs::remove(Box.Tree() / "app/app.gpr");
    std::mt19937 Random(27);
    // A hundred streams here, each check a process (ten under a checker, which takes a
    // second or so to start each); ADASKEL_CHECK_STREAMS asks for more.
    const char* Asked = std::getenv("ADASKEL_CHECK_STREAMS");
    const int Streams = Asked != nullptr ? std::atoi(Asked) : Checked ? 10 : 100;
    for (int Stream = 0; Stream < Streams; ++Stream) {
        const std::string Source = Random_Tokens(Random);
        std::ofstream(Body, std::ios::binary | std::ios::trunc) << Source;
        Judge("random stream " + std::to_string(Stream));
        if (HasFailure()) {
            FAIL() << "on the main body:\n" << Source;
        }
    }
}

// The JSON report is the text report line for line, with the same status: a format
// that dropped a finding or changed the status would mislead CI. A format it does not know
// refuses the command line.
TEST(CheckReport, JsonTellsWhatTheTextTells) {
    const Sandbox Box({"app/app/src"},
                      Texts("app\napp\nutil-io\nobj\n",
                            {{"app/app.gpr", "project App is\nend App;\n"}, {App_Body, ""}}));
    const Outcome Text = harness::Run(Box, ADASKEL_CHECK_BINARY, {"list"});
    const Outcome Json =
        harness::Run(Box, ADASKEL_CHECK_BINARY, {"--format=sarif", "--format=json", "list"});
    EXPECT_EQ(Text.Status, 1);
    EXPECT_EQ(Json.Status, 1);
    std::istringstream Text_Lines(Text.Out);
    std::istringstream Json_Lines(Json.Out);
    std::string Object;
    std::size_t Count = 0;
    for (std::string Line; std::getline(Text_Lines, Line); ++Count) {
        ASSERT_TRUE(std::getline(Json_Lines, Object)) << "no object for: " << Line;
        const std::size_t At = Object.find("\"message\": \"");
        ASSERT_NE(At, std::string::npos) << Object;
        // The message as JSON holds it, its quotation marks and backslashes unescaped.
        std::string Message;
        for (std::size_t K = At + 12; K + 2 < Object.size(); ++K) {
            Message += Object[Object[K] == '\\' ? ++K : K];
        }
        EXPECT_NE(Line.find(Message), std::string::npos) << Line << "\n" << Object;
    }
    EXPECT_FALSE(std::getline(Json_Lines, Object)) << Object;
    EXPECT_GE(Count, 5U);
    EXPECT_NE(Json.Out.find("{\"kind\": \"diagnostic\", \"path\": \"list\", \"line\": 4, "
                            "\"severity\": \"error\", \"rule\": \"unit-directory\", "),
              std::string::npos)
        << Json.Out;
    EXPECT_NE(Json.Out.find("\"rule\": \"parent-unit\""), std::string::npos);
    EXPECT_NE(Json.Out.find("\"rule\": \"gpr-not-derived\""), std::string::npos);
    EXPECT_NE(Json.Out.find("\"rule\": \"empty-file\""), std::string::npos);
    const Outcome Refused = harness::Run(Box, ADASKEL_CHECK_BINARY, {"--format=xml", "list"});
    EXPECT_EQ(Refused.Status, 2);
    EXPECT_EQ(Refused.Out, "");
    EXPECT_EQ(Refused.Err, "adaskel-check: 'xml' is not a report format: text, json or sarif\n"
                           "usage: adaskel-check [--format=text|json|sarif] PROJECT_FILE "
                           "[MAX_LINES]\n");
}

} // namespace
