// A file descriptor closed when its owner goes away, so that readers and pending files
// get their moves and clean-up without writing them out each.
#pragma once

#include <unistd.h>
#include <utility>

namespace adaskel {

struct Owned_Fd {
    int Value = -1;

    Owned_Fd() = default;
    explicit Owned_Fd(int Fd) : Value(Fd) {}
    Owned_Fd(Owned_Fd&& Other) noexcept : Value(std::exchange(Other.Value, -1)) {}
    Owned_Fd& operator=(Owned_Fd&& Other) noexcept {
        std::swap(Value, Other.Value);
        return *this;
    }
    Owned_Fd(const Owned_Fd&) = delete;
    Owned_Fd& operator=(const Owned_Fd&) = delete;
    ~Owned_Fd() {
        if (Value >= 0) {
            ::close(Value);
        }
    }

    // Hands the descriptor over, for a close whose result matters.
    int Release() { return std::exchange(Value, -1); }
};

} // namespace adaskel
