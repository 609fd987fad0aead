// Fuzz target: the line reader against a plain model of the rule: a line is the bytes up
// to a line feed, a form feed right after a line feed belongs to no line, and nothing,
// "\n" or "\n\f" left is the end of the file.
#include "base/failure.hpp"
#include "inputs/line_reader.hpp"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    std::string_view Rest(reinterpret_cast<const char*>(Data), Size);
    adaskel::Line_Reader Reader = adaskel::Text_Reader("fuzz", Rest);
    while (!(Rest.empty() || Rest == "\n" || Rest == "\n\f")) {
        const std::size_t Feed = Rest.find('\n');
        if (adaskel::End_Of_File(Reader) || adaskel::Read_Line(Reader) != Rest.substr(0, Feed)) {
            std::abort();
        }
        Rest.remove_prefix(Feed == std::string_view::npos ? Rest.size() : Feed + 1);
        if (Feed != std::string_view::npos && Rest.starts_with('\f')) {
            Rest.remove_prefix(1);
        }
    }
    if (!adaskel::End_Of_File(Reader)) {
        std::abort();
    }
    try { // past the end, a last line feed reads as an empty line; nothing left fails
        if (!adaskel::Read_Line(Reader).empty() || Rest.empty()) {
            std::abort();
        }
    } catch (const adaskel::Run_Failure&) {
        if (!Rest.empty()) {
            std::abort();
        }
    }
    return 0;
}
