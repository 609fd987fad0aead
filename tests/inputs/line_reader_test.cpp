// Tests of the line reader: the line-feed and form-feed rules, exact bytes, block edges.
#include "../scratch.hpp"
#include "base/failure.hpp"
#include "inputs/line_reader.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

using Lines = std::vector<std::string>;

Lines All_Lines(Line_Reader&& Reader) {
    Lines Result;
    while (!End_Of_File(Reader)) {
        Result.push_back(Read_Line(Reader));
    }
    return Result;
}

TEST(LineReader, DeliversLinesByTheEndOfFileRule) {
    // clang-format off
    const std::vector<std::pair<std::string, Lines>> Cases = {
        {"", {}}, {"\n", {}}, {"\n\f", {}}, {"\n\n", {""}}, {"a", {"a"}}, {"a\n\n", {"a"}},
        {"a\n\n\n", {"a", ""}}, {"a\n\nb", {"a", "", "b"}}, {" a \r\n\tb\n", {" a \r", "\tb"}},
        {"a\n\fb\n", {"a", "b"}}, {"a\n\f", {"a"}}, {"a\n\f\f", {"a", "\f"}}, {"\fa", {"\fa"}},
        {"a\n\f\n\n", {"a", ""}}, {std::string("x\0\xe9\n", 4), {std::string("x\0\xe9", 3)}},
    };
    // clang-format on
    for (const auto& [Text, Expected] : Cases) {
        EXPECT_EQ(All_Lines(Text_Reader("t", Text)), Expected) << Text;
    }
    // Past the end-of-file test, a last line feed still reads as an empty line; then nothing.
    Line_Reader Reader = Text_Reader("t", "\n\f");
    EXPECT_EQ(Read_Line(Reader), "");
    EXPECT_THROW((void)Read_Line(Reader), Run_Failure);
}

TEST(LineReader, ReadsFilesAcrossBlockBoundaries) {
    // A line longer than a block, and a page break whose line feed ends the third block,
    // so that the form feed comes with the next read.
    const std::string Long(Largest_Block + 10000, 'L');
    const std::string Padding(3 * Largest_Block - 1 - Long.size() - 2, 'p');
    const Scratch_Dir Here;
    const std::string Path = Here.Put("blocks.txt", Long + "\n\n" + Padding + "\n\fend");
    EXPECT_EQ(All_Lines(Open_Reader(Path)), (Lines{Long, "", Padding, "end"}));
}

// A sparse file of 17 MiB with no line feed: refused once the bound is passed, with the
// buffer never much larger than the bound. A line of 16 MiB and one byte ending in a line
// feed was once read, the block bringing its line feed taken whole.
TEST(LineReader, RefusesLinesBeyondTheBound) {
    const Scratch_Dir Here;
    const std::string Path = Here.Put("huge.txt", "first\n");
    std::filesystem::resize_file(Path, 17U << 20U);
    Line_Reader Reader = Open_Reader(Path);
    EXPECT_EQ(Read_Line(Reader), "first");
    try {
        (void)Read_Line(Reader);
        ADD_FAILURE() << "a line of 17 MiB was read";
    } catch (const Run_Failure& Failure) {
        EXPECT_EQ(std::string(Failure.what()),
                  "cannot read '" + Path + "': line 2 is longer than 16777216 bytes");
        EXPECT_EQ(Failure.Found.Line, 2);
    }
    EXPECT_LE(Reader.Buffer.capacity(), Longest_Line * 2 + 4096);
    // At the bound exactly, with and without its line feed; one byte past it, refused
    // whether the block that ends it brings a line feed or the end of the file.
    const std::string At_Bound(Longest_Line, 'a');
    for (const std::string& Text : {At_Bound + "\nb", "b\n" + At_Bound}) {
        std::ofstream(Path, std::ios::trunc) << Text;
        EXPECT_EQ(All_Lines(Open_Reader(Path)).size(), 2U);
    }
    for (const std::string& Text : {At_Bound + "a\nb", "b\n" + At_Bound + "a"}) {
        std::ofstream(Path, std::ios::trunc) << Text;
        EXPECT_THROW((void)All_Lines(Open_Reader(Path)), Run_Failure);
    }
}

} // namespace
} // namespace adaskel
