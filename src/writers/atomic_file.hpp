// Publishing a generated file atomically and without clobbering: the content goes into
// an unnamed file in the target's directory, which is then linked at the target path.
// The link fails if anything at all is at the path, a symbolic link included, so an
// existing file is never replaced and a link is never followed, and it is made only once
// the file's data is durable. A file therefore appears at its path complete, or not at all,
// even after a power loss. The directory is opened once; every later step is taken
// relative to that descriptor, so the directory looked at is the directory written into.
#pragma once

#include "base/owned_fd.hpp"
#include "writers/output_path.hpp"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace adaskel {

// The most files written and not yet published at any time: a batch of them shares one
// sync (see durable_batch.hpp). Measured on 16383 files (bench/run.sh): on tmpfs a larger
// batch costs processor time, as the kernel's state of the open files stops fitting in
// the caches (+6% over publishing each file at once with 64 files, +10% with 128, +19% with
// 256); on ext4 on a disk a syncfs after 64 files takes 1 to 5 ms, about what writing them
// takes, and larger batches saved no time that could be told from the noise.
inline constexpr std::size_t Batch_Size = 64;

// A hidden name of a file not yet published, where the interrupt handler can reach it.
struct Hidden_Name {
    int Directory = -1;
    char Name[16] = {};
};

// A file being written, not yet visible at Path. Discarded unless published.
struct Pending_File {
    std::string Path;
    Shared_Directory Directory; // where it is published, open as long as it is pending
    Owned_Fd Fd;
    std::unique_ptr<Hidden_Name> Hidden; // where unnamed files are not supported; kept
                                         // in place for the interrupt handler to remove

    Pending_File() = default;
    Pending_File(Pending_File&&) noexcept = default;
    Pending_File(const Pending_File&) = delete;
    Pending_File& operator=(const Pending_File&) = delete;
    Pending_File& operator=(Pending_File&&) = delete;
    ~Pending_File(); // removes the hidden name of a file not published
};

// The file that will be published at Path, created in Directory, Path's directory. Fails
// when the directory is missing or the file cannot be created there.
Pending_File Create_Pending(const Shared_Directory& Directory, const std::string& Path);

// Writes Content into the file; a write error is a failure naming the path.
void Write_Pending(Pending_File& File, std::string_view Content);

// Links the file at its path and closes it; its data must be durable by then. Returns
// true; false when a regular file appeared at the path meanwhile, left alone as one that
// was there all along. Every link and close error is a failure naming the path. (A file
// of the program's own that is replaced is published by replaced_file.hpp instead.)
bool Link_Pending(Pending_File& File);

// Writes Content into File, makes its data durable by a sync of the file alone, and links
// it; returns as Link_Pending does. The name is durable once the caller syncs the file
// system.
bool Publish_Alone(Pending_File& File, std::string_view Content);

} // namespace adaskel
