// Hidden names: ".ask" and six random letters or digits, whatever the target's name, so
// that any name that fits its directory fits there hidden too. Each is made relative to
// its directory's descriptor, and kept with it where a signal handler can reach it, so that an
// interrupt, a termination or a hang-up removes the hidden files before the program dies of it.
// Only a kill can leave one behind.
#include "writers/hidden_name.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace adaskel {

namespace {

// The hidden names of the files not yet published, for the interrupt handler: a handler
// may not allocate or lock, so they stay in fixed slots that it reads atomically.
std::array<std::atomic<const Hidden_Name*>, Batch_Size + 2> Hidden_Paths{};

// Removes the hidden files, then dies of the signal as it would have: raised again under
// the default action, the signal (blocked in here) comes as soon as this returns.
extern "C" void Remove_Hidden_Files(int Signal) {
    for (const std::atomic<const Hidden_Name*>& Slot : Hidden_Paths) {
        if (const Hidden_Name* Hidden = Slot.load()) {
            ::unlinkat(Hidden->Directory, Hidden->Name, 0);
        }
    }
    (void)::signal(Signal, SIG_DFL);
    (void)::raise(Signal);
}

// Has an interrupt, a termination or a hang-up remove the hidden files first, unless the
// signal is ignored (as it is for a program started in the background).
bool Remove_Hidden_On_Interrupt() {
    struct sigaction Action {};
    Action.sa_handler = Remove_Hidden_Files;
    sigemptyset(&Action.sa_mask);
    constexpr std::array<int, 3> Signals{SIGINT, SIGTERM, SIGHUP};
    for (const int Signal : Signals) {
        sigaddset(&Action.sa_mask, Signal);
    }
    for (const int Signal : Signals) {
        struct sigaction Old {};
        if (::sigaction(Signal, nullptr, &Old) == 0 && Old.sa_handler != SIG_IGN) {
            ::sigaction(Signal, &Action, nullptr);
        }
    }
    return true;
}

// Moves Hidden into the slot holding From (nullptr: a free slot).
void Swap_Hidden(const Hidden_Name* From, const Hidden_Name* Hidden) {
    for (std::atomic<const Hidden_Name*>& Slot : Hidden_Paths) {
        const Hidden_Name* Held = From;
        if (Slot.compare_exchange_strong(Held, Hidden)) {
            return;
        }
    }
}

// A letter or a digit, from a sequence that differs from run to run.
char Random_Character() {
    static std::uint64_t State = [] {
        timespec Now{};
        ::clock_gettime(CLOCK_REALTIME, &Now);
        return static_cast<std::uint64_t>(Now.tv_nsec) ^
               (static_cast<std::uint64_t>(Now.tv_sec) << 20U) ^
               (static_cast<std::uint64_t>(::getpid()) << 40U);
    }();
    State = State * 6364136223846793005U + 1442695040888963407U;
    constexpr std::string_view Alphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    return Alphabet[(State >> 33U) % Alphabet.size()];
}

// A new hidden name: ".ask" and six random letters or digits, whatever the target's
// name, so that it fits any directory the target fits.
void New_Name(Hidden_Name& Hidden) {
    std::memcpy(Hidden.Name, ".ask", 4);
    for (std::size_t I = 4; I < 10; ++I) {
        Hidden.Name[I] = Random_Character();
    }
    Hidden.Name[10] = '\0';
}

// Creates a file exclusively under a new name for Hidden; returns its descriptor, or -1
// with errno set. Hidden is in a slot before the file exists, so an interrupt from then
// on removes it; a failure frees the slot.
int Create_At(Hidden_Name& Hidden) {
    static const bool Handled = Remove_Hidden_On_Interrupt();
    (void)Handled;
    for (unsigned Attempt = 0; Attempt < 100; ++Attempt) {
        New_Name(Hidden);
        Swap_Hidden(nullptr, &Hidden);
        const int Fd = ::openat(Hidden.Directory, Hidden.Name,
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (Fd >= 0) {
            return Fd;
        }
        const int Error = errno;
        Swap_Hidden(&Hidden, nullptr);
        if (Error != EEXIST) {
            errno = Error;
            return -1;
        }
    }
    return -1;
}

// Errors by which a file system says it makes no hard links, or no rename of this kind.
bool Refuses_Links(int Error) {
    return Error == EPERM || Error == EOPNOTSUPP || Error == ENOSYS;
}
bool Refuses_Rename(int Error) {
    return Error == EINVAL || Error == EOPNOTSUPP || Error == ENOSYS;
}

} // namespace

int Create_Hidden(Pending_File& File) {
    auto Hidden = std::make_unique<Hidden_Name>();
    Hidden->Directory = File.Directory->Fd.Value;
    File.Fd = Owned_Fd(Create_At(*Hidden));
    if (File.Fd.Value < 0) {
        return errno;
    }
    File.Hidden = std::move(Hidden);
    return 0;
}

void Forget_Hidden(Pending_File& File) {
    Swap_Hidden(File.Hidden.get(), nullptr);
    File.Hidden.reset();
}

int Create_Hidden_Probe(Hidden_Name& Hidden, Hidden_Name& Second) {
    const Owned_Fd Fd(Create_At(Hidden));
    if (Fd.Value < 0) {
        return errno;
    }
    Second.Directory = Hidden.Directory;
    New_Name(Second);
    Swap_Hidden(nullptr, &Second);
    return 0;
}

void Forget_Probe(const Hidden_Name& Hidden, const Hidden_Name& Second) {
    Swap_Hidden(&Hidden, nullptr);
    Swap_Hidden(&Second, nullptr);
}

int Name_Hidden(const Hidden_Name& Hidden, const char* Target, bool& Renamed) {
    static bool Links_Refused = false;
    if (!Links_Refused) {
        if (::linkat(Hidden.Directory, Hidden.Name, Hidden.Directory, Target, 0) == 0) {
            return 0;
        }
        if (!Refuses_Links(errno)) {
            return errno;
        }
        Links_Refused = true;
    }
    if (::renameat2(Hidden.Directory, Hidden.Name, Hidden.Directory, Target, RENAME_NOREPLACE) ==
        0) {
        Renamed = true;
        return 0;
    }
    return Refuses_Rename(errno) ? ENOLINK : errno;
}

} // namespace adaskel
