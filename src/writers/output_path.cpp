// The looks at output paths: one lstat of the path, or of its name in its directory's
// descriptor, settles what is there; a directory's fitness for creating and publishing is
// judged as the create and the link themselves would judge it.
#include "writers/output_path.hpp"

#include "base/path_parts.hpp"
#include "writers/hidden_name.hpp"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>

namespace adaskel {

namespace {

constexpr std::string_view No_Publishing =
    "the file system cannot link or rename without replacing, which publishing a file needs";
constexpr std::string_view Append_Only =
    " is append-only, so the hidden name a file is written under could not be removed";

// Looks at Name in the directory Fd, which is Path.
Output_Path Look_At(int Fd, const char* Name, const std::string& Path) {
    // One lstat settles the usual cases, a free path or a regular file; only a symbolic
    // link costs a second look, at what it points to.
    struct stat Status {};
    if (::fstatat(Fd, Name, &Status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        return {false, Create_Problem(Path, Errno_Text(errno))};
    }
    if (S_ISLNK(Status.st_mode) && ::fstatat(Fd, Name, &Status, 0) != 0) {
        return {false, Create_Problem(Path, errno == ENOENT ? "it is a dangling symbolic link"
                                                            : Errno_Text(errno))};
    }
    if (S_ISREG(Status.st_mode)) {
        return {true, std::nullopt, Status.st_size == 0, Status.st_dev};
    }
    return {false,
            Create_Problem(Path, S_ISDIR(Status.st_mode) ? "it is a directory"
                                                         : "it exists and is not a regular file")};
}

// Whether the directory at Fd is append-only; one that cannot be asked is taken as not.
bool Is_Append_Only(int Fd) {
    const Owned_Fd Readable(::openat(Fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int Flags = 0;
    return Readable.Value >= 0 && ::ioctl(Readable.Value, FS_IOC_GETFLAGS, &Flags) == 0 &&
           (static_cast<unsigned>(Flags) & FS_APPEND_FL) != 0;
}

// Why a file cannot be written under a hidden name in Directory, open at Fd, if it is
// append-only: the hidden name could never be removed.
std::optional<std::string> Append_Only_Message(int Fd, const std::string& Directory) {
    if (!Is_Append_Only(Fd)) {
        return std::nullopt;
    }
    return "directory " + Quote(Directory) + std::string(Append_Only);
}

// Whether a file made under one hidden name in Fd can be given another, by a link or by
// a rename that never replaces; both names are removed.
bool Can_Publish_Hidden(int Fd) {
    Hidden_Name First{Fd};
    Hidden_Name Second{Fd};
    if (Create_Hidden_Probe(First, Second) != 0) {
        return true; // the run meets what stops the creation, and reports it
    }
    bool Renamed = false;
    const int Error = Name_Hidden(First, Second.Name, Renamed);
    ::unlinkat(Fd, First.Name, 0);
    ::unlinkat(Fd, Second.Name, 0);
    Forget_Probe(First, Second);
    return Error != ENOLINK;
}

} // namespace

Problem Create_Problem(const std::string& Path, std::string Message) {
    return {Path, 0, std::move(Message), "cannot create " + Quote(Path) + ": "};
}

Problem Create_Failed(const std::string& Path, int Error) {
    if (Error == ENOENT) {
        return Create_Problem(Path, "directory " + Quote(Directory_Of(Path)) + " does not exist");
    }
    return Create_Problem(Path, Errno_Text(Error));
}

Problem No_Publishing_Problem(const std::string& Path) {
    return Create_Problem(Path, std::string(No_Publishing));
}

bool Unnamed_Files_Linkable() {
    static const bool Linkable = ::access("/proc/self/fd", X_OK) == 0;
    return Linkable;
}

int Open_Resolved(int Base, const char* Name, std::uint64_t Flags, std::uint64_t Resolve) {
    static bool Available = true;
    if (!Available) {
        errno = ENOSYS;
        return -1;
    }
    open_how How{Flags, 0, Resolve};
    const auto Fd = static_cast<int>(::syscall(SYS_openat2, Base, Name, &How, sizeof How));
    if (Fd < 0 && (errno == ENOSYS || errno == EPERM)) {
        Available = false;
        errno = ENOSYS;
    }
    return Fd;
}

Shared_Directory Open_Output_Directory(std::string Path) {
    auto Directory = std::make_shared<Output_Directory>();
    Directory->Path = std::move(Path);
    const char* Name = Directory->Path.c_str();
    // An open that crosses no mount point proves the directory is on the current
    // directory's file system, which then needs no look of its own for its sync. Any
    // failure (a mount crossed, a kernel without openat2) leaves it to the plain open,
    // whose error is the one reported.
    Directory->Fd =
        Owned_Fd(Open_Resolved(AT_FDCWD, Name, O_PATH | O_DIRECTORY | O_CLOEXEC, RESOLVE_NO_XDEV));
    Directory->Here = Directory->Fd.Value >= 0;
    if (!Directory->Here) {
        Directory->Fd = Owned_Fd(::open(Name, O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
    if (Directory->Fd.Value < 0) {
        Directory->Error = errno;
    }
    return Directory;
}

Output_Path Look_At_Output_Path(const std::string& Path) {
    return Look_At(AT_FDCWD, Path.c_str(), Path);
}

Output_Path Look_In(const Output_Directory& Directory, const std::string& Path) {
    if (Directory.Error != 0) { // as a look by path meets it
        if (Directory.Error == ENOENT) {
            return {};
        }
        return {false, Create_Problem(Path, Errno_Text(Directory.Error))};
    }
    return Look_At(Directory.Fd.Value, Name_Of(Path), Path);
}

bool Holds_File(const Output_Path& Look) {
    if (Look.Blocked) {
        throw Run_Failure(*Look.Blocked);
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
    // Judged with the effective ids and capabilities, as the create itself will be.
    if (::faccessat(AT_FDCWD, Directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return Create_Failed(Path, errno);
    }
    return std::nullopt;
}

std::optional<Problem> Publishing_Problem(const std::string& Directory) {
    const Owned_Fd Fd(::open(Directory.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (Fd.Value < 0) {
        return std::nullopt;
    }
    if (Unnamed_Files_Linkable()) {
        const Owned_Fd Unnamed(::openat(Fd.Value, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (Unnamed.Value >= 0) {
            return std::nullopt; // linked without a hidden name
        }
    }
    if (auto Found = Append_Only_Message(Fd.Value, Directory)) {
        return Problem{Directory, 0, std::move(*Found)};
    }
    if (!Can_Publish_Hidden(Fd.Value)) {
        return Problem{Directory, 0, std::string(No_Publishing)};
    }
    return std::nullopt;
}

std::optional<Problem> Hidden_Name_Problem(const Output_Directory& Directory,
                                           const std::string& Path) {
    if (auto Found = Append_Only_Message(Directory.Fd.Value, Directory.Path)) {
        return Create_Problem(Path, std::move(*Found));
    }
    return std::nullopt;
}

} // namespace adaskel
