// Publishing a generated file atomically and without clobbering: the content goes into
// an unnamed file in the target's directory, which is then linked at the target path.
// The link fails if anything at all is at the path, a symbolic link included, so an
// existing file is never replaced and a link is never followed, and it is made only once
// the file's data is durable. A file therefore appears at its path complete, or not at all,
// even after a power loss.
#pragma once

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace adaskel {

// What is at an output path: nothing, a file to leave alone, or something that blocks it.
struct Output_Path {
    bool Holds_File = false;        // a regular file, or a symbolic link to one
    std::optional<Problem> Blocked; // a directory, a dangling link, another kind of file,
                                    // or an error looking at it
    bool Empty = false;             // the file holds no byte (as a crash of a version
                                    // that did not sync could leave it)
};

// Looks at what is at an output path, changing nothing.
Output_Path Look_At_Output_Path(const std::string& Path);

// Whether a regular file is at an output path, to be left alone; a path that is blocked
// fails the run.
bool Holds_File(const std::string& Path);

// What keeps a file from being created in Path's directory now, if anything: the
// directory is missing or is not one, or cannot be written. Creates nothing. Directory
// receives the directory's status, for a caller that tells directories apart.
std::optional<Problem> Creation_Problem(const std::string& Path, struct stat& Directory);

// The most files written and not yet published at any time: a batch of them shares one
// sync (see durable_batch.hpp). Measured on 16383 files (bench/run.sh): on tmpfs a larger
// batch costs processor time, as the kernel's state of the open files stops fitting in
// the caches (+6% over publishing each file at once with 64 files, +10% with 128, +19% with
// 256); on ext4 on a disk a syncfs after 64 files takes 1 to 5 ms, about what writing them
// takes, and larger batches saved no time that could be told from the noise.
inline constexpr std::size_t Batch_Size = 64;

// A file being written, not yet visible at Path. Discarded unless published.
struct Pending_File {
    std::string Path;
    Owned_Fd Fd;
    std::unique_ptr<char[]> Hidden; // its hidden path, where unnamed files are not supported;
                                    // kept in place for the interrupt handler to remove

    Pending_File() = default;
    Pending_File(Pending_File&&) noexcept = default;
    Pending_File(const Pending_File&) = delete;
    Pending_File& operator=(const Pending_File&) = delete;
    Pending_File& operator=(Pending_File&&) = delete;
    ~Pending_File(); // removes the hidden name of a file not published
};

// The file that will be published at Path, created in Path's directory. Fails when the
// directory is missing or the file cannot be created there.
Pending_File Create_Pending(const std::string& Path);

// Writes Content into the file; a write error is a failure naming the path.
void Write_Pending(Pending_File& File, std::string_view Content);

// Links the file at its path and closes it; its data must be durable by then. A regular
// file that appeared at the path meanwhile is left alone, as one that was there all
// along. Every link and close error is a failure naming the path.
void Link_Pending(Pending_File& File);

} // namespace adaskel
