// The atomic, no-clobber publish of one file. The usual way is open(dir, O_TMPFILE) and a
// linkat of /proc/self/fd/N to the path. File systems without O_TMPFILE get a short hidden
// name in the same directory, created exclusively, then link() to the path and unlink():
// a kill in between can leave the hidden file, never a partial file at the path, and an
// interrupt removes it before the program dies.
#include "writers/atomic_file.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace adaskel {

namespace {

// linkat of an unnamed file by its /proc name works for every user; without /proc
// mounted the hidden-name way is the only one.
bool Unnamed_Files_Linkable() {
    static const bool Linkable = ::access("/proc/self/fd", X_OK) == 0;
    return Linkable;
}

// A problem creating the file at Path, with Message saying why.
Problem Create_Problem(const std::string& Path, std::string Message) {
    return {Path, 0, std::move(Message), "cannot create " + Quote(Path) + ": "};
}

// Creating a file in Path's directory failed with Error.
Problem Create_Failed(const std::string& Path, int Error) {
    if (Error == ENOENT) {
        return Create_Problem(Path, "directory " + Quote(Directory_Of(Path)) + " does not exist");
    }
    return Create_Problem(Path, Errno_Text(Error));
}

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
    ::signal(Signal, SIG_DFL);
    ::raise(Signal);
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
    File.Fd = Owned_Fd(::open(Name.get(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (File.Fd.Value < 0) {
        const int Error = errno;
        Swap_Hidden(Name.get(), nullptr);
        return Error;
    }
    File.Hidden = std::move(Name);
    return 0;
}

// Creates the file under a hidden name beside its path: a taken name is tried again with
// new random characters, and a path too long with a short name.
void Create_Hidden(Pending_File& File) {
    static const bool Handled = Remove_Hidden_On_Interrupt();
    (void)Handled;
    bool Short = false;
    int Error = 0;
    for (unsigned Attempt = 0; Attempt < 100; ++Attempt) {
        Error = Create_At(File, Hidden_Path(File.Path, Short));
        if (Error == 0) {
            return;
        }
        if (Error == ENAMETOOLONG && !Short) {
            Short = true;
        } else if (Error != EEXIST) {
            break;
        }
    }
    throw Run_Failure(Create_Failed(File.Path, Error));
}

// Frees the hidden name's slot once the file is no longer there.
void Forget_Hidden(Pending_File& File) {
    Swap_Hidden(File.Hidden.get(), nullptr);
    File.Hidden.reset();
}

// The path was taken between the test and the link: a regular file there now counts
// as one that was there all along; anything else fails in Holds_File.
void Resolve_Taken(const std::string& Path) {
    if (!Holds_File(Path)) {
        throw Run_Failure(Create_Problem(Path, "the path was taken and freed again"));
    }
}

void Link_Unnamed(Pending_File& File) {
    const std::string Name = "/proc/self/fd/" + std::to_string(File.Fd.Value);
    if (::linkat(AT_FDCWD, Name.c_str(), AT_FDCWD, File.Path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) {
            Resolve_Taken(File.Path);
            return;
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (const int Error = File.Fd.Close(); Error != 0) {
        // What the file system lost at close may be missing from the file: take it back.
        ::unlink(File.Path.c_str());
        Raise_System_Failure("cannot close", File.Path, Error);
    }
}

void Link_Hidden(Pending_File& File) {
    if (const int Error = File.Fd.Close(); Error != 0) {
        Raise_System_Failure("cannot close", File.Path, Error);
    }
    if (::link(File.Hidden.get(), File.Path.c_str()) != 0) {
        if (errno == EEXIST) {
            Resolve_Taken(File.Path);
            return;
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (::unlink(File.Hidden.get()) != 0) { // the file is dropped, and tried again
        Raise_System_Failure("cannot remove the temporary file", File.Hidden.get(), errno);
    }
    Forget_Hidden(File);
}

} // namespace

std::string Directory_Of(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    if (Slash == std::string::npos) {
        return ".";
    }
    return Path.substr(0, Slash == 0 ? 1 : Slash);
}

Output_Path Look_At_Output_Path(const std::string& Path) {
    // One lstat settles the usual cases, a free path or a regular file; only a symbolic
    // link costs a second look, at what it points to.
    struct stat Status {};
    if (::lstat(Path.c_str(), &Status) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        return {false, Create_Problem(Path, Errno_Text(errno))};
    }
    if (S_ISLNK(Status.st_mode) && ::stat(Path.c_str(), &Status) != 0) {
        return {false, Create_Problem(Path, errno == ENOENT ? "it is a dangling symbolic link"
                                                            : Errno_Text(errno))};
    }
    if (S_ISREG(Status.st_mode)) {
        return {true, std::nullopt, Status.st_size == 0};
    }
    return {false,
            Create_Problem(Path, S_ISDIR(Status.st_mode) ? "it is a directory"
                                                         : "it exists and is not a regular file")};
}

bool Holds_File(const std::string& Path) {
    Output_Path Look = Look_At_Output_Path(Path);
    if (Look.Blocked) {
        throw Run_Failure(std::move(*Look.Blocked));
    }
    return Look.Holds_File;
}

std::optional<Problem> Creation_Problem(const std::string& Path, struct stat& Status) {
    const std::string Directory = Directory_Of(Path);
    if (::stat(Directory.c_str(), &Status) != 0) {
        return Create_Failed(Path, errno);
    }
    if (!S_ISDIR(Status.st_mode)) {
        return Create_Failed(Path, ENOTDIR);
    }
    if (::access(Directory.c_str(), W_OK | X_OK) != 0) {
        return Create_Failed(Path, errno);
    }
    return std::nullopt;
}

Pending_File::~Pending_File() {
    if (Hidden) {
        ::unlink(Hidden.get());
        Forget_Hidden(*this);
    }
}

Pending_File Create_Pending(const std::string& Path) {
    Pending_File File;
    File.Path = Path;
    if (Unnamed_Files_Linkable()) {
        File.Fd =
            Owned_Fd(::open(Directory_Of(Path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (File.Fd.Value >= 0) {
            return File;
        }
        // These say the file system or kernel has no unnamed files; others are real.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            throw Run_Failure(Create_Failed(Path, errno));
        }
    }
    Create_Hidden(File);
    return File;
}

void Write_Pending(Pending_File& File, std::string_view Content) {
    if (const int Error = Write_All(File.Fd.Value, Content); Error != 0) {
        Raise_System_Failure("cannot write", File.Path, Error);
    }
}

void Link_Pending(Pending_File& File) {
    if (File.Hidden) {
        Link_Hidden(File);
    } else {
        Link_Unnamed(File);
    }
}

} // namespace adaskel
