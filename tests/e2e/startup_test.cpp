// Runs that end before the project file is read: the reference texts, the three handled
// command-line conditions, the holder name, and failures of any of them.
#include "expected.hpp"

#include <gtest/gtest.h>

namespace adaskel_e2e {
namespace {

std::string Lines_Of(int Count) {
    std::string Text;
    for (int Line = 0; Line < Count; ++Line) {
        Text += "GPL\n";
    }
    return Text;
}

const Files Refs = Reference_Files(Standard_Texts());
// Runs stopped by their command line need no "Copyright": it must not be opened.
const Files Refs_Only = Without(Refs, "Copyright");
const Files With_List = With(Refs_Only, {{"list", "demo\ndemo\n"}});
const std::string Project_Required = Console("1.0", "Project name requiered.\n");

Case Stopped(const std::string& Name, const std::vector<std::string>& Args, const Files& Inputs,
             const std::string& Message, const std::string& Version = "1.0") {
    return {.Name = Name,
            .Inputs = Inputs,
            .Args = Args,
            .Out = Console(Version, Message + "\n"),
            .Status = 2};
}

Case Failed(const std::string& Name, const Files& Inputs, const std::string& Out,
            const std::string& Err, const std::vector<std::string>& Args = {}) {
    return {.Name = Name, .Inputs = Inputs, .Args = Args, .Out = Out, .Status = 1, .Err = Err};
}

std::vector<Case> Cases() {
    const std::string Dated = "We are the @DATE@\n";
    const std::string Versioned = Dated + "The version is 1.0\n";
    const std::string Abstract_Opened = Versioned + "Open Abstract.txt...\n";
    const Files To_Holder = With(Refs, {{"list", "demo\ndemo\n"}});
    const std::string At_Holder = Console("1.0", "Enter your name : \n");
    const std::string Not_Positive = "Max lines is not a positive.";
    Case Directory = Stopped("ProjectIsDirectory", {"proj"}, Refs_Only,
                             "File name : \"proj\" is not regulary file.");
    Directory.Dirs = {"proj"};
    Case Dangling = Stopped("ProjectIsDanglingLink", {"list"}, Refs_Only,
                            "File name : \"list\" is not regulary file.");
    Dangling.Links = {{"list", "gone"}};
    Case Holder_Directory = Failed("CopyrightIsDirectory", Without(To_Holder, "Copyright"),
                                   At_Holder, "'Copyright'", {"list"});
    Holder_Directory.Dirs = {"Copyright"};
    return {
        Stopped("NoArgument", {}, Refs_Only, "Project name requiered."),
        Directory,
        Dangling,
        Stopped("ProjectIsEmptyText", {""}, With_List, "File name : \"\" is not regulary file."),
        // Argument 2 is not looked at once argument 1 has failed.
        Stopped("ProjectNameVerbatim", {" list\t", "0"}, With_List,
                "File name : \" list\t\" is not regulary file."),
        Stopped("MaxLinesZero", {"list", "0"}, With_List, Not_Positive),
        Stopped("MaxLinesTrailingText", {"list", "12abc"}, With_List, Not_Positive),
        Stopped("MaxLinesBeyondRange", {"list", "2147483648"}, With_List, Not_Positive),
        Stopped("VersionEmptyLastLine", {}, With(Refs_Only, {{"Versions.lst", "1.0\n\n\n"}}),
                "Project name requiered.", ""),
        Stopped("VersionVerbatim", {}, With(Refs_Only, {{"Versions.lst", "0.1\n\f 1.0\r"}}),
                "Project name requiered.", " 1.0\r"),
        Stopped("LicenceAtCapacity", {}, With(Refs_Only, {{"gpl.txt", Lines_Of(4096)}}),
                "Project name requiered."),
        Failed("VersionsMissing", Without(Refs, "Versions.lst"), Dated, "'Versions.lst'"),
        Failed("VersionsWithoutLine", With(Refs, {{"Versions.lst", "\n\f"}}), Dated,
               "'Versions.lst'"),
        Failed("AbstractMissing", Without(Refs, "Abstract.txt"), Versioned, "'Abstract.txt'"),
        Failed("AbstractEmpty", With(Refs, {{"Abstract.txt", ""}}), Abstract_Opened,
               "'Abstract.txt'"),
        Failed("LicenceMissing", Without(Refs, "gpl.txt"), Abstract_Opened, "'gpl.txt'"),
        Failed("LicenceBeyondCapacity", With(Refs, {{"gpl.txt", Lines_Of(4097)}}),
               Abstract_Opened + "Open gtl.txt...\n", "'gpl.txt'"),
        Failed("CopyrightMissing", Without(To_Holder, "Copyright"), At_Holder, "'Copyright'",
               {"list"}),
        Failed("CopyrightEmpty", With(To_Holder, {{"Copyright", ""}}), At_Holder, "'Copyright'",
               {"list"}),
        Holder_Directory,
        {.Name = "StandardOutputFull",
         .Inputs = Refs,
         .Status = 1,
         .Err = "standard output",
         .Stdout_Full = true},
    };
}

class Startup : public testing::TestWithParam<Case> {};

TEST_P(Startup, Run) {
    Run_Case(GetParam());
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, Startup, testing::ValuesIn(Cases()),
                         [](const auto& Info) { return Info.param.Name; });

} // namespace
} // namespace adaskel_e2e
