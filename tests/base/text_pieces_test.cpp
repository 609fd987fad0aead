// Tests of texts handed over in pieces: compared with a file and written to one a block
// at a time, where a piece can straddle the end of a block.
#include "base/owned_fd.hpp"
#include "base/text_pieces.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace adaskel {
namespace {

// A text of Count pieces, each Size bytes, different from one another.
Text_Source Pieces(std::size_t Count, std::size_t Size) {
    return [=](const Piece_Sink& Put) {
        for (std::size_t K = 0; K < Count; ++K) {
            Put(std::string(Size, static_cast<char>('a' + K % 26)));
        }
    };
}

// A file holding Text, opened for reading at its start.
Owned_Fd File_Holding(const std::string& Text) {
    FILE* File = std::tmpfile();
    Owned_Fd Fd(::dup(::fileno(File)));
    std::fclose(File);
    EXPECT_EQ(Write_All(Fd.Value, Text), 0);
    ::lseek(Fd.Value, 0, SEEK_SET);
    return Fd;
}

TEST(HoldsText, TellsEveryDifference) {
    // Pieces of 7 bytes cross the 64 KiB blocks the file is read in.
    const Text_Source Source = Pieces(30000, 7);
    std::string Text;
    Source([&](std::string_view Piece) { Text.append(Piece); });
    std::string Changed_Late = Text;
    Changed_Late[65536 + 3] ^= 1;
    const struct {
        std::string File;
        bool Same;
    } Rows[] = {
        {Text, true},
        {Text + "x", false},                      // the file is longer
        {Text.substr(0, Text.size() - 1), false}, // shorter
        {Changed_Late, false},                    // one byte in the second block
        {"", false},
    };
    for (const auto& Row : Rows) {
        const Owned_Fd Fd = File_Holding(Row.File);
        EXPECT_EQ(Holds_Text(Fd.Value, Source), Row.Same) << Row.File.size() << " bytes";
    }
    const Owned_Fd Empty = File_Holding("");
    EXPECT_TRUE(Holds_Text(Empty.Value, Pieces(0, 0)));
}

TEST(WriteText, WritesThePiecesInOrder) {
    for (const std::size_t Count : {0UL, 1UL, 9363UL, 30000UL}) { // 9363 x 7 is just under a block
        const Owned_Fd Fd = File_Holding("");
        ASSERT_EQ(Write_Text(Fd.Value, Pieces(Count, 7)), 0);
        ::lseek(Fd.Value, 0, SEEK_SET);
        EXPECT_TRUE(Holds_Text(Fd.Value, Pieces(Count, 7))) << Count << " pieces";
    }
}

} // namespace
} // namespace adaskel
