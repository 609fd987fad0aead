// Tests of the header block and the body and spec files, formed from a prepared record.
#include "driver/failure.hpp"
#include "writers/body_writer.hpp"
#include "writers/header.hpp"
#include "writers/spec_writer.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace adaskel {
namespace {

// A record as the inputs leave it: licence line K reads "<K>" after one leading blank.
Run_Record Make_Record(const std::vector<std::string>& Units, std::int32_t Licence_Lines = 309) {
    Run_Record Record;
    Record.Abstract = "An abstract";
    Record.Holder_Name = "The Authors";
    Record.Run_Date = "2026-12-06 04:29:40";
    Record.Version = "1.0";
    Record.Project_Name = "demo.lst";
    for (std::int32_t K = 1; K <= Licence_Lines; ++K) {
        Store(Record.Licence_Lines, K, " L" + std::to_string(K));
    }
    Record.Licence_Count = Licence_Lines;
    Record.Project_Lines = Create_String_Set(16);
    Record.Unit_Names = Create_String_Set(16);
    for (const auto& Unit : Units) {
        ++Record.Line_Count;
        Store(Record.Unit_Names, Record.Line_Count + 1, Unit);
    }
    if (!Units.empty()) {
        ++Record.Line_Count; // line 1, the root, has no unit name
    }
    return Record;
}

std::string Expected_Header(const std::string& Main_Unit) {
    std::string Text =
        "-- An abstract\n-- " + Main_Unit + " is Copyright (C) 2026 The Authors ; \n";
    for (int K = 295; K <= 309; ++K) {
        Text += "--L" + std::to_string(K) + "\n";
    }
    return Text + "-- Date := \"2026-12-06 04:29:40\"\n-- Version := \"1.0\"\n";
}

TEST(Header, FormsTheNineteenLines) {
    const Run_Record Record = Make_Record({"Demo.Main"});
    std::string Text;
    Append_Header(Text, Record, 2026);
    EXPECT_EQ(Text, Expected_Header("Demo.Main"));
    EXPECT_EQ(Text.substr(15, 60).find('\n'), 49U); // line 2 has 49 characters
}

TEST(Header, CopiesOddTextsByteForByte) {
    Run_Record Record = Make_Record({"M"});
    Record.Abstract = "";
    Record.Version = "";
    Record.Holder_Name = " \"q\" ";
    Store(Record.Licence_Lines, 295, "");
    Store(Record.Licence_Lines, 296, "x");
    Store(Record.Licence_Lines, 297, "abc");
    std::string Text;
    Append_Header(Text, Record, 987);
    EXPECT_EQ(Text.substr(0, 4), "-- \n");
    EXPECT_NE(Text.find("-- M is Copyright (C) 987  \"q\"  ; \n--\n--\n--bc\n"), std::string::npos);
    EXPECT_EQ(Text.substr(Text.size() - 17), "-- Version := \"\"\n");
}

TEST(Header, FailsWithoutMainUnitOrFullExcerpt) {
    std::string Text = "kept";
    EXPECT_THROW(Append_Header(Text, Make_Record({}), 2026), Run_Failure);
    EXPECT_THROW(Append_Header(Text, Make_Record({"M"}, 308), 2026), Run_Failure);
    EXPECT_EQ(Text, "kept");
    EXPECT_NO_THROW(Append_Header(Text, Make_Record({"M"}, 4096), 2026));
}

TEST(Header, YearImageHasLeadingBlank) {
    EXPECT_EQ(Year_Image(2026), " 2026");
    EXPECT_EQ(Year_Image(0), " 0");
    EXPECT_EQ(Year_Image(-5), "-5");
}

TEST(Writers, BodyListsUnitsInOrderWithRepeats) {
    const Run_Record Record = Make_Record({"Demo.Main", "Demo.Util", "Demo.Io", "Demo.Util"});
    std::string Text;
    Write_Body_File(Text, Record);
    const std::string Code = Text.substr(Text.find("with "));
    EXPECT_EQ(Code, "with Demo.Util ; \nwith Demo.Io ; \nwith Demo.Util ; \n"
                    "procedure Demo.Main is\n\nbegin\n\n   null;\nend Demo.Main ; \n");
}

TEST(Writers, BodyOfTwoLineProjectHasNoWithLine) {
    const Run_Record Record = Make_Record({"App"});
    std::string Text;
    Write_Body_File(Text, Record);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 25);
    EXPECT_EQ(Text.find("with "), std::string::npos);
}

TEST(Writers, SpecNamesItsUnitAndTheMainUnitInHeader) {
    const Run_Record Record = Make_Record({"Demo.Main", "Demo.Util"});
    std::string Text;
    Write_Spec_File(Text, Record, 3);
    EXPECT_EQ(std::count(Text.begin(), Text.end(), '\n'), 22);
    EXPECT_NE(Text.find("-- Demo.Main is Copyright"), std::string::npos);
    EXPECT_EQ(Text.substr(Text.find("package")), "package Demo.Util is\n\nend Demo.Util ; \n");
}

} // namespace
} // namespace adaskel
