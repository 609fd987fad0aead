// End-to-end tests of adaskel-check against adaskel itself: for each tree, the check
// runs first, then adaskel, and what adaskel did must be what the plan said. adaskel
// stops at its first failure, so it creates the "create" files listed before the first
// failing line and nothing after, it fails where that line says and for its reason,
// and an input error before the plan means it writes nothing at all.
#include "harness.hpp"

#include <algorithm>
#include <set>
#include <sys/stat.h>

namespace {

using namespace harness;

struct Case {
    std::string Name{};
    Files Inputs{};
    std::vector<std::string> Dirs{};
    Links Made_Links{};
    std::vector<std::string> Fifos{};
    std::vector<std::string> Args{"list"};
    std::string Out{}; // the check's whole output, when given
};

[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

struct Plan_Entry {
    std::string Action;
    std::string Path; // as the tree's own name for the file
    std::string Problem;
};

struct Report {
    std::vector<std::string> Input_Errors; // messages of the errors before the plan
    std::vector<Plan_Entry> Plan;
    int Errors = 0;
    int Warnings = 0;
    std::string Summary;
};

std::string Normal(const std::string& Path) {
    return fs::path(Path).lexically_normal().string();
}

Report Parse(const std::string& Out) {
    Report Parsed;
    std::istringstream Lines(Out);
    for (std::string Line; std::getline(Lines, Line);) {
        const auto Error = Line.find(": error: ");
        if (Line.starts_with("create ") || Line.starts_with("exists ")) {
            Parsed.Plan.push_back({Line.substr(0, 6), Normal(Line.substr(7)), ""});
        } else if (Line.starts_with("error ")) {
            const auto Colon = Line.find(": ");
            Parsed.Plan.push_back(
                {"error", Normal(Line.substr(6, Colon - 6)), Line.substr(Colon + 2)});
        } else if (Line.starts_with("summary: ")) {
            Parsed.Summary = Line;
        } else if (Error != std::string::npos) {
            ++Parsed.Errors;
            if (Parsed.Plan.empty()) {
                Parsed.Input_Errors.push_back(Line.substr(Error + 9));
            }
        } else {
            EXPECT_NE(Line.find(": warning: "), std::string::npos) << Line;
            ++Parsed.Warnings;
        }
    }
    return Parsed;
}

std::string Count(const Report& Parsed, const std::string& Action) {
    return std::to_string(std::ranges::count(Parsed.Plan, Action, &Plan_Entry::Action));
}

void Expect_Summary(const Report& Parsed) {
    const auto Plural = [](int N, const std::string& Noun) {
        return std::to_string(N) + " " + Noun + (N == 1 ? "" : "s");
    };
    EXPECT_EQ(Parsed.Summary, "summary: " + Count(Parsed, "create") + " to create, " +
                                  Count(Parsed, "exists") + " to skip, " + Count(Parsed, "error") +
                                  " to fail; " + Plural(Parsed.Errors, "error") + ", " +
                                  Plural(Parsed.Warnings, "warning"));
}

// What adaskel must have done, judged by the plan: the files it created, its status
// and its report.
void Expect_Run_Follows_Plan(const Report& Parsed, const Outcome& Run_Outcome,
                             const std::set<std::string>& Created) {
    std::set<std::string> Planned;
    std::string Stop;
    if (!Parsed.Input_Errors.empty()) {
        Stop = Parsed.Input_Errors.front();
    }
    for (const auto& Entry : Parsed.Plan) {
        if (!Stop.empty()) {
            break;
        }
        if (Entry.Action == "error") {
            Stop = Entry.Problem;
        } else if (Entry.Action == "create") {
            Planned.insert(Entry.Path);
        }
    }
    EXPECT_EQ(Created, Planned) << "files created by adaskel";
    if (Stop.empty()) {
        EXPECT_EQ(Run_Outcome.Status, 0) << Run_Outcome.Err;
    } else {
        EXPECT_EQ(Run_Outcome.Status, 1);
        EXPECT_NE(Run_Outcome.Err.find(Stop), std::string::npos)
            << "adaskel said: " << Run_Outcome.Err << "the check said: " << Stop;
    }
}

void Run_Case(const Case& Row) {
    const Sandbox Box;
    Prepare(Box, Row.Dirs, Row.Inputs, Row.Made_Links);
    for (const auto& Fifo : Row.Fifos) {
        ASSERT_EQ(::mkfifo((Box.Tree() / Fifo).c_str(), 0644), 0);
    }
    const Files Before = Snapshot(Box.Tree());
    const Outcome Check = Run(Box, ADASKEL_CHECK_BINARY, Row.Args);
    EXPECT_EQ(Snapshot(Box.Tree()), Before) << "the check wrote into the tree";
    if (!Row.Out.empty()) {
        EXPECT_EQ(Check.Out, Row.Out);
    }
    const Outcome Generated = Run(Box, ADASKEL_BINARY, Row.Args);
    const Files After = Snapshot(Box.Tree());
    std::set<std::string> Created;
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
    const Report Parsed = Parse(Check.Out);
    Expect_Summary(Parsed);
    const bool Failing = Parsed.Errors > 0 || Count(Parsed, "error") != "0";
    EXPECT_EQ(Check.Status, Failing ? 1 : 0) << Check.Out << Check.Err;
    EXPECT_EQ(Check.Err, "");
    Expect_Run_Follows_Plan(Parsed, Generated, Created);
    if (Generated.Status == 0) { // a second look finds everything in place
        const Report Again = Parse(Run(Box, ADASKEL_CHECK_BINARY, Row.Args).Out);
        EXPECT_EQ(Count(Again, "create"), "0") << "after the run";
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
    };
}

class CheckAgainstRun : public testing::TestWithParam<Case> {};

TEST_P(CheckAgainstRun, PlanIsWhatTheRunDoes) {
    Run_Case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Trees, CheckAgainstRun, testing::ValuesIn(Trees()),
                         [](const auto& Info) { return Info.param.Name; });

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
              "error app//src/lib/.ads: directory 'app//src/lib' does not exist\n"
              "exists app/util/src/lib/util.ads\n"
              "list:4: error: package 'Util.Io' goes into 'util-Io.ads', but GNAT looks for it in "
              "'util-io.ads'\n"
              "list:6: warning: 'Util' is listed twice (first at line 3); its spec file is "
              "written once\n"
              "summary: 2 to create, 1 to skip, 2 to fail; 3 errors, 1 warning\n";
    Run_Case(Row);
}

} // namespace
