// Runs that read the project file and write the skeletons: names, paths, file contents,
// files left alone, and the failures met while generating.
#include "expected.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace adaskel_e2e {
namespace {

const Texts Std = Standard_Texts();
const Files Refs = Reference_Files(Std);
const std::string Demo_List = "demo\ndemo\ndemo-util\n";
const Files Demo_Inputs = With(Refs, {{"list", Demo_List}});
const std::vector<std::string> Demo_Dirs{"demo/demo/src", "demo/demo-util/src/lib"};
const std::string Demo_Body = "demo/demo/src/demo.adb";
const std::string Util_Spec = "demo/demo-util/src/lib/demo-util.ads";
const std::string Io_Spec = "demo/demo-io/src/lib/demo-io.ads";
const std::string Util_Spec_Text = Spec(Std, "Demo", "Demo.Util");

// The demo project generated from scratch, from the given list and texts.
Case Typical(const std::string& Name, const std::string& List, const std::vector<std::string>& Args,
             const Texts& Given = Std, const Files& References = Refs) {
    return {.Name = Name,
            .Inputs = With(References, {{"list", List}}),
            .Dirs = Demo_Dirs,
            .Args = Args,
            .Out = Console(Given.Version, Created + "\n"),
            .Expected = {{Demo_Body, Body(Given, "Demo", {"Demo.Util"})},
                         {Util_Spec, Spec(Given, "Demo", "Demo.Util")}}};
}

// A run on the demo tree that fails with Tail on the console after the prompt.
Case Failing(const std::string& Name, const std::string& List, const std::string& Tail,
             const std::string& Err) {
    return {.Name = Name,
            .Inputs = With(Refs, {{"list", List}}),
            .Dirs = Demo_Dirs,
            .Args = {"list"},
            .Out = Console("1.0", Tail + "\n"),
            .Status = 1,
            .Err = Err};
}

// A run of one root whose every unit line has its directory.
Case Named(const std::string& Name, const std::string& Root, const std::string& Main_Line,
           const std::vector<std::string>& Unit_Lines, const std::string& Main_Unit,
           const std::vector<std::string>& Units) {
    Case Row{.Name = Name,
             .Dirs = {Root + "/" + Root + "/src"},
             .Args = {"list"},
             .Out = Console("1.0", Created + "\n")};
    std::string List = Root + "\n" + Main_Line + "\n";
    for (std::size_t I = 0; I < Unit_Lines.size(); ++I) {
        const std::string Lib = Root + "/" + Unit_Lines[I] + "/src/lib";
        List += Unit_Lines[I] + "\n";
        Row.Dirs.push_back(Lib);
        Row.Expected[Lib + "/" + Unit_Lines[I] + ".ads"] = Spec(Std, Main_Unit, Units[I]);
    }
    Row.Inputs = With(Refs, {{"list", List}});
    Row.Expected[Row.Dirs[0] + "/" + Root + ".adb"] = Body(Std, Main_Unit, Units);
    return Row;
}

std::string Repeated(const std::string& Line, int Count) {
    std::string Text;
    for (int Index = 0; Index < Count; ++Index) {
        Text += Line;
    }
    return Text;
}

std::vector<Case> Accepted_Runs() {
    const Texts Empty{"", "", "", Std.Licence};
    const Files Empty_Refs =
        With(Refs, {{"Versions.lst", "1.0\n\n\n"}, {"Abstract.txt", "\n"}, {"Copyright", "\n"}});
    const Texts Verbatim{"  an \"odd\"\tabstract  ", " Ada \"Core\" ", " 2.0 beta ", Std.Licence};
    const Texts Shortest = Standard_Texts(309);
    return {
        Typical("TypicalRun", Demo_List, {"list"}),
        Typical("MaxLinesLiteral", Demo_List, {"list", " +1_0 "}),
        Typical("MaxLinesLargest", Demo_List, {"list", "2147483647"}),
        Typical("FurtherArgumentsIgnored", Demo_List, {"list", "3", "junk"}),
        // Exactly max lines: the final empty line is not one.
        Typical("FinalEmptyLineNotCounted", Demo_List + "\n", {"list", "3"}),
        Typical("PageBreakAndNoFinalLineEnd", "demo\n\fdemo\ndemo-util", {"list"}),
        Typical("EmptyTexts", Demo_List, {"list"}, Empty, Empty_Refs),
        Typical("TextsVerbatim", Demo_List, {"list"}, Verbatim, Reference_Files(Verbatim)),
        Typical("LicenceOf309Lines", Demo_List, {"list"}, Shortest, Reference_Files(Shortest)),
        Named("TwoLineProject", "proj", "app", {}, "App", {}),
        Named("MixedCaseKeptInPaths", "proj", "proj", {"ABC-def"}, "Proj", {"ABC.Def"}),
        Named("BlanksKept", "my proj", "my app", {"my proj-a b "}, "My app", {"My proj.A b "}),
        Named("DoubleDash", "p", "p", {"a--b"}, "P", {"A..B"}),
        // Raised: the first byte and the byte after each dash, by the Latin-1 mapping.
        Named("LatinOneLetters", "demo", "demo", {"\xe9t\xe9-\xf8", "\xfe-\xff", "\xf7-\xe0"},
              "Demo", {"\xc9t\xe9.\xd8", "\xde.\xff", "\xf7.\xc0"}),
        {.Name = "RepeatedUnitLines",
         .Inputs = With(Refs, {{"list", Demo_List + "demo-util\n"}}),
         .Dirs = Demo_Dirs,
         .Args = {"list"},
         .Out = Console("1.0", Created + "\n"),
         .Expected = {{Demo_Body, Body(Std, "Demo", {"Demo.Util", "Demo.Util"})},
                      {Util_Spec, Util_Spec_Text}}},
        {.Name = "DefaultBoundHoldsWholeFile",
         .Inputs = With(Refs, {{"list", "demo\ndemo\n" + Repeated("demo-util\n", 16382)}}),
         .Dirs = Demo_Dirs,
         .Args = {"list"},
         .Out = Console("1.0", Created + "\n"),
         .Expected = {{Demo_Body, Body(Std, "Demo", std::vector<std::string>(16382, "Demo.Util"))},
                      {Util_Spec, Util_Spec_Text}}},
        {.Name = "UnitAddedLater",
         .Inputs = With(Refs, {{"list", Demo_List + "demo-io\n"},
                               {Demo_Body, "old body\n"},
                               {Util_Spec, "old spec\n"}}),
         .Dirs = {"demo/demo/src", "demo/demo-util/src/lib", "demo/demo-io/src/lib"},
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Expected = {{Io_Spec, Spec(Std, "Demo", "Demo.Io")}}},
        {.Name = "LinkToFileAtBodyPath",
         .Inputs = With(Demo_Inputs, {{"demo/real.adb", "real\n"}}),
         .Dirs = Demo_Dirs,
         .Links = {{Demo_Body, "../../real.adb"}},
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Expected = {{Util_Spec, Util_Spec_Text}}},
        {.Name = "OneLineProjectWithBodyPresent",
         .Inputs = With(Refs, {{"list", "demo\n"}, {Demo_Body, "mine\n"}}),
         .Dirs = Demo_Dirs,
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n")},
    };
}

std::vector<Case> Failed_Runs() {
    const std::string Demo_Body_Text = Body(Std, "Demo", {"Demo.Util"});
    const std::string Quoted_Body = "'" + Demo_Body + "'";
    return {
        Failing("EmptyProject", "", Opened, "'list'"),
        Failing("ProjectOfOneEmptyLine", "\n", Opened, "'list'"),
        Failing("OneLineProject", "demo\n", Created, "'list'"), // no partial body stays
        Failing("EmptyMainLine", "demo\n\ndemo-util\n", Opened, "'list'"),
        Failing("EmptyUnitLine", "demo\ndemo\n\ndemo-util\n", Opened, "'list'"),
        Failing("UnitLineEndsWithDash", "demo\ndemo\ndemo-\n", Opened, "'list'"),
        Failing("ProjectBeyondDefaultBound", "demo\ndemo\n" + Repeated("demo-util\n", 16383),
                Opened, "'list'"),
        {.Name = "ProjectBeyondMaxLines",
         .Inputs = With(Refs, {{"list", Demo_List + "demo-io\n"}}),
         .Dirs = Demo_Dirs,
         .Args = {"list", "3"},
         .Out = Console("1.0", Opened + "\n"),
         .Status = 1,
         .Err = "'list'"},
        {.Name = "LicenceOf308Lines",
         .Inputs = With(Reference_Files(Standard_Texts(308)), {{"list", Demo_List}}),
         .Dirs = Demo_Dirs,
         .Args = {"list"},
         .Out = Console("1.0", Created + "\n"),
         .Status = 1,
         .Err = "'gpl.txt'"},
        {.Name = "BodyDirectoryMissing",
         .Inputs = Demo_Inputs,
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Status = 1,
         .Err = Quoted_Body},
        {.Name = "SpecDirectoryMissing",
         .Inputs = Demo_Inputs,
         .Dirs = {"demo/demo/src"},
         .Args = {"list"},
         .Out = Console("1.0", Created + "\n"),
         .Status = 1,
         .Err = "'" + Util_Spec + "'",
         .Expected = {{Demo_Body, Demo_Body_Text}}},
        {.Name = "DirectoryAtBodyPath",
         .Inputs = Demo_Inputs,
         .Dirs = {Demo_Body, Demo_Dirs[1]},
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Status = 1,
         .Err = Quoted_Body},
        {.Name = "DanglingLinkAtBodyPath",
         .Inputs = Demo_Inputs,
         .Dirs = Demo_Dirs,
         .Links = {{Demo_Body, "gone.adb"}},
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Status = 1,
         .Err = Quoted_Body},
        // Specs go in list order and a failure ends the run: util done, gui never begun.
        {.Name = "DanglingLinkAtSpecPath",
         .Inputs = With(Refs, {{"list", Demo_List + "demo-io\ndemo-gui\n"}}),
         .Dirs = {"demo/demo/src", "demo/demo-util/src/lib", "demo/demo-io/src/lib",
                  "demo/demo-gui/src/lib"},
         .Links = {{Io_Spec, "gone.ads"}},
         .Args = {"list"},
         .Out = Console("1.0", Created + "\n"),
         .Status = 1,
         .Err = "'" + Io_Spec + "'",
         .Expected = {{Demo_Body, Body(Std, "Demo", {"Demo.Util", "Demo.Io", "Demo.Gui"})},
                      {Util_Spec, Util_Spec_Text}}},
        {.Name = "ControlCharactersEscaped",
         .Inputs = With(Refs, {{"list", "d\r\nd\r\n"}}),
         .Args = {"list"},
         .Out = Console("1.0", Opened + "\n"),
         .Status = 1,
         .Err = "'d\\r/d\\r/src/d\\r.adb'"},
    };
}

class Generation : public testing::TestWithParam<Case> {};

TEST_P(Generation, Run) {
    Run_Case(GetParam());
}

const auto Row_Name = [](const auto& Info) { return Info.param.Name; };
INSTANTIATE_TEST_SUITE_P(Accepted, Generation, testing::ValuesIn(Accepted_Runs()), Row_Name);
INSTANTIATE_TEST_SUITE_P(Failed, Generation, testing::ValuesIn(Failed_Runs()), Row_Name);

// Written out by hand, byte for byte, independently of the builders in expected.hpp.
TEST(Generation, FilesSpelledOut) {
    const std::string Header_Text = "-- Skeletons of the demo project\n"
                                    "-- Demo is Copyright (C) @YEAR@ The Authors ; \n"
                                    "--bc\n"
                                    "--licence line 296\n"
                                    "--licence line 297\n"
                                    "--licence line 298\n"
                                    "--licence line 299\n"
                                    "--\n"
                                    "--\n"
                                    "--in\n"
                                    "--licence line 303\n"
                                    "--licence line 304\n"
                                    "--licence line 305\n"
                                    "--licence line 306\n"
                                    "--licence line 307\n"
                                    "--licence line 308\n"
                                    "--licence line 309\n"
                                    "-- Date := \"@DATE@\"\n"
                                    "-- Version := \"1.0\"\n";
    Run_Case({.Name = "SpelledOut",
              .Inputs = With(Refs, {{"list", "demo\ndemo\ndemo-util\ndemo-io\n"}}),
              .Dirs = {"demo/demo/src", "demo/demo-util/src/lib", "demo/demo-io/src/lib"},
              .Args = {"list"},
              .Out = "We are the @DATE@\n"
                     "The version is 1.0\n"
                     "Open Abstract.txt...\n"
                     "Open gtl.txt...\n"
                     "End traitment...\n"
                     "Enter your name : Name ok ! ! ! !  open project file Create adb file: \n",
              .Expected = {{Demo_Body, Header_Text + "with Demo.Util ; \n"
                                                     "with Demo.Io ; \n"
                                                     "procedure Demo is\n"
                                                     "\n"
                                                     "begin\n"
                                                     "\n"
                                                     "   null;\n"
                                                     "end Demo ; \n"},
                           {Io_Spec, Header_Text + "package Demo.Io is\n"
                                                   "\n"
                                                   "end Demo.Io ; \n"},
                           {Util_Spec, Header_Text + "package Demo.Util is\n"
                                                     "\n"
                                                     "end Demo.Util ; \n"}}});
}

ino_t Inode_Of(const std::filesystem::path& Path) {
    struct stat Status {};
    EXPECT_EQ(::lstat(Path.c_str(), &Status), 0) << Path;
    return Status.st_ino;
}

TEST(Generation, SecondRunWritesNothing) {
    Case Row = Typical("SecondRun", Demo_List, {"list"});
    const Sandbox Box;
    Box.Prepare(Row);
    const Run_Result First = Run_Program(Box, Row.Args);
    Check_Run(Row, Box, First);
    const ino_t Body_Inode = Inode_Of(Box.Root() / Demo_Body);
    const ino_t Spec_Inode = Inode_Of(Box.Root() / Util_Spec);

    // The files keep the first run's date, whatever the clock says now.
    for (auto& [Path, Bytes] : Row.Expected) {
        Bytes = Fill_In(Bytes, Printed_Date(First));
    }
    Row.Out = Console("1.0", Opened + "\n");
    Check_Run(Row, Box, Run_Program(Box, Row.Args));
    EXPECT_EQ(Inode_Of(Box.Root() / Demo_Body), Body_Inode);
    EXPECT_EQ(Inode_Of(Box.Root() / Util_Spec), Spec_Inode);
}

} // namespace
} // namespace adaskel_e2e
