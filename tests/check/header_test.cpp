// Tests of the header checks: where a fault of a reference text lands and what it is
// called (which bytes GNAT refuses is held against GNAT by the end-to-end corpus); which
// fields of a file's header drifted, the header a refresh would write (the date, the year
// and every byte below kept), and the headers it will not rewrite; and the crate fields
// held against the texts.
#include "../scratch.hpp"
#include "check/crate_drift.hpp"
#include "check/header_drift.hpp"
#include "check/header_texts.hpp"

#include <gtest/gtest.h>

#include <string>
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

Run_Record Record_Of(const Texts& With, const std::string& Date = "2026-12-09 10:00:00") {
    Run_Record Record;
    Record.Project_Name = "list";
    Record.Abstract = With.Abstract;
    Record.Holder_Name = With.Holder;
    Record.Version = With.Version;
    Record.Run_Date = Date;
    for (Record.Licence_Count = 1; Record.Licence_Count <= 309; ++Record.Licence_Count) {
        Store(Record.Licence_Lines, Record.Licence_Count,
              Record.Licence_Count == 300 ? With.Licence_300 : " line");
    }
    Record.Licence_Count = 309;
    Record.Project_Lines = Create_String_Set(2);
    Record.Unit_Names = Create_String_Set(2);
    Store(Record.Unit_Names, 2, With.Main);
    return Record;
}

TEST(CheckHeaderTexts, PlacesEachFault) {
    const std::string Long(Longest_Gnat_Line - 2, 'x');
    const std::vector<std::pair<Texts, std::string>> Cases = {
        {{.Abstract = "A\x01z"}, "Abstract.txt:1: byte '\\x01' at column 2 is not allowed"},
        {{.Abstract = "Ends here\r"}, ""}, // a CRLF line end
        {{.Holder = "The Authors\r"}, "Copyright:1: ends in a carriage return (a CRLF file?)"},
        {{.Licence_300 = " a\x1a;"}, "gpl.txt:300: byte '\\x1a' at column 3 ends"},
        {{.Licence_300 = "\x01" + Long}, ""}, // its first byte is not in the header
        {{.Licence_300 = " " + Long + "x"}, "gpl.txt:300: makes line 8 of every header 32766"},
    };
    for (const auto& [With, Expected] : Cases) {
        std::string Report;
        for (const Problem& Found : Check_Header_Texts(Record_Of(With))) {
            Report += Found.File + ":" + std::to_string(Found.Line) + ": " + Found.Message + "\n";
        }
        EXPECT_EQ(Report.substr(0, Expected.size()), Expected) << Report;
        EXPECT_EQ(Report.empty(), Expected.empty()) << Report;
    }
}

// The header a run of With writes, made years ago: its year and date are an old run's.
std::string Old_Header(const Texts& With) {
    std::string Text = Form_Header(Record_Of(With, "1999-01-02 03:04:05")).Text;
    const std::size_t Year = Text.find("(C) ") + 3;
    return Text.replace(Year, Text.find(' ', Year + 1) - Year, " 1999");
}

// A file holding Text judged against the header a run of Now writes.
Header_Drift Judge(const std::string& Text, const Texts& Now) {
    const Scratch_Dir Here;
    const Run_Record Record = Record_Of(Now);
    return Judge_Header_Drift(Record, Form_Header(Record), Here.Put("f.ads", Text));
}

TEST(HeaderDrift, FindsEachFieldInLineOrder) {
    using Found = std::vector<std::pair<Drift_Field, std::int32_t>>;
    const std::vector<std::pair<Texts, Found>> Cases = {
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
    for (const auto& [Now, Fields] : Cases) {
        const Header_Drift Drift = Judge(Old_Header({}) + "package App is end App;\n", Now);
        Found Each;
        for (const Field_Drift& Field : Drift.Fields) {
            Each.emplace_back(Field.Field, Field.Line);
        }
        EXPECT_EQ(Each, Fields) << Change_Summary(Drift);
        EXPECT_FALSE(Drift.Left) << Drift.Left->Reason;
    }
}

// The new header is the run's, with the file's own date and year; every byte after line 19
// (a CR, no final line feed) stays as it was.
TEST(HeaderDrift, RefreshedHeaderKeepsDateAndYear) {
    const std::string Rest = "package App is\r\nend App;\n-- no final line feed";
    const Header_Drift Drift = Judge(Old_Header({}) + Rest, {.Version = "2.0"});
    EXPECT_EQ(Drift.Refreshed, Old_Header({.Version = "2.0"}));
    EXPECT_EQ(Drift.Bytes.substr(Drift.Header_Size), Rest);
    EXPECT_EQ(Drift_Message(Drift.Fields.at(0), "list"),
              "header version '1.0', the last line of 'Versions.lst' is '2.0' (adaskel-refresh "
              "list rewrites it)");
}

// Headers of another shape are left; an abstract read from a CRLF file ends line 1 of the
// run's own header in a CR, and such a file is adaskel's.
TEST(HeaderDrift, LeavesHeadersOfAnotherShape) {
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
        const Header_Drift Drift = Judge(Text, {.Version = "2.0"});
        ASSERT_TRUE(Drift.Left) << Reason;
        EXPECT_EQ(Drift.Left->Kind, Refusal_Kind::Foreign_Header);
        EXPECT_EQ(Drift.Left->Reason, "its header is not adaskel's: " + Reason);
    }
    const Texts Crlf{.Abstract = "An abstract\r"};
    const Header_Drift Drift = Judge(Old_Header(Crlf), Crlf);
    EXPECT_FALSE(Drift.Left) << Drift.Left->Reason;
    EXPECT_TRUE(Drift.Fields.empty()) << Change_Summary(Drift);
}

TEST(CrateDrift, NamesTheLinesToWrite) {
    const std::string Now = "name = \"app\"\nversion = \"2.0\"\ndescription = \"New\"\n";
    const std::vector<std::pair<std::string, std::vector<std::int32_t>>> Cases = {
        {Now, {}},
        {"name = \"app\"\nversion = \"1.0\"\ndescription = \"New\"\n", {2}},
        {"description  =  \"Old\"  \r\nversion=\"2.0\"\n", {1}}, // blanks, no blanks, a CR
        {"versions = \"1.0\"\ndescription = \"New\"\n", {}},     // another key
        {"name = \"app\"\n[table]\nversion = \"1.0\"\n", {}},    // a table's own key
        {"version = \"1.0\"\ndescription = \"Old\"\n", {1, 2}},
    };
    for (const auto& [Crate, Lines] : Cases) {
        std::vector<std::int32_t> Found;
        for (const Crate_Field_Drift& Field : Crate_Drift(Crate, Now)) {
            Found.push_back(Field.Line);
        }
        EXPECT_EQ(Found, Lines) << Crate;
    }
}

} // namespace
} // namespace adaskel
