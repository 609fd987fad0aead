// Tests of the crate manifest's fields: which texts alr would refuse, said in one line,
// and how a text is quoted in TOML.
#include "layout/crate.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

struct Texts {
    std::string Root = "shop";
    std::string Version = "1.0";
    std::string Abstract = "A shop";
    std::string Holder = "The Authors";
};

Manifest Made_Of(const Texts& With) {
    Run_Record Record;
    Record.Project_Lines = Create_String_Set(2);
    Store(Record.Project_Lines, 1, With.Root);
    Record.Line_Count = 2;
    Record.Version = With.Version;
    Record.Version_Line = 3;
    Record.Abstract = With.Abstract;
    Record.Holder_Name = With.Holder;
    return Crate_Manifest(Record);
}

// The refusal's message, "" when the manifest is written.
std::string Refusal_Of(const Manifest& Made) {
    return Made.Refusal ? Made.Refusal->Message : "";
}

TEST(Crate, RefusesWhatAlrRefuses) {
    std::string E_Acute_36; // 72 bytes
    for (int K = 0; K < 36; ++K) {
        E_Acute_36 += "\xc3\xa9";
    }
    const std::string Version_Refused =
        "' (line 3 of 'Versions.lst'): alr takes a version like 1.0 or 1.0.0-rc1";
    const std::vector<std::pair<Texts, std::string>> Rows = {
        {{}, ""},
        {{.Version = "1.0.0-rc.1+build5"}, ""},
        {{.Version = "v1.0"}, "version 'v1.0" + Version_Refused},
        {{.Version = ""}, "version '" + Version_Refused},
        {{.Version = "1.0.0.0"}, "version '1.0.0.0" + Version_Refused},
        {{.Root = "ab"}, "name 'ab' (the root in lower case): alr takes 3 to 64 characters"},
        {{.Abstract = E_Acute_36}, ""},
        {{.Abstract = E_Acute_36 + "A"}, // 37 characters: bytes are counted
         "description (line 1 of 'Abstract.txt'): alr takes at most 72 bytes, it has 73"},
        {{.Abstract = "caf\xe9"}, "description (line 1 of 'Abstract.txt'): it is not UTF-8 text"},
        {{.Holder = "\xff"}, "authors (line 1 of 'Copyright'): it is not UTF-8 text"},
    };
    for (const auto& [With, Refusal] : Rows) {
        EXPECT_EQ(Refusal_Of(Made_Of(With)), Refusal) << With.Root << " " << With.Version;
    }
}

// alr refuses a manifest whose strings hold a surrogate, an overlong form or a code point
// past U+10FFFF, though their bytes have the lead and continuation bits of UTF-8; the
// first and last sequences of each range around them are taken.
TEST(Crate, TakesExactlyUtf8) {
    const std::string Not_Description =
        "description (line 1 of 'Abstract.txt'): it is not UTF-8 text";
    const std::string Not_Authors = "authors (line 1 of 'Copyright'): it is not UTF-8 text";
    const std::vector<std::pair<std::string, bool>> Rows = {
        {"\xed\xa0\x80", false},             // U+D800, the first surrogate
        {"\xed\xbf\xbf", false},             // U+DFFF, the last
        {"\xed\x9f\xbf", true},              // U+D7FF
        {"\xee\x80\x80", true},              // U+E000
        {"\xe0\x80\x80", false},             // U+0000 in three bytes
        {"\xe0\x9f\xbf", false},             // U+07FF in three bytes
        {"\xe0\xa0\x80", true},              // U+0800
        {"\xf0\x80\x80\x80", false},         // U+0000 in four bytes
        {"\xf0\x8f\xbf\xbf", false},         // U+FFFF in four bytes
        {"\xf0\x90\x80\x80", true},          // U+10000
        {"\xf4\x8f\xbf\xbf", true},          // U+10FFFF
        {"\xf4\x90\x80\x80", false},         // U+110000
        {"\xf5\x80\x80\x80", false},         // past U+13FFFF
        {"\xc0\x80", false},                 // U+0000 in two bytes
        {"\xc1\xbf", false},                 // U+007F in two bytes
        {"\xc2\x80", true},                  // U+0080
        {"\xe0\xa0", false},                 // cut short
        {"\xed\xa0\x80\xed\xb0\x80", false}, // a surrogate pair, as CESU-8 writes it
    };
    for (const auto& [Text, Taken] : Rows) {
        EXPECT_EQ(Refusal_Of(Made_Of({.Abstract = "A" + Text})), Taken ? "" : Not_Description)
            << Text;
        EXPECT_EQ(Refusal_Of(Made_Of({.Holder = Text + "B"})), Taken ? "" : Not_Authors) << Text;
    }
}

TEST(Crate, QuotesTextsForToml) {
    const Manifest Made =
        Made_Of({.Root = "Shop", .Abstract = "Caf\xc3\xa9 \"bar\" \\ tab\tend", .Holder = "A\x7f"});
    EXPECT_EQ(Refusal_Of(Made), "");
    EXPECT_NE(Made.Text.find("name = \"shop\"\n"), std::string::npos) << Made.Text;
    EXPECT_NE(Made.Text.find("description = \"Caf\xc3\xa9 \\\"bar\\\" \\\\ tab\\u0009end\"\n"),
              std::string::npos)
        << Made.Text;
    EXPECT_NE(Made.Text.find("authors = [\"A\\u007f\"]\n"), std::string::npos) << Made.Text;
    EXPECT_NE(Made.Text.find("executables = [\"Shop\"]\nproject-files = [\"Shop.gpr\"]\n"),
              std::string::npos)
        << Made.Text;
    EXPECT_EQ(Made.Note, "no licenses: lines 295 to 309 of 'gpl.txt' are not the GPL-2 notice");
}

} // namespace
} // namespace adaskel
