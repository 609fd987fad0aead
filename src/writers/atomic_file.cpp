// The atomic, no-clobber publish of one file. The usual way is open(dir, O_TMPFILE) and a
// linkat of /proc/self/fd/N to the path. File systems without O_TMPFILE get a hidden name
// in the same directory (see hidden_name.cpp), then link() to the path and unlink(): a
// kill in between can leave the hidden file, never a partial file at the path.
#include "writers/atomic_file.hpp"

#include "base/path_parts.hpp"
#include "writers/hidden_name.hpp"

#include <cerrno>
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
    if (::unlink(File.Hidden.get()) != 0) { // dropped, the pending file tries again
        Raise_System_Failure("cannot remove the temporary file", File.Hidden.get(), errno);
    }
    Forget_Hidden(File);
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
    // Judged with the effective ids and capabilities, as the create itself will be.
    if (::faccessat(AT_FDCWD, Directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
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

void Link_Pending(Pending_File& File) {
    if (File.Hidden) {
        Link_Hidden(File);
    } else {
        Link_Unnamed(File);
    }
}

} // namespace adaskel
