// Publishing generated files in batches that survive a power loss: each file is linked at
// its path only once its data is durable, and one sync of the file system makes a whole
// batch durable, at far less cost than a sync of each file.
#pragma once

#include "base/owned_fd.hpp"
#include "writers/atomic_file.hpp"

#include <cstddef>
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
};

// Adds a written file to the batch, publishing the batch when it is full.
void Add_To_Batch(Pending_Batch& Batch, Pending_File File);

// Runs Fill on a new batch, then publishes what it holds and makes every name durable:
// once it returns, a power loss takes nothing the run made. When Fill fails, the files
// before the failure are published, and durable, before it is reported.
void With_Batch(const std::function<void(Pending_Batch&)>& Fill);

// The file to write at Path, or none when a regular file is there. A failure met while
// files are pending is met again once they are published, so that it is met on the tree
// a run publishing each file at once would see (with a link at Path to a pending file,
// say) and after the files before it are published.
std::optional<Pending_File> Pending_Unless_There(Pending_Batch& Batch, const std::string& Path);

// Writes Content into File and publishes it alone, durable once this returns.
void Publish(Pending_File& File, std::string_view Content);

} // namespace adaskel
