// Replacing a file: the hidden file is synced before the rename, so the path never names
// a file whose data can be lost; the directory (or its file system) is synced after it.
// Only a regular file is ever replaced, and only where the hidden file can be removed again.
#include "writers/replaced_file.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "base/path_parts.hpp"
#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/hidden_name.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/openat2.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// The text of Source in a new hidden file in Directory; an interrupt removes it, and so
// does the end of the pending file unless it was renamed.
Pending_File Write_Hidden(const Shared_Directory& Directory, const std::string& Path,
                          const Text_Source& Source) {
    Pending_File File;
    File.Path = Path;
    File.Directory = Directory;
    if (const int Error = Create_Hidden(File); Error != 0) {
        Raise_System_Failure("cannot create", Path, Error);
    }
    if (const int Error = Write_Text(File.Fd.Value, Source); Error != 0) {
        Raise_System_Failure("cannot write", Path, Error);
    }
    return File;
}

void Sync_Data(const Pending_File& File) {
    if (::fsync(File.Fd.Value) != 0) {
        Raise_System_Failure("cannot sync", File.Path, errno);
    }
}

// Renames the hidden file over its path; the name is then the new file's.
void Rename_Over(Pending_File& File) {
    const std::string Name(Base_Name(File.Path));
    const int Directory = File.Directory->Fd.Value;
    if (::renameat(Directory, File.Hidden->Name, Directory, Name.c_str()) != 0) {
        Raise_System_Failure("cannot replace", File.Path, errno);
    }
    Forget_Hidden(File);
}

// The directory was opened with O_PATH, which cannot be synced: it is opened again,
// through its descriptor, so that it is the same directory.
Owned_Fd Reopen_Readable(const Output_Directory& Directory) {
    return Owned_Fd(::openat(Directory.Fd.Value, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The new file takes the old one's owner, where the program may set it (a user may not
// give a file away: the new file is then the user's), then its mode, which a change of
// owner may have cut. One look at the new file spares both calls where it has them
// already, as a file the program made itself in the directory mostly has.
void Keep_Mode_And_Owner(const Pending_File& File, const struct stat& Old) {
    struct stat New {};
    if (::fstat(File.Fd.Value, &New) != 0) {
        Raise_System_Failure("cannot write", File.Path, errno);
    }
    const bool Other_Owner = New.st_uid != Old.st_uid || New.st_gid != Old.st_gid;
    if (Other_Owner && ::fchown(File.Fd.Value, Old.st_uid, Old.st_gid) != 0 && errno != EPERM) {
        Raise_System_Failure("cannot write", File.Path, errno);
    }
    if ((Other_Owner || (New.st_mode & 07777U) != (Old.st_mode & 07777U)) &&
        ::fchmod(File.Fd.Value, Old.st_mode & 07777U) != 0) {
        Raise_System_Failure("cannot write", File.Path, errno);
    }
}

// Whether Prefix, a level of a directory that could not be opened as one, is a symbolic
// link (the open refuses one with ELOOP, or ENOTDIR when it is a link to a file).
bool Is_Link_At(const Output_Directory& Opened, const std::string& Prefix) {
    struct stat Status {};
    return (Opened.Error == ELOOP || Opened.Error == ENOTDIR) &&
           ::fstatat(AT_FDCWD, Prefix.c_str(), &Status, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(Status.st_mode);
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
    Pending_File File = Write_Hidden(Directory, Path, Source);
    Sync_Data(File);
    Rename_Over(File);
    const Owned_Fd Synced = Reopen_Readable(*Directory);
    if (Synced.Value < 0 || ::fsync(Synced.Value) != 0) {
        Raise_System_Failure("cannot sync the directory of", Path, errno);
    }
    return true;
}

namespace {

// The current directory's name, asked once: a program never changes its directory.
const std::optional<std::string>& Current_Directory() {
    static const std::optional<std::string> Here = []() -> std::optional<std::string> {
        std::array<char, 4096> Name{};
        if (::getcwd(Name.data(), Name.size()) == nullptr) {
            return std::nullopt;
        }
        return std::string(Name.data());
    }();
    return Here;
}

// The directory at Path opened in one call, kept only when the kernel names the directory
// it reached by Path itself (the current directory's name before a relative one): a
// symbolic link at any level would have it named by its target. -1 otherwise. For a
// kernel without openat2, which refuses the links in the same call.
Owned_Fd Open_Where_Named(const std::string& Path) {
    Owned_Fd Fd(::open(Path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    std::array<char, 4096> Reached{};
    const std::string Link = "/proc/self/fd/" + std::to_string(Fd.Value);
    const ssize_t Size =
        Fd.Value < 0 ? -1 : ::readlink(Link.c_str(), Reached.data(), Reached.size());
    const auto& Here = Current_Directory();
    if (Size <= 0 || static_cast<std::size_t>(Size) >= Reached.size() ||
        (!Path.starts_with('/') && !Here)) {
        return {};
    }
    const std::string Named = Path.starts_with('/') ? Path : *Here + '/' + Path;
    return std::string_view(Reached.data(), static_cast<std::size_t>(Size)) == Named ? std::move(Fd)
                                                                                     : Owned_Fd();
}

// The same, a level at a time, to name the level that is a link.
Unfollowed_Directory Open_Level_By_Level(const std::string& Path) {
    auto Opened = std::make_shared<Output_Directory>();
    Opened->Path = Path;
    Unfollowed_Directory Result;
    Owned_Fd Level(::open(Path.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    Opened->Error = Level.Value < 0 ? errno : 0;
    for (std::size_t Start = 0; Level.Value >= 0 && Start < Path.size();) {
        const std::size_t Slash = std::min(Path.find('/', Start), Path.size());
        const std::string Name = Path.substr(Start, Slash - Start);
        Start = Slash + 1;
        if (Name.empty() || Name == ".") {
            continue;
        }
        Level = Owned_Fd(
            ::openat(Level.Value, Name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (Level.Value < 0) {
            Opened->Error = errno;
            Result.Link = Is_Link_At(*Opened, Path.substr(0, Slash)) ? Path.substr(0, Slash) : "";
        }
    }
    Opened->Fd = std::move(Level);
    Result.Directory = std::move(Opened);
    return Result;
}

} // namespace

Unfollowed_Directory Open_Unfollowed(std::string Path) {
    Owned_Fd Fd(Open_Resolved(AT_FDCWD, Path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC,
                              RESOLVE_NO_SYMLINKS));
    if (Fd.Value < 0 && errno == ENOSYS) {
        Fd = Open_Where_Named(Path);
    }
    if (Fd.Value < 0) {
        return Open_Level_By_Level(Path); // a link, a name the kernel writes otherwise, or none
    }
    auto Opened = std::make_shared<Output_Directory>();
    Opened->Path = std::move(Path);
    Opened->Fd = std::move(Fd);
    return {.Directory = std::move(Opened), .Link = {}};
}

namespace {

// Whether Status, taken now, still describes the file that Read_Status described: the
// same file (device and inode), of the same size and modification time, with one name.
bool Same_File(const struct stat& Read_Status, const struct stat& Status) {
    return S_ISREG(Status.st_mode) && Status.st_dev == Read_Status.st_dev &&
           Status.st_ino == Read_Status.st_ino && Status.st_size == Read_Status.st_size &&
           Status.st_mtim.tv_sec == Read_Status.st_mtim.tv_sec &&
           Status.st_mtim.tv_nsec == Read_Status.st_mtim.tv_nsec && Status.st_nlink == 1;
}

// Renames the new text over its path unless the file there changed since it was read,
// as it is looked at again just before the rename: a file written meanwhile keeps its text.
bool Rename_Unless_Changed(Rewrite& File) {
    const Pending_File& Pending = File.File;
    struct stat Now {};
    if (::fstatat(Pending.Directory->Fd.Value, Name_Of(Pending.Path), &Now, AT_SYMLINK_NOFOLLOW) !=
        0) {
        if (errno == ENOENT) {
            return false;
        }
        Raise_System_Failure("cannot look at", Pending.Path, errno);
    }
    if (!Same_File(File.Read_Status, Now)) {
        return false;
    }
    Rename_Over(File.File);
    return true;
}

void Rename_All(const Rewrite_Batch& Batch, std::vector<Rewrite>& Files) {
    for (Rewrite& File : Files) {
        const bool Renamed = Rename_Unless_Changed(File);
        Batch.Done(File, Renamed);
    }
}

// Makes the new texts durable by a sync of each; at the first that cannot be, the files
// before it are renamed, and the failure names it.
void Sync_Each(const Rewrite_Batch& Batch, std::vector<Rewrite>& Files) {
    for (std::size_t I = 0; I < Files.size(); ++I) {
        if (::fsync(Files[I].File.Fd.Value) != 0) {
            const int Error = errno;
            const std::string Path = Files[I].File.Path;
            Files.resize(I);
            Rename_All(Batch, Files);
            Raise_System_Failure("cannot sync", Path, Error);
        }
    }
}

// Makes the new texts of the batch durable, by one syncfs of each file system or, where
// one fails, a sync of each file (which tells whose the error is), then renames them.
void Publish_Rewrites(Rewrite_Batch& Batch) {
    std::vector<Rewrite> Files = std::exchange(Batch.Written, {});
    if (Files.empty()) {
        return;
    }
    Batch.Written.reserve(Batch.Capacity);
    if (!Sync_File_Systems(Batch.Syncers)) {
        Sync_Each(Batch, Files);
    }
    Rename_All(Batch, Files);
}

// Renames what the batch holds, then makes every rename durable.
void Finish_Rewrites(Rewrite_Batch& Batch) {
    Publish_Rewrites(Batch);
    for (std::size_t I = 0; I < Batch.Syncers.size(); ++I) {
        if (::syncfs(Batch.Syncers[I].Value) != 0) {
            Raise_System_Failure("cannot sync the directory of", Batch.Sync_Paths[I], errno);
        }
    }
}

// Keeps a directory of Path's file system, opened before the first write of the run
// there, so that its syncfs reports every write-back error since.
void Note_File_System(Rewrite_Batch& Batch, const Output_Directory& Directory,
                      const std::string& Path, dev_t Device) {
    if (std::find(Batch.Devices.begin(), Batch.Devices.end(), Device) != Batch.Devices.end()) {
        return;
    }
    Owned_Fd Syncer = Reopen_Readable(Directory);
    if (Syncer.Value < 0) {
        Raise_System_Failure("cannot sync the directory of", Path, errno);
    }
    Batch.Devices.push_back(Device);
    Batch.Syncers.push_back(std::move(Syncer));
    Batch.Sync_Paths.push_back(Path);
}

// The refusals of a directory that takes no new file, which the caller reports as such.
bool Refuses_New_File(int Error) {
    return Error == EACCES || Error == EPERM || Error == EROFS;
}

} // namespace

void With_Rewrites(Rewrite_Done Done, const std::function<void(Rewrite_Batch&)>& Fill) {
    Rewrite_Batch Batch;
    Batch.Capacity = std::max<std::size_t>(Batch_Capacity(), 1);
    Batch.Written.reserve(Batch.Capacity);
    Batch.Done = std::move(Done);
    try {
        Fill(Batch);
    } catch (...) {
        // A failure renaming or syncing these is met first, and reported instead.
        Finish_Rewrites(Batch);
        throw;
    }
    Finish_Rewrites(Batch);
}

int Add_Rewrite(Rewrite_Batch& Batch, const Shared_Directory& Directory, const std::string& Path,
                const struct stat& Read_Status, const Text_Source& Source, std::string Note) {
    Note_File_System(Batch, *Directory, Path, Read_Status.st_dev);
    Rewrite File;
    File.File.Path = Path;
    File.File.Directory = Directory;
    if (const int Error = Create_Hidden(File.File); Error != 0) {
        if (Refuses_New_File(Error)) {
            return Error;
        }
        Raise_System_Failure("cannot create", Path, Error);
    }
    if (const int Error = Write_Text(File.File.Fd.Value, Source); Error != 0) {
        Raise_System_Failure("cannot write", Path, Error);
    }
    Keep_Mode_And_Owner(File.File, Read_Status);
    File.Read_Status = Read_Status;
    File.Note = std::move(Note);
    Batch.Written.push_back(std::move(File));
    if (Batch.Written.size() >= Batch.Capacity) {
        Publish_Rewrites(Batch);
    }
    return 0;
}

} // namespace adaskel
