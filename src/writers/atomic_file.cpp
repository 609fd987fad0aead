// The atomic, no-clobber publish of one file. The usual way is openat(dir, O_TMPFILE) and
// a linkat of /proc/self/fd/N into the directory. File systems without O_TMPFILE get a
// hidden name in the same directory (see hidden_name.cpp), then a link to the name and an
// unlink of the hidden one; where the file system refuses links (FAT), a rename that
// never replaces does the same in one step. A kill in between can leave the hidden file,
// never a partial file at the path.
#include "writers/atomic_file.hpp"

#include "base/path_parts.hpp"
#include "writers/hidden_name.hpp"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
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

constexpr std::string_view No_Publishing =
    "the file system cannot link or rename without replacing, which publishing a file needs";
constexpr std::string_view Append_Only =
    " is append-only, so the hidden name a file is written under could not be removed";

// The name of Path in its directory, as a C string: no copy on the way of every file.
const char* Name_Of(const std::string& Path) {
    return Path.c_str() + (Path.rfind('/') + 1); // npos + 1 is 0
}

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

// Errors by which a file system says it makes no hard links, or no rename of this kind.
bool Refuses_Links(int Error) {
    return Error == EPERM || Error == EOPNOTSUPP || Error == ENOSYS;
}
bool Refuses_Rename(int Error) {
    return Error == EINVAL || Error == EOPNOTSUPP || Error == ENOSYS;
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

// The path was taken between the test and the link: a regular file there now counts
// as one that was there all along; anything else fails in Holds_File.
bool Resolve_Taken(const Pending_File& File) {
    if (!Holds_File(Look_In(*File.Directory, File.Path))) {
        throw Run_Failure(Create_Problem(File.Path, "the path was taken and freed again"));
    }
    return false;
}

bool Link_Unnamed(Pending_File& File) {
    const std::string Name = "/proc/self/fd/" + std::to_string(File.Fd.Value);
    const char* Target = Name_Of(File.Path);
    if (::linkat(AT_FDCWD, Name.c_str(), File.Directory->Fd.Value, Target, AT_SYMLINK_FOLLOW) !=
        0) {
        if (errno == EEXIST) {
            return Resolve_Taken(File);
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (const int Error = File.Fd.Close(); Error != 0) {
        // What the file system lost at close may be missing from the file: take it back.
        ::unlinkat(File.Directory->Fd.Value, Target, 0);
        Raise_System_Failure("cannot close", File.Path, Error);
    }
    return true;
}

// Gives the hidden file its name: a link, or where the file system refuses links, a
// rename that fails on a taken name. 0, or the errno of the failure; ENOLINK when
// neither can be done.
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

bool Link_Hidden(Pending_File& File) {
    if (const int Error = File.Fd.Close(); Error != 0) {
        Raise_System_Failure("cannot close", File.Path, Error);
    }
    bool Renamed = false;
    if (const int Error = Name_Hidden(*File.Hidden, Name_Of(File.Path), Renamed); Error != 0) {
        if (Error == EEXIST) {
            return Resolve_Taken(File);
        }
        if (Error == ENOLINK) {
            throw Run_Failure(Create_Problem(File.Path, std::string(No_Publishing)));
        }
        Raise_System_Failure("cannot create", File.Path, Error);
    }
    if (!Renamed && ::unlinkat(File.Hidden->Directory, File.Hidden->Name, 0) != 0) {
        // dropped, the pending file tries again
        Raise_System_Failure("cannot remove the temporary file",
                             Directory_Of(File.Path) + "/" + File.Hidden->Name, errno);
    }
    Forget_Hidden(File);
    return true;
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

Shared_Directory Open_Output_Directory(std::string Path) {
    auto Directory = std::make_shared<Output_Directory>();
    Directory->Path = std::move(Path);
    Directory->Fd = Owned_Fd(::open(Directory->Path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
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

Pending_File::~Pending_File() {
    if (Hidden) {
        ::unlinkat(Hidden->Directory, Hidden->Name, 0);
        Forget_Hidden(*this);
    }
}

Pending_File Create_Pending(const Shared_Directory& Directory, const std::string& Path) {
    if (Directory->Error != 0) {
        throw Run_Failure(Create_Failed(Path, Directory->Error));
    }
    Pending_File File;
    File.Path = Path;
    File.Directory = Directory;
    if (Unnamed_Files_Linkable()) {
        File.Fd =
            Owned_Fd(::openat(Directory->Fd.Value, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (File.Fd.Value >= 0) {
            return File;
        }
        // These say the file system or kernel has no unnamed files; others are real.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            throw Run_Failure(Create_Failed(Path, errno));
        }
    }
    // Its hidden name could never be removed: refused before anything is written.
    if (auto Found = Hidden_Name_Problem(*Directory, Path)) {
        throw Run_Failure(std::move(*Found));
    }
    if (const int Error = Create_Hidden(File); Error != 0) {
        throw Run_Failure(Create_Failed(Path, Error));
    }
    return File;
}

void Write_Pending(Pending_File& File, std::string_view Content) {
    if (const int Error = Write_All(File.Fd.Value, Content); Error != 0) {
        Raise_System_Failure("cannot write", File.Path, Error);
    }
}

bool Link_Pending(Pending_File& File) {
    return File.Hidden ? Link_Hidden(File) : Link_Unnamed(File);
}

bool Publish_Alone(Pending_File& File, std::string_view Content) {
    Write_Pending(File, Content);
    if (::fdatasync(File.Fd.Value) != 0) {
        Raise_System_Failure("cannot sync", File.Path, errno);
    }
    return Link_Pending(File);
}

} // namespace adaskel
