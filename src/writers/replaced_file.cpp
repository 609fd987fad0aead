// Replacing a file: the hidden file is synced before the rename and the directory after
// it, so neither the data nor the new name can be lost once the call returns. Only a
// regular file is ever replaced, and only where the hidden file can be removed again.
#include "writers/replaced_file.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "base/path_parts.hpp"
#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"
#include "writers/hidden_name.hpp"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

// Whether a regular file at Path holds exactly the text of Source.
bool Holds_Source(const Output_Directory& Directory, const std::string& Path,
                  const Text_Source& Source) {
    const std::string Name(Base_Name(Path));
    const Owned_Fd File(
        ::openat(Directory.Fd.Value, Name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat Status {};
    return File.Value >= 0 && ::fstat(File.Value, &Status) == 0 && S_ISREG(Status.st_mode) &&
           Holds_Text(File.Value, Source);
}

// What is at Path, in Directory, that is not a regular file, if anything: it is never
// replaced, nor a link followed to one.
std::optional<Problem> Not_Regular(const Output_Directory& Directory, const std::string& Path) {
    Output_Path Look = Look_In(Directory, Path);
    if (Look.Blocked) {
        return std::move(Look.Blocked);
    }
    struct stat Status {};
    const std::string Name(Base_Name(Path));
    if (Look.Holds_File &&
        ::fstatat(Directory.Fd.Value, Name.c_str(), &Status, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(Status.st_mode)) {
        return Problem{Path, 0, "it is a symbolic link, which is not replaced",
                       "cannot create " + Quote(Path) + ": "};
    }
    return std::nullopt;
}

} // namespace

std::optional<Problem> Replacing_Problem(const Shared_Directory& Directory, const std::string& Path,
                                         const Text_Source& Source) {
    if (Directory->Error == ENOENT) {
        return std::nullopt;
    }
    if (auto Found = Not_Regular(*Directory, Path)) {
        return Found;
    }
    if (Directory->Fd.Value < 0 || Holds_Source(*Directory, Path, Source)) {
        return std::nullopt; // a directory that cannot be opened fails as the replace meets it
    }
    struct stat Status {};
    if (auto Found = Creation_Problem(Path, Status)) {
        return Found;
    }
    return Hidden_Name_Problem(*Directory, Path);
}

bool Replace_File(const Shared_Directory& Directory, const std::string& Path,
                  const Text_Source& Source) {
    if (Directory->Fd.Value < 0) {
        Raise_System_Failure("cannot create", Path, Directory->Error);
    }
    if (auto Found = Not_Regular(*Directory, Path)) {
        throw Run_Failure(std::move(*Found));
    }
    if (Holds_Source(*Directory, Path, Source)) {
        return false;
    }
    if (auto Found = Hidden_Name_Problem(*Directory, Path)) {
        throw Run_Failure(std::move(*Found));
    }
    Pending_File File;
    File.Path = Path;
    File.Directory = Directory;
    if (const int Error = Create_Hidden(File); Error != 0) {
        Raise_System_Failure("cannot create", Path, Error);
    }
    if (const int Error = Write_Text(File.Fd.Value, Source); Error != 0) {
        Raise_System_Failure("cannot write", Path, Error);
    }
    if (::fsync(File.Fd.Value) != 0) {
        Raise_System_Failure("cannot write", Path, errno);
    }
    const std::string Name(Base_Name(Path));
    if (::renameat(Directory->Fd.Value, File.Hidden->Name, Directory->Fd.Value, Name.c_str()) !=
        0) {
        Raise_System_Failure("cannot replace", Path, errno);
    }
    Forget_Hidden(File);
    // The directory was opened with O_PATH, which cannot be synced: open it again, through
    // its descriptor, so that it is the same directory.
    const Owned_Fd Synced(::openat(Directory->Fd.Value, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (Synced.Value < 0 || ::fsync(Synced.Value) != 0) {
        Raise_System_Failure("cannot sync the directory of", Path, errno);
    }
    return true;
}

} // namespace adaskel
