// Reading text files line by line, with the end-of-file rule the reference texts and
// the project file share: a line is the bytes up to the next line feed (kept exactly,
// carriage returns included); a form feed right after a line feed is a page break and
// belongs to no line; the file is at its end when nothing is left, or only a line feed,
// or a line feed and a form feed. So a final empty line is never delivered.
#pragma once

#include "base/line_store.hpp"
#include "base/owned_fd.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace adaskel {

// The blocks a file is read in: the whole file, and a byte to spare, when its size is
// between these bounds. A reference text then takes one read and the one that finds its
// end; a project file of a million lines, a few reads of a megabyte.
inline constexpr std::size_t Smallest_Block = 4096;
inline constexpr std::size_t Largest_Block = std::size_t{1024} * 1024;

struct Line_Reader {
    std::string Name; // as opened, for failure reports
    Owned_Fd Fd;      // none once closed, or for a reader over an in-memory text
    std::size_t Block = Smallest_Block;
    std::string Buffer; // bytes read and not yet consumed start at Position
    std::size_t Position = 0;
    bool Source_Done = false;    // the file has no more bytes beyond Buffer
    std::int32_t Lines_Read = 0; // lines delivered, to place a failure after them
    std::size_t Size = 0;        // the file's bytes when it was opened (or the text's)
};

// Opens an existing regular file for reading, never waiting; fails naming the file and
// the cause, which for anything but a regular file is that it is not one.
Line_Reader Open_Reader(std::string_view Name);

// A reader over a text held in memory, named Name in failure reports.
Line_Reader Text_Reader(std::string_view Name, std::string_view Text);

// True when nothing is left, or only "\n", or only "\n\f".
bool End_Of_File(Line_Reader& Reader);

// The longest line read, far above any name or text GNAT takes (it refuses lines over
// 32765 characters): a file with no line feed, however large, costs no more memory.
inline constexpr std::size_t Longest_Line = std::size_t{16} << 20U;

// The next line without its line feed. Fails when nothing at all is left, or when the
// line is longer than Longest_Line bytes.
std::string Read_Line(Line_Reader& Reader);

// Stores the lines left in Reader into Set from index Count + 1 on, counting in Count,
// while Set has room: its bound is tested before each line is read. Returns false when a
// line is left that Set has no room for; the caller reports that its own way.
bool Read_Into(Line_Reader& Reader, String_Set& Set, std::int32_t& Count);

} // namespace adaskel
