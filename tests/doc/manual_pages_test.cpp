// The manual pages are the reference for what a user meets: these tests hold the lists
// the pages copy from the code's tables equal to them, and find every message text of
// the sources in a page.
//
// A message text is taken from the sources by one rule: every string literal of a file
// under src/ (literals side by side joined, as the compiler joins them; comments and
// character literals skipped) that holds two words of letters with one blank between,
// and no line end. A literal with a line end is a file's text or a help screen, not a
// message; one without two words is punctuation, a path or a key. The sources whose
// texts are no message (Skipped_Sources) are left out. Each text, its outer blanks
// trimmed, must stand in a page once the pages are read as text: roff requests and font
// changes dropped, escapes such as \- and \(aq made the characters they print, and every
// run of blanks and line ends made one blank.
#include "inputs/run_record.hpp"
#include "names/ada_lexicon.hpp"
#include "names/tree_names.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace adaskel {
namespace {

std::string Read_File(const std::filesystem::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

// The arguments of a request line: blank-separated, or quoted with "".
std::vector<std::string> Request_Arguments(const std::string& Rest) {
    std::vector<std::string> Arguments;
    std::size_t At = 0;
    while (At < Rest.size()) {
        if (Rest[At] == ' ') {
            ++At;
        } else if (Rest[At] == '"') {
            const std::size_t End = Rest.find('"', At + 1);
            Arguments.push_back(Rest.substr(At + 1, End - At - 1));
            At = End == std::string::npos ? Rest.size() : End + 1;
        } else {
            std::size_t End = At;
            while (End < Rest.size() && (Rest[End] != ' ' || Rest[End - 1] == '\\')) {
                ++End;
            }
            Arguments.push_back(Rest.substr(At, End - At));
            At = End;
        }
    }
    return Arguments;
}

// A line of a page as the text it prints: the font requests join their arguments
// (the alternating ones without a blank), the section titles are kept, other requests
// print nothing.
std::string Printed_Line(const std::string& Line) {
    if (!Line.starts_with('.')) {
        return Line;
    }
    const std::size_t Blank = std::min(Line.find(' '), Line.size());
    const std::string Request = Line.substr(1, Blank - 1);
    static const std::set<std::string> Alternating = {"BR", "RB", "BI", "IB", "IR", "RI"};
    static const std::set<std::string> Joining = {"B", "I", "SH", "SS"};
    const bool Alternates = Alternating.contains(Request);
    if (!Alternates && !Joining.contains(Request)) {
        return "";
    }
    std::string Text;
    for (const std::string& Argument : Request_Arguments(Line.substr(Blank))) {
        Text += (Alternates || Text.empty() ? "" : " ") + Argument;
    }
    return Text;
}

// Escapes made the characters they print, font changes dropped.
std::string Without_Escapes(const std::string& Text) {
    static const std::array<std::pair<std::string_view, std::string_view>, 11> Escapes = {{
        {"\\fB", ""},
        {"\\fI", ""},
        {"\\fR", ""},
        {"\\fP", ""},
        {"\\&", ""},
        {"\\-", "-"},
        {"\\(aq", "'"},
        {"\\(dq", "\""},
        {"\\(ga", "`"},
        {"\\`", "`"},
        {"\\ ", " "},
    }};
    std::string Plain;
    for (std::size_t At = 0; At < Text.size();) {
        const auto* Found = std::find_if(Escapes.begin(), Escapes.end(), [&](const auto& Each) {
            return std::string_view(Text).substr(At).starts_with(Each.first);
        });
        if (Found != Escapes.end()) {
            Plain += Found->second;
            At += Found->first.size();
        } else if (Text.compare(At, 2, "\\e") == 0) {
            Plain += '\\';
            At += 2;
        } else {
            Plain += Text[At++];
        }
    }
    return Plain;
}

// Every run of blanks made one blank.
std::string Collapsed(const std::string& Text) {
    std::string One;
    for (const char C : Text) {
        const bool Blank = C == ' ' || C == '\t' || C == '\n';
        if (!Blank || (!One.empty() && One.back() != ' ')) {
            One += Blank ? ' ' : C;
        }
    }
    return One;
}

// A page read as text, on one line.
std::string Page_Text(const std::string& Page) {
    std::istringstream Lines(Read_File(std::filesystem::path(ADASKEL_DOC_DIR) / Page));
    std::string Text;
    for (std::string Line; std::getline(Lines, Line);) {
        if (!Line.starts_with(".\\\"")) {
            Text += Printed_Line(Line) + '\n';
        }
    }
    return Collapsed(Without_Escapes(Text));
}

std::string All_Pages() {
    std::string Text;
    for (const char* Page :
         {"adaskel.1", "adaskel-check.1", "adaskel-layout.1", "adaskel-refresh.1"}) {
        Text += Page_Text(Page) + '\n';
    }
    return Text;
}

// The words of Page set in bold (by .B, .BR or .RB) on the lines after the first that
// holds After, up to the next that holds Before: a list such as "the names .BR Boolean ,
// ...". Only names without a dot are taken, lowered as Ada compares them.
std::set<std::string> Listed_Names(const std::string& Page, const std::string& After,
                                   const std::string& Before) {
    std::istringstream Lines(Read_File(std::filesystem::path(ADASKEL_DOC_DIR) / Page));
    std::set<std::string> Names;
    bool In_List = false;
    for (std::string Line; std::getline(Lines, Line);) {
        if (In_List && Line.find(Before) != std::string::npos) {
            return Names;
        }
        const bool Bold_First = Line.starts_with(".B ") || Line.starts_with(".BR ");
        if (In_List && (Bold_First || Line.starts_with(".RB "))) {
            const auto Arguments = Request_Arguments(Line.substr(Line.find(' ')));
            const std::string Name = Arguments.at(Bold_First ? 0 : 1);
            if (Name.find('.') == std::string::npos && !Ada_Name_Problem(Name)) {
                Names.insert(To_Lower_Latin_1(Name));
            }
        }
        In_List = In_List || Line.find(After) != std::string::npos;
    }
    ADD_FAILURE() << "no list between '" << After << "' and '" << Before << "'";
    return Names;
}

std::set<std::string> Gnat_Units_Treated(std::initializer_list<Gnat_Treats> Treats) {
    std::set<std::string> Names;
    for (const Gnat_Unit& Unit : Gnat_Top_Level_Units()) {
        if (std::find(Treats.begin(), Treats.end(), Unit.Treats) != Treats.end()) {
            Names.emplace(Unit.Name);
        }
    }
    return Names;
}

// The lists of adaskel-check(1) are the tables the checks judge by: a name added to a
// table and not to the page (or left in the page after it left the table) would tell
// users that the check passes a name it refuses, or refuses one it passes.
TEST(ManualPages, CheckListsTheCodesTables) {
    const std::set<std::string> Standard(Standard_Declarations().begin(),
                                         Standard_Declarations().end());
    const struct {
        const char* Table;
        std::set<std::string> Listed;
        std::set<std::string> In_Code;
    } Lists[] = {
        {"package Standard",
         Listed_Names("adaskel-check.1", "names package Standard declares:", "As the name"),
         Standard},
        {"language-defined roots",
         Listed_Names("adaskel-check.1", "are not allowed", "or is under one"),
         Gnat_Units_Treated({Gnat_Treats::Refuses})},
        {"refused packages", Listed_Names("adaskel-check.1", "gprbuild takes GNAT's body", ".TP"),
         Gnat_Units_Treated({Gnat_Treats::Refuses_Bind, Gnat_Treats::Takes_Body})},
        {"not bound by gnatmake",
         Listed_Names("adaskel-check.1", "A package named", "(gnatmake will not bind"),
         Gnat_Units_Treated({Gnat_Treats::Gnatmake_Bind})},
        {"GNAT's own taken by gnatmake",
         Listed_Names("adaskel-check.1", "(gnatmake will not bind", "(gnatmake takes GNAT's own)"),
         Gnat_Units_Treated({Gnat_Treats::Gnatmake_Own})},
        {"project file words",
         Listed_Names("adaskel-layout.1", "of project files", "A unit line"),
         {Project_File_Words().begin(), Project_File_Words().end()}},
        {"build directories",
         Listed_Names("adaskel-layout.1", "nor be", "where gprbuild and alr"),
         {Build_Directory_Names().begin(), Build_Directory_Names().end()}},
    };
    for (const auto& List : Lists) {
        EXPECT_EQ(List.Listed, List.In_Code) << List.Table;
    }
    const std::string Page = Page_Text("adaskel-check.1");
    for (const std::string& Said :
         {"the " + std::to_string(Standard.size()) + " names package Standard declares",
          "GNAT compiles at most " + std::to_string(Longest_Main_Name) + " and",
          "source file name over " + std::to_string(Longest_Source_File),
          "of more than " + std::to_string(Longest_Source_File - std::string(".ads").size()) +
              " characters",
          "(default " + std::to_string(Default_Max_Lines) + ")",
          "more than " + std::to_string(Licence_Capacity) + " lines"}) {
        EXPECT_NE(Page.find(Said), std::string::npos) << Said;
    }
}

// The sources whose texts are no message: the text of a generated file (a unit's, the
// GPR files', the derived project's), the licence lines looked for in gpl.txt, and the
// faults of the line store and the number set, which only a fault of the programs could
// raise.
const std::set<std::string> Skipped_Sources = {"writers/unit_files.cpp", "layout/gpr_file.cpp",
                                               "names/tree_project.cpp", "inputs/licence_kind.cpp",
                                               "base/line_store.cpp",    "base/number_set.hpp"};

// The string literal that starts at Text[At] (a quote), escapes kept; At is moved past it.
std::string Literal_At(const std::string& Text, std::size_t& At) {
    std::size_t End = At + 1;
    while (End < Text.size() && Text[End] != '"') {
        End += Text[End] == '\\' ? 2U : 1U;
    }
    std::string Literal = Text.substr(At + 1, End - At - 1);
    At = End + 1;
    return Literal;
}

// Where the code after At goes on, past blanks and comments.
std::size_t Past_Blanks_And_Comments(const std::string& Text, std::size_t At) {
    while (At < Text.size()) {
        if (std::isspace(static_cast<unsigned char>(Text[At])) != 0) {
            ++At;
        } else if (Text.compare(At, 2, "//") == 0) {
            At = std::min(Text.find('\n', At), Text.size());
        } else if (Text.compare(At, 2, "/*") == 0) {
            At = std::min(Text.find("*/", At) + 2, Text.size());
        } else {
            break;
        }
    }
    return At;
}

// The string literals of a source, those side by side joined, escapes kept.
std::vector<std::string> Literals_Of(const std::string& Text) {
    std::vector<std::string> Literals;
    std::size_t At = Past_Blanks_And_Comments(Text, 0);
    while (At < Text.size()) {
        if (Text[At] == '"') {
            std::string Joined = Literal_At(Text, At);
            while ((At = Past_Blanks_And_Comments(Text, At)) < Text.size() && Text[At] == '"') {
                Joined += Literal_At(Text, At);
            }
            Literals.push_back(Joined);
        } else if (Text[At] == '\'') {
            At = Text.find('\'', At + (Text[At + 1] == '\\' ? 3U : 2U)) + 1;
        } else {
            At = Past_Blanks_And_Comments(Text, At + 1);
        }
    }
    return Literals;
}

// A literal as the text it stands for: its escapes \" and \\ made the characters.
std::string Unescaped(const std::string& Literal) {
    std::string Text;
    for (std::size_t At = 0; At < Literal.size(); ++At) {
        At += Literal[At] == '\\' ? 1U : 0U;
        Text += Literal[At];
    }
    return Text;
}

bool Is_Message_Text(const std::string& Literal) {
    if (Literal.find("\\n") != std::string::npos) {
        return false;
    }
    const auto Is_Alpha = [](char C) { return std::isalpha(static_cast<unsigned char>(C)) != 0; };
    for (std::size_t At = 2; At + 2 < Literal.size(); ++At) {
        if (Literal[At] == ' ' && Is_Alpha(Literal[At - 1]) && Is_Alpha(Literal[At - 2]) &&
            Is_Alpha(Literal[At + 1]) && Is_Alpha(Literal[At + 2])) {
            return true;
        }
    }
    return false;
}

std::string Trimmed(const std::string& Text) {
    const std::size_t First = Text.find_first_not_of(' ');
    return First == std::string::npos ? ""
                                      : Text.substr(First, Text.find_last_not_of(' ') + 1 - First);
}

// Every text a program can print or report stands in a manual page, where a user looks
// it up: a message added without its entry would be one the user cannot read about.
TEST(ManualPages, HoldEveryMessageOfTheSources) {
    const std::string Pages = All_Pages();
    const std::filesystem::path Sources(ADASKEL_SOURCE_DIR);
    std::size_t Found = 0;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Sources)) {
        const std::string Source = Entry.path().lexically_relative(Sources).generic_string();
        const auto Extension = Entry.path().extension();
        if ((Extension != ".cpp" && Extension != ".hpp") || Skipped_Sources.contains(Source)) {
            continue;
        }
        for (const std::string& Literal : Literals_Of(Read_File(Entry.path()))) {
            if (!Is_Message_Text(Literal)) {
                continue;
            }
            const std::string Text = Collapsed(Trimmed(Unescaped(Literal)));
            EXPECT_NE(Pages.find(Text), std::string::npos) << Source << ": \"" << Text << '"';
            ++Found;
        }
    }
    EXPECT_GT(Found, 100U) << "the sources' messages are not found where they were";
}

} // namespace
} // namespace adaskel
