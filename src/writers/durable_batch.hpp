// Publishing generated files in batches that survive a power loss: each file is linked at
// its path only once its data is durable, and one sync of the file system makes a whole
// batch durable, at far less cost than a sync of each file.
#pragma once

#include "driver/owned_fd.hpp"
#include "writers/atomic_file.hpp"

#include <cstddef>
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

// An empty batch, as large as the open-files limit allows.
Pending_Batch Create_Batch();

// Adds a written file to the batch, publishing the batch when it is full.
void Add_To_Batch(Pending_Batch& Batch, Pending_File File);

// Makes the data of the batch's files durable, then links each at its path, in order. At
// the first failure (a sync, a link, a close) the files before it are published, none
// after it, and the failure names its path.
void Publish_Batch(Pending_Batch& Batch);

// Publishes what the batch holds, then makes every name published durable: once it
// returns, a power loss takes nothing the run made. After a failure, the files published
// before it are made durable all the same.
void Finish_Batch(Pending_Batch& Batch);

// Writes Content into File and publishes it alone, durable once this returns.
void Publish(Pending_File& File, std::string_view Content);

} // namespace adaskel
