// The buffered line reader. Bytes are read in large blocks; End_Of_File looks at most
// three bytes ahead, so a file is never read further than the lines asked for need.
#include "inputs/line_reader.hpp"

#include "base/failure.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

// A line longer than Longest_Line is refused (see line_reader.hpp); the buffer never
// holds more than it and one block (see Line_Reader::Block).
[[noreturn]] void Raise_Too_Long(const Line_Reader& Reader) {
    const std::int32_t Line = Reader.Lines_Read + 1;
    throw Run_Failure(Problem{Reader.Name, Line,
                              "cannot read " + Quote(Reader.Name) + ": line " +
                                  std::to_string(Line) + " is longer than " +
                                  std::to_string(Longest_Line) + " bytes"});
}

std::size_t Available(const Line_Reader& Reader) {
    return Reader.Buffer.size() - Reader.Position;
}

// Reads one more block from the file; returns false when the file has no more bytes.
bool Fill(Line_Reader& Reader) {
    if (Reader.Source_Done) {
        return false;
    }
    Reader.Buffer.erase(0, Reader.Position);
    Reader.Position = 0;
    const std::size_t Old_Size = Reader.Buffer.size();
    Reader.Buffer.resize(Old_Size + Reader.Block);
    ssize_t Count = 0;
    do {
        Count = ::read(Reader.Fd.Value, Reader.Buffer.data() + Old_Size, Reader.Block);
    } while (Count < 0 && errno == EINTR);
    const int Error = errno;
    Reader.Buffer.resize(Old_Size + (Count > 0 ? static_cast<std::size_t>(Count) : 0));
    if (Count < 0) {
        // Placed after the lines read, where a file read line by line has any.
        Raise_System_Failure("cannot read", Reader.Name, Error,
                             Reader.Lines_Read > 0 ? Reader.Lines_Read + 1 : 0);
    }
    if (Count == 0) {
        Reader.Source_Done = true;
    }
    return Count > 0;
}

// Makes at least Wanted bytes available, unless the file ends before.
void Look_Ahead(Line_Reader& Reader, std::size_t Wanted) {
    while (Available(Reader) < Wanted && Fill(Reader)) {
    }
}

// The Length bytes at Position as a line, then past its Ending line feed (0 or 1) and a
// page break right after it.
std::string Take_Line(Line_Reader& Reader, std::size_t Length, std::size_t Ending) {
    std::string Line = Reader.Buffer.substr(Reader.Position, Length);
    Reader.Position += Length + Ending;
    ++Reader.Lines_Read;
    if (Ending != 0) {
        Look_Ahead(Reader, 1);
        if (Available(Reader) > 0 && Reader.Buffer[Reader.Position] == '\f') {
            ++Reader.Position;
        }
    }
    return Line;
}

} // namespace

Line_Reader Open_Reader(std::string_view Name) {
    Line_Reader Reader;
    Reader.Name = Name;
    // Without O_NONBLOCK the open of a FIFO waits for a writer; the test of what was
    // opened, not of the name, also holds for a file swapped since it was looked at.
    Reader.Fd = Owned_Fd(::open(Reader.Name.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (Reader.Fd.Value < 0) {
        Raise_System_Failure("cannot open", Name, errno);
    }
    struct stat Status {};
    if (::fstat(Reader.Fd.Value, &Status) != 0) {
        Raise_System_Failure("cannot read", Name, errno);
    }
    // A FIFO or a device could block a read or never end (/dev/zero).
    if (!S_ISREG(Status.st_mode)) {
        throw Run_Failure(
            Problem{Reader.Name, 0, "cannot read " + Quote(Name) + ": it is not a regular file"});
    }
    // Sized from the file, so that a small one costs a page of fresh memory, which is much
    // of a run's start-up; a file that grows meanwhile only takes more reads.
    Reader.Size = static_cast<std::size_t>(std::max<off_t>(Status.st_size, 0));
    Reader.Block = std::clamp(Reader.Size + 1, Smallest_Block, Largest_Block);
    return Reader;
}

Line_Reader Text_Reader(std::string_view Name, std::string_view Text) {
    Line_Reader Reader;
    Reader.Name = Name;
    Reader.Buffer = Text;
    Reader.Size = Text.size();
    Reader.Source_Done = true;
    return Reader;
}

bool End_Of_File(Line_Reader& Reader) {
    Look_Ahead(Reader, 3);
    const std::string_view Rest = std::string_view(Reader.Buffer).substr(Reader.Position);
    return Rest.empty() || Rest == "\n" || Rest == "\n\f";
}

std::string Read_Line(Line_Reader& Reader) {
    std::size_t Scanned = 0; // bytes after Position known to hold no line feed
    while (true) {
        const char* Start = Reader.Buffer.data() + Reader.Position;
        const auto* Feed = static_cast<const char*>(
            std::memchr(Start + Scanned, '\n', Available(Reader) - Scanned));
        if (Feed != nullptr) {
            // The block that brings the line feed may bring it past the bound.
            const auto Length = static_cast<std::size_t>(Feed - Start);
            if (Length > Longest_Line) {
                Raise_Too_Long(Reader);
            }
            return Take_Line(Reader, Length, 1);
        }
        Scanned = Available(Reader);
        if (Scanned > Longest_Line) {
            Raise_Too_Long(Reader);
        }
        if (!Fill(Reader)) {
            break;
        }
    }
    if (Available(Reader) > Longest_Line) {
        Raise_Too_Long(Reader);
    }
    if (Available(Reader) == 0) {
        throw Run_Failure(
            Problem{Reader.Name, 0,
                    "cannot read a line from " + Quote(Reader.Name) + ": end of file reached"});
    }
    return Take_Line(Reader, Available(Reader), 0);
}

bool Read_Into(Line_Reader& Reader, String_Set& Set, std::int32_t& Count) {
    // Room for the lines a file of this size holds if they are four bytes long, up to a
    // million: a store that grows by copying touches its memory twice over, and room
    // never written to costs no memory.
    constexpr std::size_t Most_Reserved = std::size_t{1} << 20U;
    Reserve(Set, Count + static_cast<std::int32_t>(std::min(Reader.Size / 4 + 1, Most_Reserved)));
    while (!End_Of_File(Reader)) {
        if (Count >= Set.Capacity) {
            return false;
        }
        Store(Set, Count + 1, Read_Line(Reader));
        ++Count;
    }
    return true;
}

} // namespace adaskel
