// Tests of where the header text checks place each fault and what they call it (which
// bytes GNAT refuses is held against GNAT itself by the end-to-end corpus).
#include "check/header_texts.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

struct Texts {
    std::string Abstract = "An abstract";
    std::string Holder = "The Authors";
    std::string Licence_300 = " line 300";
};

std::string Found_In(const Texts& With) {
    Run_Record Record;
    Record.Abstract = With.Abstract;
    Record.Holder_Name = With.Holder;
    Record.Version = "1.0";
    for (Record.Licence_Count = 1; Record.Licence_Count <= 309; ++Record.Licence_Count) {
        Store(Record.Licence_Lines, Record.Licence_Count,
              Record.Licence_Count == 300 ? With.Licence_300 : " line");
    }
    Record.Project_Lines = Create_String_Set(2);
    Record.Unit_Names = Create_String_Set(2);
    Store(Record.Unit_Names, 2, "App");
    std::string Report;
    for (const Problem& Found : Check_Header_Texts(Record)) {
        Report += Found.File + ":" + std::to_string(Found.Line) + ": " + Found.Message + "\n";
    }
    return Report;
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
        const std::string Report = Found_In(With);
        EXPECT_EQ(Report.substr(0, Expected.size()), Expected) << Report;
        EXPECT_EQ(Report.empty(), Expected.empty()) << Report;
    }
}

} // namespace
} // namespace adaskel
