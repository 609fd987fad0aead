// The batches: a syncfs of each file system written to makes the data of a batch, and the
// names published before it, durable. syncfs reports the write-back errors of the whole
// file system (since Linux 5.8), another program's included; so only when it fails, or is
// missing, are the directories and files synced one at a time, which tells whose the
// error is and which file it stops at.
#include "writers/durable_batch.hpp"

#include "base/failure.hpp"
#include "base/path_parts.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace adaskel {

namespace {

// Keeps a descriptor of File's file system, opened before any write of the run there, so
// that syncfs through it reports every write-back error since. Under an open-files limit
// that leaves none to spare, the syncfs fails and the files are synced one by one.
void Note_File_System(Pending_Batch& Batch, const Pending_File& File) {
    if (File.Directory->Here && Batch.Here_Noted) {
        return; // noted before the file was created
    }
    struct stat Status {};
    if (::fstat(File.Fd.Value, &Status) != 0) {
        Raise_System_Failure("cannot sync", File.Path, errno);
    }
    if (std::find(Batch.Devices.begin(), Batch.Devices.end(), Status.st_dev) !=
        Batch.Devices.end()) {
        return;
    }
    Batch.Devices.push_back(Status.st_dev);
    Batch.Syncers.emplace_back(::fcntl(File.Fd.Value, F_DUPFD_CLOEXEC, 0));
}

// Makes the names of the files at Paths durable by a sync of each directory; fails naming
// the first file whose name cannot be.
void Sync_Directories(const std::vector<std::string>& Paths) {
    std::string Synced;
    for (const std::string& Path : Paths) {
        std::string Directory = Directory_Of(Path);
        if (Directory == Synced) {
            continue;
        }
        const Owned_Fd Fd(::open(Directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (Fd.Value < 0 || ::fsync(Fd.Value) != 0) {
            Raise_System_Failure("cannot sync", Path, errno);
        }
        Synced = std::move(Directory);
    }
}

// Makes durable the files found at the paths of the project lines Lines, and their names,
// by a sync of each.
void Sync_Found(const Run_Record& Record, const std::vector<std::int32_t>& Lines) {
    std::vector<std::string> Paths(Lines.size());
    std::transform(Lines.begin(), Lines.end(), Paths.begin(),
                   [&](std::int32_t Line) { return Output_File_Of(Record, Line).Path; });
    for (const std::string& Path : Paths) {
        // A file the run may not read cannot be synced by it: its name still is.
        const Owned_Fd Fd(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if ((Fd.Value < 0 && errno != EACCES) || (Fd.Value >= 0 && ::fsync(Fd.Value) != 0)) {
            Raise_System_Failure("cannot sync", Path, errno);
        }
    }
    Sync_Directories(Paths);
}

// Notes the file found at File's path, on the file system Device, to be durable at the
// end: a descriptor of the file system is kept for its syncfs.
void Note_Found(Pending_Batch& Batch, const Output_File& File, dev_t Device) {
    const std::string& Path = File.Path;
    Batch.Found.push_back(File.Line);
    if (std::find(Batch.Devices.begin(), Batch.Devices.end(), Device) != Batch.Devices.end()) {
        return;
    }
    Batch.Devices.push_back(Device);
    // The file itself, or where it may not be read, its directory.
    int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (Fd < 0) {
        Fd = ::open(Directory_Of(Path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    Batch.Syncers.emplace_back(Fd);
}

// Notes the current directory's file system once, before the first file is created on
// it, by a descriptor kept for its syncfs: the files in directories on its mount need no
// look each. Where it cannot be noted, each file's is.
void Note_Here(Pending_Batch& Batch) {
    if (Batch.Here_Tried) {
        return;
    }
    Batch.Here_Tried = true;
    Owned_Fd Here(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat Status {};
    if (Here.Value < 0 || ::fstat(Here.Value, &Status) != 0) {
        return;
    }
    Batch.Here_Noted = true;
    if (std::find(Batch.Devices.begin(), Batch.Devices.end(), Status.st_dev) ==
        Batch.Devices.end()) {
        Batch.Devices.push_back(Status.st_dev);
        Batch.Syncers.push_back(std::move(Here));
    }
}

// The directory of Path, opened once for the consecutive paths in it.
const Shared_Directory& Directory_For(Pending_Batch& Batch, const std::string& Path) {
    std::string Directory = Directory_Of(Path);
    if (!Batch.Directory || Batch.Directory->Path != Directory) {
        Batch.Directory = Open_Output_Directory(std::move(Directory));
        if (Batch.Directory->Here) {
            Note_Here(Batch);
        }
    }
    return Batch.Directory;
}

// Links each file at its path, in order; its name is then durable at the next sync.
void Link_All(Pending_Batch& Batch, std::vector<Pending_File>& Files) {
    for (Pending_File& File : Files) {
        (void)Link_Pending(File);
        Batch.Linked.push_back(std::move(File.Path));
    }
}

// Makes the data of Files durable by a sync of each. At the first that cannot be, the
// files before it are published, and the failure names it.
void Sync_Each(Pending_Batch& Batch, std::vector<Pending_File>& Files) {
    for (std::size_t I = 0; I < Files.size(); ++I) {
        if (::fdatasync(Files[I].Fd.Value) != 0) {
            const int Error = errno;
            const std::string Path = Files[I].Path;
            Files.resize(I);
            Link_All(Batch, Files);
            Raise_System_Failure("cannot sync", Path, Error);
        }
    }
}

// Makes the names published since the last sync durable, and the files found.
void Sync_Names(Pending_Batch& Batch) {
    const std::vector<std::string> Linked = std::exchange(Batch.Linked, {});
    const std::vector<std::int32_t> Found = std::exchange(Batch.Found, {});
    if ((!Linked.empty() || !Found.empty()) && !Sync_File_Systems(Batch.Syncers)) {
        Sync_Directories(Linked);
        Sync_Found(*Batch.Record, Found);
    }
}

// The open-files limit, or 0 when it cannot be read.
rlim_t Descriptor_Limit() {
    rlimit Limit{};
    return ::getrlimit(RLIMIT_NOFILE, &Limit) == 0 ? Limit.rlim_cur : 0;
}

// An empty batch, as large as the open-files limit allows.
Pending_Batch Create_Batch() {
    Pending_Batch Batch;
    Batch.Capacity = Batch_Capacity();
    Batch.Written.reserve(Batch.Capacity);
    return Batch;
}

// Makes the data of the batch's files durable, then links each at its path, in order. At
// the first failure (a sync, a link, a close) the files before it are published, none
// after it, and the failure names its path.
void Publish_Batch(Pending_Batch& Batch) {
    if (Batch.Written.empty()) {
        return;
    }
    std::vector<Pending_File> Files = std::exchange(Batch.Written, {});
    Batch.Written.reserve(Batch.Capacity);
    const std::vector<std::string> Linked = std::exchange(Batch.Linked, {});
    if (!Sync_File_Systems(Batch.Syncers)) {
        Sync_Directories(Linked);
        Sync_Each(Batch, Files);
    }
    Link_All(Batch, Files);
}

// Publishes what the batch holds, then makes every name published durable, also those
// published before a failure.
void Finish_Batch(Pending_Batch& Batch) {
    try {
        Publish_Batch(Batch);
    } catch (...) {
        Sync_Names(Batch);
        throw;
    }
    Sync_Names(Batch);
}

} // namespace

void Add_To_Batch(Pending_Batch& Batch, Pending_File File) {
    Note_File_System(Batch, File);
    Batch.Written.push_back(std::move(File));
    if (Batch.Written.size() >= Batch.Capacity) {
        Publish_Batch(Batch);
    }
}

void With_Batch(const Run_Record& Record, const std::function<void(Pending_Batch&)>& Fill) {
    Pending_Batch Batch = Create_Batch();
    Batch.Record = &Record;
    try {
        Fill(Batch);
    } catch (...) {
        // The files before the failing one are published, and durable, before it is
        // reported; a failure publishing them is met first, and reported instead.
        Finish_Batch(Batch);
        throw;
    }
    Finish_Batch(Batch);
}

bool Sync_File_Systems(const std::vector<Owned_Fd>& Syncers) {
    bool Synced = true;
    for (const Owned_Fd& Syncer : Syncers) {
        Synced = ::syncfs(Syncer.Value) == 0 && Synced;
    }
    return Synced;
}

std::size_t Batch_Capacity() {
    // Each pending file may hold its directory open too: half the descriptors left by the
    // rest of the run. Under a limit too low for even one, no file is created.
    const rlim_t Limit = Descriptor_Limit();
    if (Limit == 0) {
        return 1;
    }
    return Limit < Descriptors_Needed
               ? 0
               : std::clamp<rlim_t>((Limit - Descriptors_Needed + 2) / 2, 1, Batch_Size);
}

std::optional<Problem> Descriptor_Problem(const std::string& Path) {
    const rlim_t Limit = Descriptor_Limit();
    if (Limit == 0 || Limit >= Descriptors_Needed) {
        return std::nullopt;
    }
    return Problem{Path, 0,
                   "the open-files limit of " + std::to_string(Limit) +
                       " descriptors is too low: writing a file takes " +
                       std::to_string(Descriptors_Needed),
                   "cannot create " + Quote(Path) + ": "};
}

std::optional<Pending_File> Pending_Unless_There(Pending_Batch& Batch, const Output_File& File) {
    const std::string& Path = File.Path;
    for (;;) {
        try {
            // A look by path, as cheap as a stat: a file there is only read. A free path
            // gets its directory opened, and every step that writes is taken relative to
            // it; the link fails on anything that appears there meanwhile.
            if (const Output_Path Look = Look_At_Output_Path(Path); Holds_File(Look)) {
                Note_Found(Batch, File, Look.Device);
                return std::nullopt;
            }
            if (Batch.Capacity == 0) {
                throw Run_Failure(*Descriptor_Problem(Path));
            }
            return Create_Pending(Directory_For(Batch, Path), Path);
        } catch (const Run_Failure&) {
            if (Batch.Written.empty()) {
                throw;
            }
        }
        Publish_Batch(Batch);
    }
}

} // namespace adaskel
