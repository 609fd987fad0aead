// Tests of the line reader: the line-feed and form-feed rules, exact bytes, block edges.
#include "driver/failure.hpp"
#include "inputs/line_reader.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace adaskel {
namespace {

// Every line a loop guarded by the end-of-file test delivers.
std::vector<std::string> All_Lines(Line_Reader& Reader) {
    std::vector<std::string> Lines;
    while (!End_Of_File(Reader)) {
        Lines.push_back(Read_Line(Reader));
    }
    return Lines;
}

std::vector<std::string> All_Lines(const std::string& Text) {
    Line_Reader Reader = Text_Reader("text", Text);
    return All_Lines(Reader);
}

using Lines = std::vector<std::string>;

TEST(LineReader, DeliversLinesByTheEndOfFileRule) {
    EXPECT_EQ(All_Lines(""), Lines{});
    EXPECT_EQ(All_Lines("\n"), Lines{});
    EXPECT_EQ(All_Lines("\n\f"), Lines{});
    EXPECT_EQ(All_Lines("\n\n"), Lines{""});
    EXPECT_EQ(All_Lines("a"), Lines{"a"});
    EXPECT_EQ(All_Lines("a\n"), Lines{"a"});
    EXPECT_EQ(All_Lines("a\n\n"), Lines{"a"});
    EXPECT_EQ(All_Lines("a\n\n\n"), (Lines{"a", ""}));
    EXPECT_EQ(All_Lines("0.1\n0.2\n1.0\n"), (Lines{"0.1", "0.2", "1.0"}));
    EXPECT_EQ(All_Lines("a\n\nb"), (Lines{"a", "", "b"}));
}

TEST(LineReader, KeepsBytesExactly) {
    EXPECT_EQ(All_Lines("  a b  \r\n\tc\n"), (Lines{"  a b  \r", "\tc"}));
    EXPECT_EQ(All_Lines(std::string("x\0y\n", 4)), Lines{std::string("x\0y", 3)});
    EXPECT_EQ(All_Lines("\xe9t\xe9\n"), Lines{"\xe9t\xe9"});
}

TEST(LineReader, TreatsFormFeedAfterLineFeedAsPageBreak) {
    EXPECT_EQ(All_Lines("a\n\fb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(All_Lines("a\n\f"), Lines{"a"});
    EXPECT_EQ(All_Lines("a\n\f\f"), (Lines{"a", "\f"})); // only the first is a page break
    EXPECT_EQ(All_Lines("\fa\n"), Lines{"\fa"});         // not after a line feed: a byte
    EXPECT_EQ(All_Lines("a\fb\n"), Lines{"a\fb"});
    EXPECT_EQ(All_Lines("a\n\f\n"), (Lines{"a"}));
    EXPECT_EQ(All_Lines("a\n\f\n\n"), (Lines{"a", ""}));
}

TEST(LineReader, ReadsWithoutEndOfFileTest) {
    Line_Reader Only_Feed = Text_Reader("t", "\n");
    EXPECT_EQ(Read_Line(Only_Feed), ""); // a single line feed left reads as an empty line
    EXPECT_THROW((void)Read_Line(Only_Feed), Run_Failure);
    Line_Reader Empty = Text_Reader("t", "");
    EXPECT_THROW((void)Read_Line(Empty), Run_Failure);
    Line_Reader Feed_And_Page = Text_Reader("t", "\n\f");
    EXPECT_EQ(Read_Line(Feed_And_Page), "");
    EXPECT_TRUE(End_Of_File(Feed_And_Page));
}

TEST(LineReader, ReadsFilesAcrossBlockBoundaries) {
    // Lines and feeds that straddle the reader's 64 KiB blocks, a final line without a
    // line feed, and a page break that falls right at a block edge.
    std::string Text;
    Lines Expected;
    for (int I = 0; I < 3000; ++I) {
        Expected.push_back(std::string(static_cast<std::size_t>(I % 97), 'x') + std::to_string(I));
    }
    Expected.push_back(std::string(200000, 'L'));
    for (const auto& Line : Expected) {
        Text += Line + "\n";
    }
    std::string Padding(65536 - (Text.size() % 65536) - 1, 'p');
    Text += Padding + "\n\fend";
    Expected.push_back(Padding);
    Expected.push_back("end");

    const std::string Path = testing::TempDir() + "line_reader_blocks.txt";
    std::ofstream(Path, std::ios::binary) << Text;
    Line_Reader Reader = Open_Reader(Path);
    EXPECT_EQ(All_Lines(Reader), Expected);
    EXPECT_EQ(Reader.Lines_Read, static_cast<std::int64_t>(Expected.size()));
    std::remove(Path.c_str());
}

TEST(LineReader, ReportsFilesThatCannotBeOpened) {
    try {
        (void)Open_Reader("no such\rfile");
        FAIL() << "opened a missing file";
    } catch (const Run_Failure& Failure) {
        EXPECT_STREQ(Failure.what(), "cannot open 'no such\\rfile': no such file or directory");
    }
}

} // namespace
} // namespace adaskel
