// Closing an owned descriptor and writing whole texts to a descriptor.
#include "driver/owned_fd.hpp"

#include <cerrno>
#include <unistd.h>

namespace adaskel {

int Owned_Fd::Close() {
    if (Value < 0) {
        return 0;
    }
    return ::close(std::exchange(Value, -1)) == 0 ? 0 : errno;
}

int Write_All(int Fd, std::string_view Text) {
    while (!Text.empty()) {
        const ssize_t Written = ::write(Fd, Text.data(), Text.size());
        if (Written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        Text.remove_prefix(static_cast<std::size_t>(Written));
    }
    return 0;
}

} // namespace adaskel
