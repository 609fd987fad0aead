// Pieces of a text compared with a file, or written to one, through a buffer of one block.
#include "base/text_pieces.hpp"

#include "base/owned_fd.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr std::size_t Block = std::size_t{64} * 1024;

// The file's bytes, a block at a time, matched against the pieces as they come.
struct File_Match {
    int Fd = -1;
    std::array<char, Block> Buffer{};
    std::size_t Held = 0; // bytes of Buffer read and not yet matched, from Next
    std::size_t Next = 0;
    bool Same = true;
    bool Ended = false; // the file has no more bytes

    // Refills the buffer once it is all matched; false when the file holds no more.
    bool Fill() {
        while (Held == 0 && !Ended) {
            const ssize_t Got = ::read(Fd, Buffer.data(), Buffer.size());
            if (Got < 0 && errno == EINTR) {
                continue;
            }
            Ended = Got <= 0;
            Same = Same && Got >= 0;
            Held = Got > 0 ? static_cast<std::size_t>(Got) : 0;
            Next = 0;
        }
        return Held > 0;
    }

    void Match(std::string_view Piece) {
        while (Same && !Piece.empty()) {
            if (!Fill()) {
                Same = false; // the file ends before the text
                return;
            }
            const std::size_t Length = std::min(Held, Piece.size());
            Same = std::memcmp(Buffer.data() + Next, Piece.data(), Length) == 0;
            Next += Length;
            Held -= Length;
            Piece.remove_prefix(Length);
        }
    }
};

} // namespace

bool Holds_Text(int Fd, const Text_Source& Source) {
    auto Match = std::make_unique<File_Match>();
    Match->Fd = Fd;
    Source([&](std::string_view Piece) { Match->Match(Piece); });
    return Match->Same && !Match->Fill(); // and the file ends where the text does
}

std::string Read_Whole(const std::string& Path) {
    const Owned_Fd File(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    std::string Text;
    std::array<char, Block> Buffer{};
    for (ssize_t Got = 0;
         File.Value >= 0 && (Got = ::read(File.Value, Buffer.data(), Buffer.size())) != 0;) {
        if (Got < 0 && errno != EINTR) {
            return "";
        }
        Text.append(Buffer.data(), Got < 0 ? 0 : static_cast<std::size_t>(Got));
    }
    return Text;
}

int Write_Text(int Fd, const Text_Source& Source) {
    // Most texts are a few KiB: the buffer grows to a block only for a text that needs it.
    std::string Buffer;
    Buffer.reserve(Block / 16);
    int Error = 0;
    Source([&](std::string_view Piece) {
        if (Error != 0) {
            return; // the text is lost anyway: form the rest without holding it
        }
        if (Buffer.size() + Piece.size() > Block) {
            Error = Write_All(Fd, Buffer);
            Buffer.clear();
        }
        Buffer.append(Piece);
    });
    return Error != 0 ? Error : Write_All(Fd, Buffer);
}

} // namespace adaskel
