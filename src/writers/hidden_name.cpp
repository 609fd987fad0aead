// Hidden names: ".ask" and six random letters or digits, whatever the target's name, so
// that any name that fits its directory fits there hidden too; a path at the length limit
// gets a name as long as its own. Their paths are kept where a signal handler can reach
// them, so that an interrupt, a termination or a hang-up removes the hidden files before
// the program dies of it. Only a kill can leave one behind.
#include "writers/hidden_name.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace adaskel {

namespace {

// The hidden paths of the files not yet published, for the interrupt handler: a handler
// may not allocate or lock, so they stay in fixed slots that it reads atomically.
std::array<std::atomic<const char*>, Batch_Size> Hidden_Paths{};

// Removes the hidden files, then dies of the signal as it would have: raised again under
// the default action, the signal (blocked in here) comes as soon as this returns.
extern "C" void Remove_Hidden_Files(int Signal) {
    for (const std::atomic<const char*>& Slot : Hidden_Paths) {
        if (const char* Path = Slot.load()) {
            ::unlink(Path);
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

// Moves Path into the slot holding From (nullptr: a free slot).
void Swap_Hidden(const char* From, const char* Path) {
    for (std::atomic<const char*>& Slot : Hidden_Paths) {
        const char* Held = From;
        if (Slot.compare_exchange_strong(Held, Path)) {
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

// A hidden path beside Path: ".ask" and six random letters or digits, whatever the name.
// Short, it is as long as Path itself (a dot and random characters in place of the name),
// for the rare path that fits the system's limit and the usual hidden name does not.
std::string Hidden_Path(const std::string& Path, bool Short) {
    const std::size_t Name_Start = Path.rfind('/') + 1; // 0 when there is no "/"
    const std::size_t Length = Short ? std::max<std::size_t>(Path.size() - Name_Start, 2) : 10;
    std::string Hidden = Path.substr(0, Name_Start) + (Short ? "." : ".ask");
    while (Hidden.size() < Name_Start + Length) {
        Hidden += Random_Character();
    }
    return Hidden;
}

// Creates the file exclusively at Hidden; returns 0 or the errno of the failed creation.
// The path is in a slot before the file exists, so an interrupt from then on removes it.
int Create_At(Pending_File& File, const std::string& Hidden) {
    auto Name = std::make_unique<char[]>(Hidden.size() + 1);
    std::memcpy(Name.get(), Hidden.c_str(), Hidden.size() + 1);
    Swap_Hidden(nullptr, Name.get());
    File.Fd =
        Owned_Fd(::open(Name.get(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (File.Fd.Value < 0) {
        const int Error = errno;
        Swap_Hidden(Name.get(), nullptr);
        return Error;
    }
    File.Hidden = std::move(Name);
    return 0;
}

} // namespace

int Create_Hidden(Pending_File& File) {
    static const bool Handled = Remove_Hidden_On_Interrupt();
    (void)Handled;
    bool Short = false;
    int Error = 0;
    for (unsigned Attempt = 0; Attempt < 100; ++Attempt) {
        Error = Create_At(File, Hidden_Path(File.Path, Short));
        if (Error == ENAMETOOLONG && !Short) {
            Short = true;
        } else if (Error != EEXIST) {
            break;
        }
    }
    return Error;
}

void Forget_Hidden(Pending_File& File) {
    Swap_Hidden(File.Hidden.get(), nullptr);
    File.Hidden.reset();
}

} // namespace adaskel
