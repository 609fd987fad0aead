// Fuzz target: the line reader, over text in memory and over a file that hands out its
// bytes a few at a time, against a plain model of the line and end-of-file rule.
#include "driver/failure.hpp"
#include "inputs/line_reader.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

void Require(bool Condition) {
    if (!Condition) {
        std::abort();
    }
}

// The rule, written the obvious way: a line is the bytes up to a line feed; a form feed
// right after a line feed belongs to no line; nothing, "\n" or "\n\f" left is the end.
struct Model {
    std::vector<std::string> Lines;
    std::string_view Rest; // what is left at the end
};

Model Model_Of(std::string_view Text) {
    Model Result;
    while (!(Text.empty() || Text == "\n" || Text == "\n\f")) {
        const std::size_t Feed = Text.find('\n');
        Result.Lines.emplace_back(Text.substr(0, Feed));
        Text.remove_prefix(Feed == std::string_view::npos ? Text.size() : Feed + 1);
        if (Feed != std::string_view::npos && Text.starts_with('\f')) {
            Text.remove_prefix(1);
        }
    }
    Result.Rest = Text;
    return Result;
}

void Check_Reader(adaskel::Line_Reader& Reader, std::string_view Text, const Model& Expected) {
    std::size_t Count = 0;
    std::size_t Line_Bytes = 0;
    // Every line but a last one without a line feed consumed a separator too.
    const std::size_t Unterminated = Text.ends_with('\n') ? 0 : 1;
    while (!adaskel::End_Of_File(Reader)) {
        const std::string Line = adaskel::Read_Line(Reader);
        Require(Line.find('\n') == std::string::npos);
        Require(Count < Expected.Lines.size() && Line == Expected.Lines[Count]);
        ++Count;
        Line_Bytes += Line.size();
        Require(Line_Bytes + Count <= Text.size() + Unterminated);
    }
    Require(Count == Expected.Lines.size());
    Require(Reader.Lines_Read == static_cast<std::int64_t>(Count));
    // Past the end, a read gives the empty line before a last line feed, or fails.
    try {
        const std::string Line = adaskel::Read_Line(Reader);
        Require(Line.empty() && !Expected.Rest.empty());
    } catch (const adaskel::Run_Failure&) {
        Require(Expected.Rest.empty());
    }
}

} // namespace

// The first byte sets how many bytes the file hands out per read; the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0 || Size > 64 * 1024) {
        return 0;
    }
    const std::string_view Text(reinterpret_cast<const char*>(Data) + 1, Size - 1);
    const Model Expected = Model_Of(Text);

    adaskel::Line_Reader In_Memory = adaskel::Text_Reader("fuzz", Text);
    Check_Reader(In_Memory, Text, Expected);

    // Each packet of a sequenced-packet socket comes out of exactly one read; a bounded
    // number of them stays within the socket's buffer, so writing all first cannot block.
    int Ends[2];
    Require(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, Ends) == 0);
    const std::size_t Chunk = std::max<std::size_t>(1 + Data[0] % 16U, Text.size() / 64 + 1);
    for (std::size_t At = 0; At < Text.size(); At += Chunk) {
        const std::size_t Length = std::min(Chunk, Text.size() - At);
        Require(::write(Ends[1], Text.data() + At, Length) == static_cast<ssize_t>(Length));
    }
    ::close(Ends[1]);
    adaskel::Line_Reader From_File;
    From_File.Name = "fuzz";
    From_File.Fd = Ends[0];
    Check_Reader(From_File, Text, Expected);
    return 0;
}
