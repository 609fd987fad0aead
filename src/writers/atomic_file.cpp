// The atomic, no-clobber publish. The usual way is open(dir, O_TMPFILE) and a linkat of
// /proc/self/fd/N to the path. File systems without O_TMPFILE get a hidden temporary name
// in the same directory, created exclusively, then link() to the path and unlink(): a
// kill in between can leave the hidden file, never a partial file at the path.
#include "writers/atomic_file.hpp"

#include "driver/console.hpp"
#include "driver/failure.hpp"
#include "inputs/paths.hpp"

#include <cerrno>
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

// Why creating a file in Path's directory failed with Error.
std::string Why_Create_Failed(const std::string& Path, int Error) {
    if (Error == ENOENT) {
        return "directory " + Quote(Directory_Of(Path)) + " does not exist";
    }
    return Errno_Text(Error);
}

[[noreturn]] void Raise_Create_Failure(const std::string& Path, int Error) {
    throw Run_Failure("cannot create " + Quote(Path) + ": " + Why_Create_Failed(Path, Error));
}

// A name unlikely to be taken by anything else.
std::string Hidden_Name(const std::string& Path, unsigned Attempt) {
    timespec Now{};
    ::clock_gettime(CLOCK_REALTIME, &Now);
    const auto Directory = Directory_Of(Path);
    const auto Base = std::string_view(Path).substr(Path.rfind('/') + 1);
    return std::string(Directory) + "/." + std::string(Base) + ".tmp-" +
           std::to_string(::getpid()) + "-" + std::to_string(Now.tv_nsec) + "-" +
           std::to_string(Attempt);
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
    Raise_Create_Failure(File.Path, errno);
}

// The path was taken between the test and the link: a regular file there now counts
// as one that was there all along; anything else fails in Test_Output_Path.
Publish_Result Resolve_Taken(const std::string& Path) {
    if (Test_Output_Path(Path) == Path_State::Regular_File) {
        return Publish_Result::Already_There;
    }
    throw Run_Failure("cannot create " + Quote(Path) + ": the path was taken and freed again");
}

Publish_Result Link_Unnamed(Pending_File& File) {
    const std::string Name = "/proc/self/fd/" + std::to_string(File.Fd.Value);
    if (::linkat(AT_FDCWD, Name.c_str(), AT_FDCWD, File.Path.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        if (errno == EEXIST) {
            return Resolve_Taken(File.Path);
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (::close(File.Fd.Release()) != 0) {
        // What the file system lost at close may be missing from the file: take it back.
        const int Error = errno;
        ::unlink(File.Path.c_str());
        Raise_System_Failure("cannot close", File.Path, Error);
    }
    return Publish_Result::Published;
}

Publish_Result Link_Hidden(Pending_File& File) {
    if (::close(File.Fd.Release()) != 0) {
        Raise_System_Failure("cannot close", File.Path, errno);
    }
    if (::link(File.Temp_Path.c_str(), File.Path.c_str()) != 0) {
        if (errno == EEXIST) {
            return Resolve_Taken(File.Path);
        }
        Raise_System_Failure("cannot create", File.Path, errno);
    }
    if (::unlink(File.Temp_Path.c_str()) != 0) {
        Raise_System_Failure("cannot remove the temporary file", File.Temp_Path, errno);
    }
    File.Temp_Path.clear();
    return Publish_Result::Published;
}

} // namespace

Output_Path Look_At_Output_Path(const std::string& Path) {
    // One lstat settles the usual cases, a free path or a regular file; only a symbolic
    // link costs a second look, at what it points to.
    struct stat Status {};
    if (::lstat(Path.c_str(), &Status) != 0) {
        if (errno == ENOENT) {
            return {Path_State::Free, {}};
        }
        return {Path_State::Blocked, Errno_Text(errno)};
    }
    if (S_ISLNK(Status.st_mode) && ::stat(Path.c_str(), &Status) != 0) {
        if (errno == ENOENT) {
            return {Path_State::Blocked, "it is a dangling symbolic link"};
        }
        return {Path_State::Blocked, Errno_Text(errno)};
    }
    if (S_ISREG(Status.st_mode)) {
        return {Path_State::Regular_File, {}};
    }
    return {Path_State::Blocked,
            S_ISDIR(Status.st_mode) ? "it is a directory" : "it exists and is not a regular file"};
}

Path_State Test_Output_Path(const std::string& Path) {
    Output_Path Look = Look_At_Output_Path(Path);
    if (Look.State == Path_State::Blocked) {
        throw Run_Failure("cannot create " + Quote(Path) + ": " + Look.Problem);
    }
    return Look.State;
}

std::string Creation_Problem(const std::string& Path, struct stat& Status) {
    const std::string Directory(Directory_Of(Path));
    if (::stat(Directory.c_str(), &Status) != 0) {
        return Why_Create_Failed(Path, errno);
    }
    if (!S_ISDIR(Status.st_mode)) {
        return Why_Create_Failed(Path, ENOTDIR);
    }
    if (::access(Directory.c_str(), W_OK | X_OK) != 0) {
        return Why_Create_Failed(Path, errno);
    }
    return {};
}

Pending_File::~Pending_File() {
    if (!Temp_Path.empty()) {
        ::unlink(Temp_Path.c_str());
    }
}

void Create_Pending(Pending_File& File, const std::string& Path) {
    File.Path = Path;
    if (Unnamed_Files_Linkable()) {
        const std::string Directory(Directory_Of(Path));
        File.Fd = Owned_Fd(::open(Directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
        if (File.Fd.Value >= 0) {
            return;
        }
        // These say the file system or kernel has no unnamed files; others are real.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            Raise_Create_Failure(Path, errno);
        }
    }
    Create_Hidden(File);
}

Publish_Result Publish(Pending_File& File, std::string_view Content) {
    if (const int Error = Write_All(File.Fd.Value, Content); Error != 0) {
        Raise_System_Failure("cannot write", File.Path, Error);
    }
    return File.Temp_Path.empty() ? Link_Unnamed(File) : Link_Hidden(File);
}

} // namespace adaskel
