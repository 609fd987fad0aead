// Publishing a generated file atomically and without clobbering: the content goes into
// an unnamed file in the target's directory, which is then linked at the target path.
// The link fails if anything at all is at the path, a symbolic link included, so an
// existing file is never replaced and a link is never followed, and it is made only once
// the file's data is durable. A file therefore appears at its path complete, or not at all,
// even after a power loss. The directory is opened once; every later step is taken
// relative to that descriptor, so the directory looked at is the directory written into.
#pragma once

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace adaskel {

// What is at an output path: nothing, a file to leave alone, or something that blocks it.
struct Output_Path {
    bool Holds_File = false;        // a regular file, or a symbolic link to one
    std::optional<Problem> Blocked; // a directory, a dangling link, another kind of file,
                                    // or an error looking at it
    bool Empty = false;             // the file holds no byte (as a crash of a version
                                    // that did not sync could leave it)
    dev_t Device = 0;               // for a file: the file system holding it
};

// The directory files are published into, opened once (a directory reached through a
// symbolic link is taken, as a named directory is) for the *at calls of every later step.
struct Output_Directory {
    std::string Path; // as named, for reports and for a sync of last resort
    Owned_Fd Fd;      // opened with O_PATH; -1 when the open failed with Error
    int Error = 0;
};
using Shared_Directory = std::shared_ptr<const Output_Directory>;

// Opens the directory Path names. A failure is kept in the result, to be reported by the
// step that meets it, as the same step by path would.
Shared_Directory Open_Output_Directory(std::string Path);

// Looks at what is at an output path, changing nothing.
Output_Path Look_At_Output_Path(const std::string& Path);

// Looks at what is at Path, whose directory is Directory.
Output_Path Look_In(const Output_Directory& Directory, const std::string& Path);

// Whether a regular file is at an output path, to be left alone; a path that is blocked
// fails the run.
bool Holds_File(const Output_Path& Look);

// What keeps a file from being created in Path's directory now, if anything: the
// directory is missing or is not one, or cannot be written. Creates nothing. Directory
// receives the directory's status, for a caller that tells directories apart.
std::optional<Problem> Creation_Problem(const std::string& Path, struct stat& Directory);

// What keeps a file from being published in Directory, found by trying it: a file system
// that can neither link nor rename without replacing, or a directory that is append-only
// where a file is first written under a hidden name. The hidden names tried are removed
// at once. None when nothing does.
std::optional<Problem> Publishing_Problem(const std::string& Directory);

// What keeps a file from being written in Directory under a hidden name, to be published
// at Path, if anything: a directory that is append-only, where the hidden name could
// never be removed. Creates nothing.
std::optional<Problem> Hidden_Name_Problem(const Output_Directory& Directory,
                                           const std::string& Path);

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
// was there all along. Every link and close error is a failure naming the path.
// (A variant that replaces a file of the program's own would rename over the path here.)
bool Link_Pending(Pending_File& File);

// Writes Content into File, makes its data durable by a sync of the file alone, and links
// it; returns as Link_Pending does. The name is durable once the caller syncs the file
// system. (A file the program rewrites whole on every run would be published by a
// variant that renames it over the old one, complete or absent all the same.)
bool Publish_Alone(Pending_File& File, std::string_view Content);

} // namespace adaskel
