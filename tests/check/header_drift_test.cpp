// Tests of the header drift judge: which fields it finds drifted, the header it would write
// (the date, the year and every byte below kept), and the headers it will not rewrite; and
// of the crate fields the check holds against the texts.
#include "check/crate_drift.hpp"
#include "check/header_drift.hpp"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace adaskel {
namespace {

struct Texts {
    std::string Abstract = "An abstract";
    std::string Main = "App";
    std::string Holder = "The Authors";
    std::string Licence_300 = " line 300";
    std::string Version = "1.0";
};

struct Judged {
    Run_Record Record;
    Header Now;
};

void Fill(Run_Record& Record, const Texts& With) {
    Record.Project_Name = "list";
    Record.Abstract = With.Abstract;
    Record.Holder_Name = With.Holder;
    Record.Version = With.Version;
    Record.Run_Date = "2026-12-09 10:00:00";
    for (Record.Licence_Count = 1; Record.Licence_Count <= 309; ++Record.Licence_Count) {
        Store(Record.Licence_Lines, Record.Licence_Count,
              Record.Licence_Count == 300 ? With.Licence_300 : " line");
    }
    Record.Licence_Count = 309;
    Record.Project_Lines = Create_String_Set(2);
    Record.Unit_Names = Create_String_Set(2);
    Store(Record.Unit_Names, 2, With.Main);
}

// The header a run of With writes, made years ago: its year and date are an old run's.
std::string Old_Header(const Texts& With) {
    Run_Record Record;
    Fill(Record, With);
    Record.Run_Date = "1999-01-02 03:04:05";
    std::string Text = Form_Header(Record).Text;
    const std::size_t Year = Text.find("(C) ") + 3;
    return Text.replace(Year, Text.find(' ', Year + 1) - Year, " 1999");
}

// A file holding Text in a scratch directory, judged against the header of Now_Texts.
struct Scratch {
    std::string Directory;
    Scratch() {
        std::string Template = ::testing::TempDir() + "drift.XXXXXX";
        Directory = ::mkdtemp(Template.data());
    }
    ~Scratch() {
        ::unlink((Directory + "/f.ads").c_str());
        ::rmdir(Directory.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    Header_Drift Judge(const std::string& Text, const Texts& Now_Texts) const {
        const std::string Path = Directory + "/f.ads";
        std::ofstream(Path, std::ios::binary) << Text;
        Run_Record Record;
        Fill(Record, Now_Texts);
        return Judge_Header_Drift(Record, Form_Header(Record), Path);
    }
};

TEST(HeaderDrift, FindsEachFieldInLineOrder) {
    const Scratch Box;
    struct Case {
        Texts Now;
        std::vector<std::pair<Drift_Field, std::int32_t>> Fields;
    };
    const std::vector<Case> Cases = {
        {{}, {}}, // only the date and the year differ: in step
        {{.Abstract = "Another"}, {{Drift_Field::Abstract, 1}}},
        {{.Main = "Main_Two"}, {{Drift_Field::Main_Procedure, 2}}},
        {{.Holder = "New ; Holder"}, {{Drift_Field::Holder, 2}}},
        {{.Licence_300 = " corrected"}, {{Drift_Field::Licence, 8}}},
        {{.Version = "2.0"}, {{Drift_Field::Version, 19}}},
        {{.Abstract = "A", .Main = "B", .Holder = "C", .Licence_300 = " D", .Version = "E"},
         {{Drift_Field::Abstract, 1},
          {Drift_Field::Main_Procedure, 2},
          {Drift_Field::Holder, 2},
          {Drift_Field::Licence, 8},
          {Drift_Field::Version, 19}}},
    };
    for (const Case& Each : Cases) {
        const Header_Drift Drift =
            Box.Judge(Old_Header({}) + "package App is end App;\n", Each.Now);
        std::vector<std::pair<Drift_Field, std::int32_t>> Found;
        for (const Field_Drift& Field : Drift.Fields) {
            Found.emplace_back(Field.Field, Field.Line);
        }
        EXPECT_EQ(Found, Each.Fields) << Change_Summary(Drift);
        EXPECT_FALSE(Drift.Left) << Drift.Left->Reason;
    }
}

// The new header is the run's, with the file's own date and year; every byte after line 19
// (a CR, no final line feed) stays as it was.
TEST(HeaderDrift, RefreshedHeaderKeepsDateAndYear) {
    const Scratch Box;
    const std::string Rest = "package App is\r\nend App;\n-- no final line feed";
    const Header_Drift Drift = Box.Judge(Old_Header({}) + Rest, {.Version = "2.0"});
    std::string Expected = Old_Header({.Version = "2.0"});
    EXPECT_EQ(Drift.Refreshed, Expected);
    EXPECT_EQ(Drift.Bytes.substr(Drift.Header_Size), Rest);
    EXPECT_EQ(Drift_Message(Drift.Fields.at(0), "list"),
              "header version '1.0', the last line of 'Versions.lst' is '2.0' (adaskel-refresh "
              "list rewrites it)");
}

TEST(HeaderDrift, LeavesHeadersOfAnotherShape) {
    const Scratch Box;
    const std::string Good = Old_Header({});
    const auto Line_Replaced = [&](int Line, const std::string& Text) {
        std::size_t Start = 0;
        for (int K = 1; K < Line; ++K) {
            Start = Good.find('\n', Start) + 1;
        }
        return std::string(Good).replace(Start, Good.find('\n', Start) - Start, Text);
    };
    const std::vector<std::pair<std::string, std::string>> Cases = {
        {"-- one line\n", "it has fewer than 19 lines"},
        {Good.substr(0, Good.size() - 1), "its line 19 has no line feed"},
        {Line_Replaced(1, "-- An abstract\r"), "its lines end in CR"},
        {Line_Replaced(1, "--An abstract"), "line 1 does not have the header's shape"},
        {Line_Replaced(2, "-- App is Copyright (C) The Authors ; "),
         "line 2 does not have the header's shape"},
        {Line_Replaced(2, "-- App is Copyright (C) 1999 The Authors"),
         "line 2 does not have the header's shape"},
        {Line_Replaced(9, "   line"), "line 9 does not have the header's shape"},
        {Line_Replaced(18, "-- Dated \"1999\""), "line 18 does not have the header's shape"},
        {Line_Replaced(19, "-- Version := 1.0"), "line 19 does not have the header's shape"},
    };
    for (const auto& [Text, Reason] : Cases) {
        const Header_Drift Drift = Box.Judge(Text, {.Version = "2.0"});
        ASSERT_TRUE(Drift.Left) << Reason;
        EXPECT_EQ(Drift.Left->Kind, Refusal_Kind::Foreign_Header);
        EXPECT_EQ(Drift.Left->Reason, "its header is not adaskel's: " + Reason);
    }
}

// An abstract read from a CRLF file ends line 1 of the run's own header in a CR: such a
// file is adaskel's, not one of another shape.
TEST(HeaderDrift, TakesTheRunsOwnCarriageReturn) {
    const Scratch Box;
    const Texts Crlf{.Abstract = "An abstract\r"};
    const Header_Drift Drift = Box.Judge(Old_Header(Crlf), Crlf);
    EXPECT_FALSE(Drift.Left) << Drift.Left->Reason;
    EXPECT_TRUE(Drift.Fields.empty()) << Change_Summary(Drift);
}

TEST(CrateDrift, NamesTheLinesToWrite) {
    const std::string Now = "name = \"app\"\nversion = \"2.0\"\ndescription = \"New\"\n";
    struct Case {
        std::string Crate;
        std::vector<std::int32_t> Lines;
    };
    const std::vector<Case> Cases = {
        {Now, {}},
        {"name = \"app\"\nversion = \"1.0\"\ndescription = \"New\"\n", {2}},
        {"description  =  \"Old\"  \r\nversion=\"2.0\"\n", {1}}, // blanks, no blanks, a CR
        {"versions = \"1.0\"\ndescription = \"New\"\n", {}},     // another key
        {"name = \"app\"\n[table]\nversion = \"1.0\"\n", {}},    // a table's own key
        {"version = \"1.0\"\ndescription = \"Old\"\n", {1, 2}},
    };
    for (const Case& Each : Cases) {
        std::vector<std::int32_t> Found;
        for (const Crate_Field_Drift& Field : Crate_Drift(Each.Crate, Now)) {
            Found.push_back(Field.Line);
        }
        EXPECT_EQ(Found, Each.Lines) << Each.Crate;
    }
}

} // namespace
} // namespace adaskel
