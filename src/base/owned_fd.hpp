// File descriptors: one closed when its owner goes away (or is given another), so that
// readers and pending files get their moves and clean-up without writing them out each,
// and the write that every output of the programs goes through.
#pragma once

#include <cerrno>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace adaskel {

struct Owned_Fd {
    int Value = -1;

    Owned_Fd() = default;
    explicit Owned_Fd(int Fd) : Value(Fd) {}
    Owned_Fd(Owned_Fd&& Other) noexcept : Value(std::exchange(Other.Value, -1)) {}
    Owned_Fd& operator=(Owned_Fd&& Other) noexcept {
        if (this != &Other) {
            (void)Close();
            Value = std::exchange(Other.Value, -1);
        }
        return *this;
    }
    Owned_Fd(const Owned_Fd&) = delete;
    Owned_Fd& operator=(const Owned_Fd&) = delete;
    ~Owned_Fd() { (void)Close(); }

    // Closes the descriptor now, for a close whose result matters: 0, or the errno of a
    // failed close (the descriptor is gone either way).
    [[nodiscard]] int Close() {
        return Value < 0 || ::close(std::exchange(Value, -1)) == 0 ? 0 : errno;
    }
};

// Writes all of Text to Fd, retrying short writes and interruptions; returns 0 or errno.
inline int Write_All(int Fd, std::string_view Text) {
    while (!Text.empty()) {
        const ssize_t Written = ::write(Fd, Text.data(), Text.size());
        if (Written < 0 && errno != EINTR) {
            return errno;
        }
        Text.remove_prefix(Written < 0 ? 0 : static_cast<std::size_t>(Written));
    }
    return 0;
}

} // namespace adaskel
