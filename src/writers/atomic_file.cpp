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
#include <unistd.h>
#include <utility>

namespace adaskel {

namespace {

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
            throw Run_Failure(No_Publishing_Problem(File.Path));
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

} // namespace

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
