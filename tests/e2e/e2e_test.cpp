// End-to-end tests: the built program run in a scratch directory, one table row a case,
// checking console, exit status, whole standard error and the whole tree left behind, byte
// for byte. @DATE@ stands for the date the run printed, @YEAR@ for the local year.
#include "harness.hpp"

#include <ctime>
#include <regex>
#include <sys/stat.h>

namespace {

using namespace harness;
using namespace std::string_literals;

// What the reference files give a run. Licence lines 295, 300, 301 and 302 show the
// dropped first character on a plain, an empty, a one-character and an indented line.
struct Texts {
    std::string Abstract = "Skeletons of the demo project";
    std::string Holder = "The Authors";
    std::string Version = "1.0";
    int Licence_Lines = 320;
    [[nodiscard]] std::string Licence(int N) const {
        const std::map<int, std::string> Odd{{295, "abc"}, {300, ""}, {301, "x"}, {302, " in"}};
        return Odd.contains(N) ? Odd.at(N) : "#licence line " + std::to_string(N);
    }
};

const std::string Demo_List = "demo\ndemo\ndemo-util\n";
const std::vector<std::string> Demo_Dirs{"demo/demo/src", "demo/demo-util/src/lib"};

struct Case {
    std::string Name{};
    std::string List = Demo_List; // the project file "list"
    Files Extra{};                // inputs besides the reference files, or in place of one
    std::string Missing{};        // a reference file left out
    Texts Given{};
    std::vector<std::string> Dirs = Demo_Dirs;
    harness::Links Links{};
    std::vector<std::string> Args{"list"};
    std::string Stdout{}; // where standard output goes instead of a file read back
    rlim_t File_Limit = RLIM_INFINITY;
    std::string Out{};
    int Status = 0;
    std::string Err{};
    Files Expected{}; // generated files; every input stays unchanged
};

using harness::PrintTo; // NOLINT(misc-unused-using-decls): gtest finds it by the row's type

std::string Now(const char* Format, bool Local) {
    const std::time_t Time = std::time(nullptr);
    std::tm Parts{};
    Local ? ::localtime_r(&Time, &Parts) : ::gmtime_r(&Time, &Parts);
    char Text[32];
    return {Text, std::strftime(Text, sizeof Text, Format, &Parts)};
}

std::string Fill_In(const std::string& Text, const std::string& Date) {
    return std::regex_replace(std::regex_replace(Text, std::regex("@DATE@"), Date),
                              std::regex("@YEAR@"), Now("%Y", true));
}

Files Inputs(const Case& Row) {
    std::string Licence;
    for (int N = 1; N <= Row.Given.Licence_Lines; ++N) {
        Licence += Row.Given.Licence(N) + "\n";
    }
    Files All = Row.Extra;
    All.merge(Files{{"Versions.lst", "0.1\n0.2\n" + Row.Given.Version + "\n"},
                    {"Abstract.txt", Row.Given.Abstract + "\nnot the abstract\n"},
                    {"gpl.txt", Licence},
                    {"Copyright", Row.Given.Holder + "\nnot the holder\n"},
                    {"list", Row.List}});
    All.erase(Row.Missing);
    return All;
}

// Runs Row in a prepared Box and checks the streams and that the tree holds exactly the
// inputs, the links and the expected files; returns the run date.
std::string Run_And_Check(const Sandbox& Box, const Case& Row) {
    const std::string Before = Now("%F %T", false);
    const auto [Status, Out, Err] = Run(Box, ADASKEL_BINARY, Row.Args, Row.Stdout, Row.File_Limit);
    const std::string After = Now("%F %T", false);
    const std::string Date = Out.substr(std::min<std::size_t>(Out.size(), 11), 19);
    if (Row.Stdout.empty()) {
        EXPECT_TRUE(std::regex_match(Date, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << Out;
        EXPECT_TRUE(Before <= Date && Date <= After)
            << Date << " not in " << Before << "/" << After;
    }
    EXPECT_EQ(Status, Row.Status) << Err;
    EXPECT_EQ(Out, Fill_In(Row.Out, Date));
    EXPECT_EQ(Err, Fill_In(Row.Err, Date));
    Files Wanted = Inputs(Row);
    for (const auto& [Path, Target] : Row.Links) {
        Wanted[Path] = "-> " + Target;
    }
    for (const auto& [Path, Bytes] : Row.Expected) {
        Wanted[Path] = Fill_In(Bytes, Date);
    }
    EXPECT_EQ(Snapshot(Box.Tree()), Wanted);
    return Date;
}

// The five lines of every run that reads its reference texts, then Tail.
std::string Console(const std::string& Tail, const std::string& Version = "1.0") {
    return "We are the @DATE@\nThe version is " + Version +
           "\nOpen Abstract.txt...\nOpen gtl.txt...\nEnd traitment...\n" + Tail;
}

const std::string Opened = "Enter your name : Name ok ! ! ! !  open project file ";
const std::string No_Body = Console(Opened + "\n");                    // body not written
const std::string Body_Made = Console(Opened + "Create adb file: \n"); // body written or begun

std::string Header(const Texts& Given, const std::string& Main) {
    std::string Text = "-- " + Given.Abstract + "\n-- " + Main + " is Copyright (C) @YEAR@ " +
                       Given.Holder + " ; \n";
    for (int N = 295; N <= 309; ++N) {
        const std::string Line = Given.Licence(N);
        Text += "--" + (Line.empty() ? Line : Line.substr(1)) + "\n";
    }
    return Text + "-- Date := \"@DATE@\"\n-- Version := \"" + Given.Version + "\"\n";
}

std::string Body(const std::string& Main, const std::vector<std::string>& Units,
                 const Texts& Given = {}) {
    std::string Text = Header(Given, Main);
    for (const auto& Unit : Units) {
        Text += "with " + Unit + " ; \n";
    }
    return Text + "procedure " + Main + " is\n\nbegin\n\n   null;\nend " + Main + " ; \n";
}

std::string Spec(const std::string& Main, const std::string& Unit, const Texts& Given = {}) {
    return Header(Given, Main) + "package " + Unit + " is\n\nend " + Unit + " ; \n";
}

const std::string Demo_Body = "demo/demo/src/demo.adb";
const std::string Util_Spec = "demo/demo-util/src/lib/demo-util.ads";
const std::string Io_Dir = "demo/demo-io/src/lib";
const std::string Io_Spec = Io_Dir + "/demo-io.ads";

// What a run of Demo_List writes.
Files Demo_Files(const Texts& Given = {}, const std::vector<std::string>& Units = {"Demo.Util"}) {
    return {{Demo_Body, Body("Demo", Units, Given)}, {Util_Spec, Spec("Demo", "Demo.Util", Given)}};
}

// A project of root "my proj" and main line "my app", one unit a line, every directory made.
// Bytes and case are kept; the first byte and each byte after a dash are raised by the
// Latin-1 mapping (0xF7 and 0xFF have no capital).
Case Names_Kept() {
    // clang-format off
    const std::vector<std::string> Lines{"ABC-def", "a--b", " x-y ", "\xe9t\xe9-\xf8", "\xfe-\xff", "\xf7-\xe0"};
    const std::vector<std::string> Units{"ABC.Def", "A..B", " x.Y ", "\xc9t\xe9.\xd8", "\xde.\xff", "\xf7.\xc0"};
    Case Row{.Name = "NamesKeepTheirBytes", .List = "my proj\nmy app\n", .Dirs = {"my proj/my proj/src"},
             .Out = Body_Made, .Expected = {{"my proj/my proj/src/my proj.adb", Body("My app", Units)}}};
    // clang-format on
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        Row.List += Lines[I] + "\n";
        Row.Dirs.push_back("my proj/" + Lines[I] + "/src/lib");
        Row.Expected[Row.Dirs.back() + "/" + Lines[I] + ".ads"] = Spec("My app", Units[I]);
    }
    return Row;
}

// A run ended by its command line. "Copyright" is absent: it must not be opened.
Case Stopped(Case Row, const std::string& Message) {
    Row.Missing = "Copyright";
    Row.Out = Console(Message + "\n");
    Row.Status = 2;
    return Row;
}

std::vector<Case> Cases() {
    // clang-format off
    const std::string Spelled = "-- Skeletons of the demo project\n-- Demo is Copyright (C) @YEAR@ The Authors ; \n"
        "--bc\n--licence line 296\n--licence line 297\n--licence line 298\n--licence line 299\n--\n--\n--in\n"
        "--licence line 303\n--licence line 304\n--licence line 305\n--licence line 306\n--licence line 307\n"
        "--licence line 308\n--licence line 309\n-- Date := \"@DATE@\"\n-- Version := \"1.0\"\n";
    const Texts Verbatim{.Abstract = "  an \"odd\"\tabstract  ", .Holder = "", .Version = " 2.0 beta ", .Licence_Lines = 4096};
    const std::string Dated = "We are the @DATE@\n";
    const std::string Abstract_Opened = Dated + "The version is 1.0\nOpen Abstract.txt...\n";
    return {
        Stopped({.Name = "NoArgument", .Args = {}}, "Project name requiered."),
        // Argument 2 is not looked at once argument 1 has failed.
        Stopped({.Name = "ProjectNameVerbatim", .Args = {" list\t", "0"}}, "File name : \" list\t\" is not regulary file."),
        Stopped({.Name = "MaxLinesZero", .Args = {"list", "0"}}, "Max lines is not a positive."),
        {.Name = "VersionsWithoutLine", .Extra = {{"Versions.lst", "\n\f"}}, .Out = Dated, .Status = 1,
         .Err = "adaskel: no version in 'Versions.lst': the file holds no line\n"},
        {.Name = "AbstractIsEndlessDevice", .Missing = "Abstract.txt", .Links = {{"Abstract.txt", "/dev/zero"}},
         .Out = Dated + "The version is 1.0\n", .Status = 1, .Err = "adaskel: cannot read 'Abstract.txt': it is not a regular file\n"},
        // Refused at the bound, before the line is read whole.
        {.Name = "AbstractLineBeyondBound", .Extra = {{"Abstract.txt", std::string((16U << 20U) + 1, 'a')}},
         .Out = Abstract_Opened, .Status = 1,
         .Err = "adaskel: cannot read 'Abstract.txt': line 1 is longer than 16777216 bytes\n"},
        {.Name = "CopyrightMissing", .Missing = "Copyright", .Out = Console("Enter your name : \n"), .Status = 1,
         .Err = "adaskel: cannot open 'Copyright': no such file or directory\n"},
        {.Name = "StandardOutputFull", .Stdout = "/dev/full", .Status = 1,
         .Err = "adaskel: cannot write to standard output: no space left on device\n"},
        Names_Kept(),
        // Spelled out by hand, so that a mistake shared by the builders and the program cannot hide.
        {.Name = "FilesSpelledOut", .List = Demo_List + "demo-io\n", .Dirs = {Demo_Dirs[0], Demo_Dirs[1], Io_Dir},
         .Out = "We are the @DATE@\nThe version is 1.0\nOpen Abstract.txt...\nOpen gtl.txt...\nEnd traitment...\n"
                "Enter your name : Name ok ! ! ! !  open project file Create adb file: \n",
         .Expected = {{Demo_Body, Spelled + "with Demo.Util ; \nwith Demo.Io ; \nprocedure Demo is\n\nbegin\n\n   null;\nend Demo ; \n"},
                      {Io_Spec, Spelled + "package Demo.Io is\n\nend Demo.Io ; \n"},
                      {Util_Spec, Spelled + "package Demo.Util is\n\nend Demo.Util ; \n"}}},
        // Exactly max lines, written as a literal; the final empty line is not a line.
        {.Name = "FinalEmptyLineNotCounted", .List = Demo_List + "\n", .Args = {"list", " +0_3 ", "junk"},
         .Out = Body_Made, .Expected = Demo_Files()},
        // The licence at its greatest length.
        {.Name = "TextsVerbatim", .Given = Verbatim, .Out = Console(Opened + "Create adb file: \n", " 2.0 beta "),
         .Expected = Demo_Files(Verbatim)},
        {.Name = "LicenceOf309Lines", .Given = {.Licence_Lines = 309}, .Out = Body_Made,
         .Expected = Demo_Files({.Licence_Lines = 309})},
        {.Name = "DefaultBoundHoldsWholeFile", .List = "demo\ndemo\n" + Repeated("demo-util\n", 16382),
         .Out = Body_Made, .Expected = Demo_Files({}, std::vector<std::string>(16382, "Demo.Util"))},
        {.Name = "LinkToFileAtBodyPath", .Extra = {{"demo/real.adb", "real\n"}}, .Links = {{Demo_Body, "../../real.adb"}},
         .Out = No_Body, .Expected = {{Util_Spec, Spec("Demo", "Demo.Util")}}},
        // No partial body stays.
        {.Name = "OneLineProject", .List = "demo\n", .Out = Body_Made, .Status = 1,
         .Err = "adaskel: project file 'list' has no line 2: the main procedure is missing\n"},
        {.Name = "UnitLineEndsWithDash", .List = "demo\ndemo\ndemo-\n", .Out = No_Body, .Status = 1,
         .Err = "adaskel: project file 'list' line 3: 'demo-' ends with '-'\n"},
        // Cut at its NUL, line 3 would name the directory demo/demo-util.
        {.Name = "NulByteInLine", .List = "demo\ndemo\ndemo-util\0x\n"s, .Out = No_Body, .Status = 1,
         .Err = "adaskel: project file 'list' line 3 holds a NUL byte\n"},
        {.Name = "ProjectBeyondDefaultBound", .List = "demo\ndemo\n" + Repeated("demo-util\n", 16383), .Out = No_Body,
         .Status = 1, .Err = "adaskel: project file 'list' has more lines than max lines (16384)\n"},
        // Room for the console and the report, not for the body file.
        {.Name = "FileSizeLimitReached", .File_Limit = 300, .Out = Body_Made, .Status = 1,
         .Err = "adaskel: cannot write '" + Demo_Body + "': file too large\n"},
    };
    // clang-format on
}

class EndToEnd : public testing::TestWithParam<Case> {};

TEST_P(EndToEnd, Run) {
    const Sandbox Box(GetParam().Dirs, Inputs(GetParam()), GetParam().Links);
    Run_And_Check(Box, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Rows, EndToEnd, testing::ValuesIn(Cases()), Row_Name);

// A second run writes nothing: the body keeps its inode and the first run's date.
TEST(Generation, SecondRunWritesNothing) {
    Case Row{.Name = "SecondRun", .Out = Body_Made, .Expected = Demo_Files()};
    const Sandbox Box(Row.Dirs, Inputs(Row));
    const std::string First_Date = Run_And_Check(Box, Row);
    struct stat First {
    }, Second{};
    ::stat((Box.Tree() / Demo_Body).c_str(), &First);
    for (auto& [Path, Bytes] : Row.Expected) {
        Bytes = Fill_In(Bytes, First_Date);
    }
    Row.Out = No_Body;
    Run_And_Check(Box, Row);
    ::stat((Box.Tree() / Demo_Body).c_str(), &Second);
    EXPECT_EQ(First.st_ino, Second.st_ino);
}

} // namespace
