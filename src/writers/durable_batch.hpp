// Publishing generated files in batches that survive a power loss: each file is linked at
// its path only once its data is durable, and one sync of the file system makes a whole
// batch durable, at far less cost than a sync of each file.
#pragma once

#include "base/owned_fd.hpp"
#include "inputs/project_file.hpp"
#include "inputs/run_record.hpp"
#include "writers/atomic_file.hpp"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace adaskel {

// Files written and waiting to be published together.
struct Pending_Batch {
    std::size_t Capacity = 1;          // files written before the batch is published
    std::vector<Pending_File> Written; // in project-file order, data not yet durable
    std::vector<std::string> Linked;   // paths published since the last sync
    std::vector<dev_t> Devices;        // the file systems written to, and on each one
    std::vector<Owned_Fd> Syncers;     // a file opened before its writes, for syncfs
    // The project lines whose path held a file already, made durable too: their paths are
    // formed again from the record, and only when a syncfs fails, so that a run over a
    // complete tree holds four bytes a file.
    std::vector<std::int32_t> Found;
    const Run_Record* Record = nullptr;
    Shared_Directory Directory; // the directory of the last free path
    bool Here_Tried = false;    // whether the current directory's file system was noted,
    bool Here_Noted = false;    // and whether that succeeded
};

// The fewest descriptors a run must be allowed to open to write a file: its standard
// streams, the file, its directory, the directory looked at next, one to sync each file
// system and one to spare.
inline constexpr unsigned Descriptors_Needed = 10;

// Whether a syncfs through each of Syncers, descriptors of the file systems written to,
// succeeded; each is tried.
bool Sync_File_Systems(const std::vector<Owned_Fd>& Syncers);

// How many files written and not yet published a batch may hold under the open-files
// limit: 0 when it leaves room for none.
std::size_t Batch_Capacity();

// Why no file can be created at Path under the open-files limit, if that is too low.
std::optional<Problem> Descriptor_Problem(const std::string& Path);

// Adds a written file to the batch, publishing the batch when it is full.
void Add_To_Batch(Pending_Batch& Batch, Pending_File File);

// Runs Fill on a new batch for the files of Record, then publishes what it holds and makes every
// name durable, and every file found at an output path too: once it returns, a power loss takes
// nothing at the paths of the run, whoever wrote it. When Fill fails, the files before the failure
// are published, and durable, before it is reported.
void With_Batch(const Run_Record& Record, const std::function<void(Pending_Batch&)>& Fill);

// The file to write at File's path, or none when a regular file is there (noted, to be
// made durable). The directory of a free path is opened once for the consecutive paths in it,
// and the file is created and linked relative to it. A failure met while
// files are pending is met again once they are published, so that it is met on the tree
// a run publishing each file at once would see (with a link at Path to a pending file,
// say) and after the files before it are published.
std::optional<Pending_File> Pending_Unless_There(Pending_Batch& Batch, const Output_File& File);

} // namespace adaskel
