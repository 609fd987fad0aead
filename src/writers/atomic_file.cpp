// The atomic, no-clobber publish. The usual way is open(dir, O_TMPFILE) and a linkat of
// /proc/self/fd/N to the path. File systems without O_TMPFILE get a hidden temporary name
// in the same directory, created exclusively, then link() to the path and unlink(): a
// kill in between can leave the hidden file, never a partial file at the path.
#include "writers/atomic_file.hpp"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace adaskel {

namespace {

// The directory part of Path: everything before its last "/" ("." when there is none).
std::string Directory_Of(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    if (Slash == std::string::npos) {
        return ".";
    }
    return Path.substr(0, Slash == 0 ? 1 : Slash);
}

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

// A name unlikely to be taken by anything else.
std::string Hidden_Name(const std::string& Path, unsigned Attempt) {
    timespec Now{};
    ::clock_gettime(CLOCK_REALTIME, &Now);
    const auto Base = std::string_view(Path).substr(Path.rfind('/') + 1);
    return Directory_Of(Path) + "/." + std::string(Base) + ".tmp-" + std::to_string(::getpid()) +
           "-" + std::to_string(Now.tv_nsec) + "-" + std::to_string(Attempt);
}

// Creates the file under a hidden name beside its path; exclusive creation settles the
// rare collision with another name.
void Create_Hidden(Pending_File& File) {
    for (unsigned Attempt = 0; Attempt < 100; ++Attempt) {
        std::string Name = Hidden_Name(File.Path, Attempt);
        File.Fd = Owned_Fd(
            ::open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
        if (File.Fd.Value >= 0) {
            File.Temp_Path = std::move(Name);
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw Run_Failure(Create_Failed(File.Path, errno));
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
    if (::link(File.Temp_Path.c_str(), File.Path.c_str()) != 0) {
        if (errno == EEXIST) {
            Resolve_Taken(File.Path);
            return;
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (::unlink(File.Temp_Path.c_str()) != 0) {
        Raise_System_Failure("cannot remove the temporary file", File.Temp_Path, errno);
    }
    File.Temp_Path.clear();
}

} // namespace

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
        return {true, std::nullopt};
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
    if (!Temp_Path.empty()) {
        ::unlink(Temp_Path.c_str());
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

void Publish(Pending_File& File, std::string_view Content) {
    if (const int Error = Write_All(File.Fd.Value, Content); Error != 0) {
        Raise_System_Failure("cannot write", File.Path, Error);
    }
    if (File.Temp_Path.empty()) {
        Link_Unnamed(File);
    } else {
        Link_Hidden(File);
    }
}

} // namespace adaskel
