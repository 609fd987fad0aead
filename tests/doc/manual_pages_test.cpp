// The manual pages are the reference for what a user meets: these tests hold the lists
// the pages copy from the code's tables equal to them, and find every message text of
// the sources in a page.
//
// A message text is every string literal of a file under src/ (literals side by side
// joined, as the compiler joins them; comments and character literals skipped) that holds
// two words of letters with one blank between, and no line end: a literal with a line end
// is a file's text or a help screen, one without two words punctuation, a path or a key.
// The sources whose texts are no message (Skipped_Sources) are left out. Each text must
// stand in a page read as text: roff requests and font changes dropped, escapes made the
// characters they print, every run of blanks and line ends made one blank.
#include "inputs/run_record.hpp"
#include "names/ada_lexicon.hpp"
#include "names/check_rules.hpp"
#include "names/tree_names.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
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

std::vector<std::string> Page_Lines(const std::string& Page) {
    std::ifstream In(std::filesystem::path(ADASKEL_DOC_DIR) / Page);
    std::vector<std::string> Lines;
    for (std::string Line; std::getline(In, Line);) {
        Lines.push_back(Line);
    }
    return Lines;
}

// The matches of Pattern in Text, in order (they point into Text).
std::vector<std::smatch> Matches(const std::string& Text, const std::regex& Pattern) {
    return {std::sregex_iterator(Text.begin(), Text.end(), Pattern), std::sregex_iterator()};
}

// The arguments of a request line: blank-separated (a blank after "\" kept), or quoted.
std::vector<std::string> Request_Arguments(const std::string& Rest) {
    static const std::regex Argument(R"re("([^"]*)"?|((?:\\ |[^ ])+))re");
    std::vector<std::string> Arguments;
    for (const std::smatch& Each : Matches(Rest, Argument)) {
        Arguments.push_back(Each[1].matched ? Each.str(1) : Each.str(2));
    }
    return Arguments;
}

// A line of a page as the text it prints: the font requests join their arguments (the
// alternating ones without a blank), the section titles are kept, other requests and
// comments print nothing.
std::string Printed_Line(const std::string& Line) {
    static const std::map<std::string, std::string> Joints = {
        {"B", " "}, {"I", " "}, {"SH", " "}, {"SS", " "}, {"BR", ""},
        {"RB", ""}, {"BI", ""}, {"IB", ""},  {"IR", ""},  {"RI", ""}};
    if (!Line.starts_with('.')) {
        return Line;
    }
    const std::size_t Blank = std::min(Line.find(' '), Line.size());
    const auto Joint = Joints.find(Line.substr(1, Blank - 1));
    if (Joint == Joints.end()) {
        return "";
    }
    std::string Text;
    for (const std::string& Argument : Request_Arguments(Line.substr(Blank))) {
        Text += (Text.empty() ? "" : Joint->second) + Argument;
    }
    return Text;
}

// Escapes made the characters they print, font changes dropped.
std::string Without_Escapes(const std::string& Text) {
    // clang-format off
    static const std::array<std::pair<std::string_view, std::string_view>, 12> Escapes = {{
        {"\\fB", ""}, {"\\fI", ""}, {"\\fR", ""}, {"\\fP", ""}, {"\\&", ""}, {"\\-", "-"},
        {"\\(aq", "'"}, {"\\(dq", "\""}, {"\\(ga", "`"}, {"\\`", "`"}, {"\\ ", " "},
        {"\\e", "\\"}}};
    // clang-format on
    std::string Plain;
    for (std::size_t At = 0; At < Text.size();) {
        const auto* Found = std::find_if(Escapes.begin(), Escapes.end(), [&](const auto& Each) {
            return std::string_view(Text).substr(At).starts_with(Each.first);
        });
        Plain += Found != Escapes.end() ? std::string(Found->second) : std::string(1, Text[At]);
        At += Found != Escapes.end() ? Found->first.size() : 1;
    }
    return Plain;
}

// Every run of blanks made one blank, none left at either end.
std::string Collapsed(const std::string& Text) {
    static const std::regex Ends("^[ \t\n]+|[ \t\n]+$");
    static const std::regex Runs("[ \t\n]+");
    return std::regex_replace(std::regex_replace(Text, Ends, ""), Runs, " ");
}

// A page read as text, on one line (a comment is a request that prints nothing).
std::string Page_Text(const std::string& Page) {
    std::string Text;
    for (const std::string& Line : Page_Lines(Page)) {
        Text += Printed_Line(Line) + '\n';
    }
    return Collapsed(Without_Escapes(Text));
}

// The words of Page set in bold (the bold argument of .B, .BR or .RB) on the lines after
// the first that holds After, up to the next that holds Before; with Tags, only those that
// tag a paragraph (after .TP).
std::vector<std::string> Bold_Words(const std::string& Page, const std::string& After,
                                    const std::string& Before, bool Tags = false) {
    std::vector<std::string> Words;
    bool In_List = false;
    std::string Previous;
    for (const std::string& Line : Page_Lines(Page)) {
        if (In_List && Line.find(Before) != std::string::npos) {
            return Words;
        }
        const bool Bold_First = Line.starts_with(".B ") || Line.starts_with(".BR ");
        if (In_List && (Bold_First || Line.starts_with(".RB ")) && (!Tags || Previous == ".TP")) {
            Words.push_back(Without_Escapes(
                Request_Arguments(Line.substr(Line.find(' '))).at(Bold_First ? 0 : 1)));
        }
        In_List = In_List || Line.find(After) != std::string::npos;
        Previous = Line;
    }
    ADD_FAILURE() << "no list between '" << After << "' and '" << Before << "'";
    return Words;
}

// The Ada names among Bold_Words (a dotted one is a child, not a listed name), lowered as
// Ada compares them.
std::set<std::string> Listed_Names(const std::string& Page, const std::string& After,
                                   const std::string& Before) {
    std::set<std::string> Names;
    for (const std::string& Name : Bold_Words(Page, After, Before)) {
        if (Name.find('.') == std::string::npos && !Ada_Name_Problem(Name)) {
            Names.insert(To_Lower_Latin_1(Name));
        }
    }
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
    const std::string Check = "adaskel-check.1";
    const struct {
        const char* Table;
        std::set<std::string> Listed;
        std::set<std::string> In_Code;
    } Lists[] = {
        {"package Standard", Listed_Names(Check, "names package Standard declares:", "As the name"),
         Standard},
        {"language-defined roots", Listed_Names(Check, "are not allowed", "or is under one"),
         Gnat_Units_Treated({Gnat_Treats::Refuses})},
        {"refused packages", Listed_Names(Check, "gprbuild takes GNAT's body", ".TP"),
         Gnat_Units_Treated({Gnat_Treats::Refuses_Bind, Gnat_Treats::Takes_Body})},
        {"not bound by gnatmake", Listed_Names(Check, "A package named", "(gnatmake will not bind"),
         Gnat_Units_Treated({Gnat_Treats::Gnatmake_Bind})},
        {"GNAT's own taken by gnatmake",
         Listed_Names(Check, "(gnatmake will not bind", "(gnatmake takes GNAT's own)"),
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
    const std::string Page = Page_Text(Check);
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

// The page lists every rule id the reports give, in the table's order, and no other: a
// rule added without its entry would leave code scanning's users with an id they cannot
// look up. The table is in the order of the rules, which Describe indexes it by.
TEST(ManualPages, CheckListsEveryRuleId) {
    std::vector<std::string> Ids;
    for (const Rule_Description& Each : All_Rules()) {
        EXPECT_EQ(&Describe(Each.Rule), &Each) << Each.Id;
        EXPECT_EQ(std::count(Ids.begin(), Ids.end(), Each.Id), 0) << Each.Id;
        Ids.emplace_back(Each.Id);
    }
    EXPECT_EQ(Bold_Words("adaskel-check.1", "The rule ids, stable", ".SH", true), Ids);
}

// The string literals of a source, escapes kept, those side by side (with blanks and
// comments between) joined. A search takes comments and character literals whole, so that
// a quotation mark in them starts no string.
std::vector<std::string> Literals_Of(const std::string& Text) {
    static const std::regex Token(
        R"re(//[^\n]*|/\*(?:[^*]|\*+[^*/])*\*+/|'(?:\\.|[^'\\])'|"((?:\\.|[^"\\\n])*)")re");
    std::vector<std::string> Literals;
    bool Joining = false; // the last literal is joined to a next one that comes at once
    for (const std::smatch& Each : Matches(Text, Token)) {
        const bool Next = std::all_of(Each.prefix().first, Each.prefix().second, [](char C) {
            return std::isspace(static_cast<unsigned char>(C)) != 0;
        });
        if (Each.str()[0] == '"') {
            (Joining && Next ? Literals.back() : Literals.emplace_back()) += Each.str(1);
            Joining = true;
        } else {
            Joining = Joining && Next && Each.str()[0] == '/';
        }
    }
    return Literals;
}

// A literal as the text it stands for: its escapes \" and \\ made the characters.
std::string Unescaped(const std::string& Literal) {
    static const std::regex Escape(R"(\\(.))");
    return std::regex_replace(Literal, Escape, "$1");
}

// Every text a program can print or report stands in a manual page, where a user looks
// it up: a message added without its entry would be one the user cannot read about.
TEST(ManualPages, HoldEveryMessageOfTheSources) {
    const std::string Pages = Page_Text("adaskel.1") + '\n' + Page_Text("adaskel-check.1") + '\n' +
                              Page_Text("adaskel-layout.1") + '\n' + Page_Text("adaskel-refresh.1");
    // The sources whose texts are no message: the text of a generated file (a unit's, the
    // GPR files', the derived project's), the licence lines looked for in gpl.txt, and the
    // faults of the line store and the number set, which only a fault of the programs could
    // raise.
    const std::set<std::string> Skipped_Sources = {
        "writers/unit_files.cpp",  "layout/gpr_file.cpp", "names/tree_project.cpp",
        "inputs/licence_kind.cpp", "base/line_store.cpp", "base/number_set.hpp"};
    const std::regex Two_Words("[A-Za-z]{2} [A-Za-z]{2}");
    const std::filesystem::path Sources(ADASKEL_SOURCE_DIR);
    std::size_t Found = 0;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Sources)) {
        const std::string Source = Entry.path().lexically_relative(Sources).generic_string();
        const auto Extension = Entry.path().extension();
        if ((Extension != ".cpp" && Extension != ".hpp") || Skipped_Sources.contains(Source)) {
            continue;
        }
        for (const std::string& Literal : Literals_Of(Read_File(Entry.path()))) {
            if (Literal.find("\\n") == std::string::npos && std::regex_search(Literal, Two_Words)) {
                const std::string Text = Collapsed(Unescaped(Literal));
                EXPECT_NE(Pages.find(Text), std::string::npos) << Source << ": \"" << Text << '"';
                ++Found;
            }
        }
    }
    EXPECT_GT(Found, 100U) << "the sources' messages are not found where they were";
}

} // namespace
} // namespace adaskel
