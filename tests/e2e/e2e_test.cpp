// End-to-end tests: the built program run in a scratch directory, one table row a case,
// checking the console, the exit status, standard error and the whole tree left behind,
// byte for byte. Expected texts hold @DATE@ (the date the run printed) and @YEAR@ (the
// local year); builders make them from the texts a run reads, and one test spells the
// files out by hand, so that a mistake shared by builders and program cannot hide. Every
// failure report is compared whole, so a reworded report fails its row.
#include "harness.hpp"

#include <algorithm>
#include <ctime>
#include <regex>
#include <sys/stat.h>

namespace {

using namespace harness;
using namespace std::string_literals;

const std::vector<std::string> Demo_Dirs{"demo/demo/src", "demo/demo-util/src/lib"};

struct Case {
    std::string Name{};
    Files Inputs{};
    std::vector<std::string> Dirs = Demo_Dirs;
    harness::Links Links{};
    std::vector<std::string> Fifos{};
    std::vector<std::string> Args{"list"};
    std::string Stdout{}; // where standard output goes instead of a file read back
    rlim_t File_Limit = RLIM_INFINITY;
    std::string Out{};
    int Status = 0;
    std::string Err{}; // standard error, whole
    Files Expected{};  // generated files; every other input stays unchanged
};

[[maybe_unused]] void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

std::string Now(const char* Format, bool Local) {
    const std::time_t Time = std::time(nullptr);
    std::tm Parts{};
    Local ? ::localtime_r(&Time, &Parts) : ::gmtime_r(&Time, &Parts);
    char Text[32];
    return {Text, std::strftime(Text, sizeof Text, Format, &Parts)};
}

std::string Fill_In(const std::string& Text, const std::string& Date) {
    std::string Filled = std::regex_replace(Text, std::regex("@DATE@"), Date);
    return std::regex_replace(Filled, std::regex("@YEAR@"), Now("%Y", true));
}

void Prepare(const Sandbox& Box, const Case& Row) {
    harness::Prepare(Box, Row.Dirs, Row.Inputs, Row.Links, Row.Fifos);
}

// The tree must hold exactly the inputs, the links and the expected files.
void Check_Tree(const Case& Row, const fs::path& Tree, const std::string& Date) {
    Files Wanted = Row.Inputs;
    for (const auto& [Path, Target] : Row.Links) {
        Wanted[Path] = "-> " + Target;
    }
    for (const auto& Fifo : Row.Fifos) {
        Wanted[Fifo] = "(special file)";
    }
    for (const auto& [Path, Bytes] : Row.Expected) {
        Wanted[Path] = Fill_In(Bytes, Date);
    }
    EXPECT_EQ(Snapshot(Tree), Wanted);
}

// Runs Row in a prepared Box and checks it; returns the run date.
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
    Check_Tree(Row, Box.Root / "tree", Date);
    return Date;
}

void Run_Case(const Case& Row) {
    const Sandbox Box;
    Prepare(Box, Row);
    Run_And_Check(Box, Row);
}

// ---- Builders of inputs and expected outputs --------------------------------------------

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
const Texts Standard;

std::string Repeated(const std::string& Line, int Count) {
    std::string Text;
    for (int Index = 0; Index < Count; ++Index) {
        Text += Line;
    }
    return Text;
}

// The reference files, the project file "list" holding List, and Extra (which wins).
Files Inputs(const std::string& List, Files Extra = {}, const Texts& Given = Standard) {
    std::string Licence;
    for (int N = 1; N <= Given.Licence_Lines; ++N) {
        Licence += Given.Licence(N) + "\n";
    }
    Extra.merge(Files{{"Versions.lst", "0.1\n0.2\n" + Given.Version + "\n"},
                      {"Abstract.txt", Given.Abstract + "\nnot the abstract\n"},
                      {"gpl.txt", Licence},
                      {"Copyright", Given.Holder + "\nnot the holder\n"},
                      {"list", List}});
    return Extra;
}

Files Without(Files Given, const std::string& Path) {
    Given.erase(Path);
    return Given;
}

const std::string Opened = "Enter your name : Name ok ! ! ! !  open project file ";
const std::string Created = Opened + "Create adb file: ";

// The five lines of every run that reads its reference texts, then Tail.
std::string Console(const std::string& Tail, const std::string& Version = "1.0") {
    return "We are the @DATE@\nThe version is " + Version +
           "\nOpen Abstract.txt...\nOpen gtl.txt...\nEnd traitment...\n" + Tail;
}

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
                 const Texts& Given = Standard) {
    std::string Text = Header(Given, Main);
    for (const auto& Unit : Units) {
        Text += "with " + Unit + " ; \n";
    }
    return Text + "procedure " + Main + " is\n\nbegin\n\n   null;\nend " + Main + " ; \n";
}

std::string Spec(const std::string& Main, const std::string& Unit, const Texts& Given = Standard) {
    return Header(Given, Main) + "package " + Unit + " is\n\nend " + Unit + " ; \n";
}

// ---- Runs that end before the project file is read ----------------------------------------

// A run ended by its command line. "Copyright" is absent: it must not be opened.
Case Stopped(std::string Name, std::vector<std::string> Args, const std::string& Message,
             Files Extra = {}, const std::string& Version = "1.0") {
    return {.Name = std::move(Name),
            .Inputs = Without(Inputs("demo\ndemo\n", std::move(Extra)), "Copyright"),
            .Args = std::move(Args),
            .Out = Console(Message + "\n", Version),
            .Status = 2};
}

std::vector<Case> Startup_Cases() {
    const Files Refs = Inputs("demo\ndemo\n");
    const std::string Dated = "We are the @DATE@\n";
    const std::string Versioned = Dated + "The version is 1.0\n";
    const std::string Abstract_Opened = Versioned + "Open Abstract.txt...\n";
    const std::string Not_Regular = "\" is not regulary file.";
    const std::string Not_Positive = "Max lines is not a positive.";
    Case Directory = Stopped("ProjectIsDirectory", {"proj"}, "File name : \"proj" + Not_Regular);
    Directory.Dirs = {"proj"};
    // clang-format off
    return {
        Stopped("NoArgument", {}, "Project name requiered."),
        Directory,
        Stopped("ProjectIsEmptyText", {""}, "File name : \"" + Not_Regular),
        // Argument 2 is not looked at once argument 1 has failed.
        Stopped("ProjectNameVerbatim", {" list\t", "0"}, "File name : \" list\t" + Not_Regular),
        Stopped("MaxLinesZero", {"list", "0"}, Not_Positive),
        Stopped("MaxLinesBeyondRange", {"list", "2147483648"}, Not_Positive),
        Stopped("VersionVerbatim", {}, "Project name requiered.", {{"Versions.lst", "0.1\n\f 1.0\r"}}, " 1.0\r"),
        Stopped("LicenceAtCapacity", {}, "Project name requiered.", {{"gpl.txt", Repeated("GPL\n", 4096)}}),
        {.Name = "VersionsMissing", .Inputs = Without(Refs, "Versions.lst"), .Out = Dated, .Status = 1,
         .Err = "adaskel: cannot open 'Versions.lst': no such file or directory\n"},
        {.Name = "VersionsWithoutLine", .Inputs = Inputs("", {{"Versions.lst", "\n\f"}}), .Out = Dated, .Status = 1,
         .Err = "adaskel: no version in 'Versions.lst': the file holds no line\n"},
        {.Name = "AbstractMissing", .Inputs = Without(Refs, "Abstract.txt"), .Out = Versioned, .Status = 1,
         .Err = "adaskel: cannot open 'Abstract.txt': no such file or directory\n"},
        {.Name = "AbstractEmpty", .Inputs = Inputs("", {{"Abstract.txt", ""}}), .Out = Abstract_Opened, .Status = 1,
         .Err = "adaskel: cannot read a line from 'Abstract.txt': end of file reached\n"},
        {.Name = "LicenceMissing", .Inputs = Without(Refs, "gpl.txt"), .Out = Abstract_Opened, .Status = 1,
         .Err = "adaskel: cannot open 'gpl.txt': no such file or directory\n"},
        // Refused at the open, as a missing file is: nothing is read, nothing waits.
        {.Name = "VersionsIsFifo", .Inputs = Without(Refs, "Versions.lst"), .Fifos = {"Versions.lst"},
         .Out = Dated, .Status = 1, .Err = "adaskel: cannot read 'Versions.lst': it is not a regular file\n"},
        {.Name = "AbstractIsEndlessDevice", .Inputs = Without(Refs, "Abstract.txt"), .Links = {{"Abstract.txt", "/dev/zero"}},
         .Out = Versioned, .Status = 1, .Err = "adaskel: cannot read 'Abstract.txt': it is not a regular file\n"},
        {.Name = "LicenceIsDirectory", .Inputs = Without(Refs, "gpl.txt"), .Dirs = {"gpl.txt"},
         .Out = Abstract_Opened, .Status = 1, .Err = "adaskel: cannot read 'gpl.txt': it is not a regular file\n"},
        {.Name = "LicenceBeyondCapacity", .Inputs = Inputs("", {{"gpl.txt", Repeated("GPL\n", 4097)}}),
         .Out = Abstract_Opened + "Open gtl.txt...\n", .Status = 1,
         .Err = "adaskel: 'gpl.txt' has more than 4096 lines\n"},
        {.Name = "CopyrightMissing", .Inputs = Without(Refs, "Copyright"), .Out = Console("Enter your name : \n"),
         .Status = 1, .Err = "adaskel: cannot open 'Copyright': no such file or directory\n"},
        {.Name = "StandardOutputFull", .Inputs = Refs, .Stdout = "/dev/full", .Status = 1,
         .Err = "adaskel: cannot write to standard output: no space left on device\n"},
    };
    // clang-format on
}

// ---- Runs that generate ---------------------------------------------------------------------

const std::string Demo_List = "demo\ndemo\ndemo-util\n";
const std::string Io_Dir = "demo/demo-io/src/lib";
const std::string Demo_Body = "demo/demo/src/demo.adb";
const std::string Util_Spec = "demo/demo-util/src/lib/demo-util.ads";
const std::string Io_Spec = "demo/demo-io/src/lib/demo-io.ads";

// A run on the demo tree; by default it writes the body and the spec of Demo.Util.
Case Demo(std::string Name, const std::string& List, std::vector<std::string> Args = {"list"},
          Files Extra = {}, const Texts& Given = Standard) {
    return {.Name = std::move(Name),
            .Inputs = Inputs(List, std::move(Extra), Given),
            .Dirs = Demo_Dirs,
            .Args = std::move(Args),
            .Out = Console(Created + "\n", Given.Version),
            .Expected = {{Demo_Body, Body("Demo", {"Demo.Util"}, Given)},
                         {Util_Spec, Spec("Demo", "Demo.Util", Given)}}};
}

// Row with another tree before the run and other files generated.
Case Tree(Case Row, std::vector<std::string> Dirs, Files Expected = {}, harness::Links Links = {}) {
    Row.Dirs = std::move(Dirs);
    Row.Expected = std::move(Expected);
    Row.Links = std::move(Links);
    return Row;
}

// Row in which the body file is there already: no "Create adb file: ".
Case Body_There(Case Row) {
    Row.Out = Console(Opened + "\n");
    return Row;
}

// A project of root Root and the given lines, every directory made; Main and Units are
// the dotted names expected.
Case Named(std::string Name, const std::string& Root, const std::string& Main_Line,
           const std::vector<std::string>& Lines, const std::string& Main,
           const std::vector<std::string>& Units) {
    Case Row{.Name = std::move(Name),
             .Dirs = {Root + "/" + Root + "/src"},
             .Out = Console(Created + "\n")};
    std::string List = Root + "\n" + Main_Line + "\n";
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        List += Lines[I] + "\n";
        Row.Dirs.push_back(Root + "/" + Lines[I] + "/src/lib");
        Row.Expected[Row.Dirs.back() + "/" + Lines[I] + ".ads"] = Spec(Main, Units[I]);
    }
    Row.Inputs = Inputs(List);
    Row.Expected[Row.Dirs[0] + "/" + Root + ".adb"] = Body(Main, Units);
    return Row;
}

std::vector<Case> Generation_Cases() {
    Texts Verbatim;
    Verbatim.Abstract = "  an \"odd\"\tabstract  ";
    Verbatim.Holder = "";
    Verbatim.Version = " 2.0 beta ";
    Texts Shortest;
    Shortest.Licence_Lines = 309;
    Texts Short;
    Short.Licence_Lines = 308;
    const std::string Util_Text = Spec("Demo", "Demo.Util");
    const std::string Quoted_Body = "'" + Demo_Body + "'";
    // clang-format off
    return {
        Demo("TypicalRun", Demo_List),
        // Exactly max lines, written as a literal; the final empty line is not a line.
        Demo("FinalEmptyLineNotCounted", Demo_List + "\n", {"list", " +0_3 ", "junk"}),
        Demo("TextsVerbatim", Demo_List, {"list"}, {}, Verbatim),
        Demo("LicenceOf309Lines", Demo_List, {"list"}, {}, Shortest),
        Named("MainLineInNoPath", "proj", "app", {}, "App", {}),
        // Bytes and case are kept; the first byte and each byte after a dash are raised by
        // the Latin-1 mapping (0xF7 and 0xFF have no capital).
        Named("NamesKeepTheirBytes", "my proj", "my app",
              {"ABC-def", "a--b", " x-y ", "\xe9t\xe9-\xf8", "\xfe-\xff", "\xf7-\xe0"}, "My app",
              {"ABC.Def", "A..B", " x.Y ", "\xc9t\xe9.\xd8", "\xde.\xff", "\xf7.\xc0"}),
        Tree(Demo("RepeatedUnitLines", Demo_List + "demo-util\n"), Demo_Dirs,
             {{Demo_Body, Body("Demo", {"Demo.Util", "Demo.Util"})}, {Util_Spec, Util_Text}}),
        Tree(Demo("DefaultBoundHoldsWholeFile", "demo\ndemo\n" + Repeated("demo-util\n", 16382)), Demo_Dirs,
             {{Demo_Body, Body("Demo", std::vector<std::string>(16382, "Demo.Util"))}, {Util_Spec, Util_Text}}),
        Body_There(Tree(Demo("UnitAddedLater", Demo_List + "demo-io\n", {"list"}, {{Demo_Body, "old\n"}, {Util_Spec, "old\n"}}),
                        {Demo_Dirs[0], Demo_Dirs[1], Io_Dir}, {{Io_Spec, Spec("Demo", "Demo.Io")}})),
        Body_There(Tree(Demo("LinkToFileAtBodyPath", Demo_List, {"list"}, {{"demo/real.adb", "real\n"}}),
                        Demo_Dirs, {{Util_Spec, Util_Text}}, {{Demo_Body, "../../real.adb"}})),
        // The link leads to a file of the same run, made just before: it counts as there.
        Tree(Demo("LinkToFileMadeEarlier", Demo_List + "demo-io\n"), {Demo_Dirs[0], Demo_Dirs[1], Io_Dir},
             {{Demo_Body, Body("Demo", {"Demo.Util", "Demo.Io"})}, {Util_Spec, Util_Text}},
             {{Io_Spec, "../../../demo-util/src/lib/demo-util.ads"}}),
        Body_There(Tree(Demo("OneLineProjectWithBodyThere", "demo\n", {"list"}, {{Demo_Body, "mine\n"}}), Demo_Dirs)),
        {.Name = "EmptyProject", .Inputs = Inputs(""), .Out = Console(Opened + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' has no line: the root directory is missing\n"},
        // No partial body stays.
        {.Name = "OneLineProject", .Inputs = Inputs("demo\n"), .Out = Console(Created + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' has no line 2: the main procedure is missing\n"},
        {.Name = "ShortLicence", .Inputs = Inputs(Demo_List, {}, Short), .Out = Console(Created + "\n"), .Status = 1,
         .Err = "adaskel: 'gpl.txt' has 308 lines: the header needs its lines 295 to 309\n"},
        {.Name = "EmptyMainLine", .Inputs = Inputs("demo\n\ndemo-util\n"), .Out = Console(Opened + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' line 2: empty unit name\n"},
        {.Name = "UnitLineEndsWithDash", .Inputs = Inputs("demo\ndemo\ndemo-\n"), .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: project file 'list' line 3: 'demo-' ends with '-'\n"},
        // Cut at its NUL, line 3 would name the directory demo/demo-util.
        {.Name = "NulByteInLine", .Inputs = Inputs("demo\ndemo\ndemo-util\0x\n"s), .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: project file 'list' line 3 holds a NUL byte\n"},
        {.Name = "ProjectInUtf16", .Inputs = Inputs("d\0e\0m\0o\0\n\0d\0e\0m\0o\0\n\0"s), .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: project file 'list' line 1 holds a NUL byte\n"},
        {.Name = "LongLineQuotedInPart", .Inputs = Inputs("demo\ndemo\n" + std::string(300, 'u') + "-\n"),
         .Out = Console(Opened + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' line 3: '" + std::string(200, 'u') + "'... (301 bytes) ends with '-'\n"},
        {.Name = "ProjectBeyondDefaultBound", .Inputs = Inputs("demo\ndemo\n" + Repeated("demo-util\n", 16383)),
         .Out = Console(Opened + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' has more lines than max lines (16384)\n"},
        {.Name = "ProjectBeyondMaxLines", .Inputs = Inputs(Demo_List + "demo-io\n"), .Args = {"list", "3"},
         .Out = Console(Opened + "\n"), .Status = 1,
         .Err = "adaskel: project file 'list' has more lines than max lines (3)\n"},
        {.Name = "BodyDirectoryMissing", .Inputs = Inputs(Demo_List), .Dirs = {}, .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: cannot create " + Quoted_Body + ": directory 'demo/demo/src' does not exist\n"},
        {.Name = "DirectoryAtBodyPath", .Inputs = Inputs(Demo_List), .Dirs = {Demo_Body, Demo_Dirs[1]},
         .Out = Console(Opened + "\n"), .Status = 1, .Err = "adaskel: cannot create " + Quoted_Body + ": it is a directory\n"},
        {.Name = "FifoAtBodyPath", .Inputs = Inputs(Demo_List), .Fifos = {Demo_Body}, .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: cannot create " + Quoted_Body + ": it exists and is not a regular file\n"},
        // Room for the console and the report, not for the body file.
        {.Name = "FileSizeLimitReached", .Inputs = Inputs(Demo_List), .File_Limit = 300, .Out = Console(Created + "\n"),
         .Status = 1, .Err = "adaskel: cannot write '" + Demo_Body + "': file too large\n"},
        {.Name = "SpecDirectoryMissing", .Inputs = Inputs(Demo_List), .Dirs = {Demo_Dirs[0]}, .Out = Console(Created + "\n"),
         .Status = 1,
         .Err = "adaskel: cannot create '" + Util_Spec + "': directory 'demo/demo-util/src/lib' does not exist\n",
         .Expected = {{Demo_Body, Body("Demo", {"Demo.Util"})}}},
        {.Name = "ControlCharactersEscaped", .Inputs = Inputs("d\r\nd\r\n"), .Dirs = {}, .Out = Console(Opened + "\n"),
         .Status = 1, .Err = "adaskel: cannot create 'd\\r/d\\r/src/d\\r.adb': directory 'd\\r/d\\r/src' does not exist\n"},
        // Specs go in list order and a failure ends the run: util done, gui never begun.
        {.Name = "DanglingLinkAtSpecPath", .Inputs = Inputs(Demo_List + "demo-io\ndemo-gui\n"),
         .Dirs = {Demo_Dirs[0], Demo_Dirs[1], Io_Dir, "demo/demo-gui/src/lib"}, .Links = {{Io_Spec, "gone.ads"}},
         .Out = Console(Created + "\n"), .Status = 1,
         .Err = "adaskel: cannot create '" + Io_Spec + "': it is a dangling symbolic link\n",
         .Expected = {{Demo_Body, Body("Demo", {"Demo.Util", "Demo.Io", "Demo.Gui"})}, {Util_Spec, Util_Text}}},
    };
    // clang-format on
}

class EndToEnd : public testing::TestWithParam<Case> {};

TEST_P(EndToEnd, Run) {
    Run_Case(GetParam());
}

const auto Row_Name = [](const auto& Info) { return Info.param.Name; };
INSTANTIATE_TEST_SUITE_P(Startup, EndToEnd, testing::ValuesIn(Startup_Cases()), Row_Name);
INSTANTIATE_TEST_SUITE_P(Generation, EndToEnd, testing::ValuesIn(Generation_Cases()), Row_Name);

// Written out by hand, byte for byte, independently of the builders.
TEST(Generation, FilesSpelledOut) {
    const std::string Header = "-- Skeletons of the demo project\n"
                               "-- Demo is Copyright (C) @YEAR@ The Authors ; \n"
                               "--bc\n--licence line 296\n--licence line 297\n--licence line 298\n"
                               "--licence line 299\n--\n--\n--in\n--licence line 303\n"
                               "--licence line 304\n--licence line 305\n--licence line 306\n"
                               "--licence line 307\n--licence line 308\n--licence line 309\n"
                               "-- Date := \"@DATE@\"\n-- Version := \"1.0\"\n";
    Case Row = Demo("SpelledOut", Demo_List + "demo-io\n");
    Row.Dirs.push_back(Io_Dir);
    Row.Out = "We are the @DATE@\nThe version is 1.0\nOpen Abstract.txt...\nOpen gtl.txt...\n"
              "End traitment...\nEnter your name : Name ok ! ! ! !  open project file Create adb "
              "file: \n";
    Row.Expected = {
        {Demo_Body, Header + "with Demo.Util ; \nwith Demo.Io ; \nprocedure Demo is\n\nbegin\n\n"
                             "   null;\nend Demo ; \n"},
        {Io_Spec, Header + "package Demo.Io is\n\nend Demo.Io ; \n"},
        {Util_Spec, Header + "package Demo.Util is\n\nend Demo.Util ; \n"}};
    Run_Case(Row);
}

// A second run writes nothing: the body keeps its inode and the first run's date.
TEST(Generation, SecondRunWritesNothing) {
    Case Row = Demo("SecondRun", Demo_List);
    const Sandbox Box;
    Prepare(Box, Row);
    const std::string First_Date = Run_And_Check(Box, Row);
    struct stat First {
    }, Second{};
    ::stat((Box.Root / "tree" / Demo_Body).c_str(), &First);
    for (auto& [Path, Bytes] : Row.Expected) {
        Bytes = Fill_In(Bytes, First_Date);
    }
    Run_And_Check(Box, Body_There(Row));
    ::stat((Box.Root / "tree" / Demo_Body).c_str(), &Second);
    EXPECT_EQ(First.st_ino, Second.st_ino);
}

} // namespace
