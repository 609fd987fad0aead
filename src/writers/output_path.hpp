// Looking at output paths and their directories, changing nothing the look does not undo:
// what is at a path (nothing, a file to leave alone, or something that blocks it), whether
// a file can be created and published in a directory, and the directory opened once for
// every later step relative to it. The check asks these; the writers ask them before they
// publish.
#pragma once

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
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
    bool Here = false; // on the mount of the current directory, and so on its file system
};
using Shared_Directory = std::shared_ptr<const Output_Directory>;

// Opens Name, relative to the directory Base, by openat2 with Flags (O_PATH and
// O_DIRECTORY among them) and the Resolve flags: a descriptor, or -1 with errno set;
// ENOSYS where openat2 is missing or forbidden, which is then known after the first try
// and costs no system call again.
int Open_Resolved(int Base, const char* Name, std::uint64_t Flags, std::uint64_t Resolve);

// Opens the directory Path names, telling whether it is on the current directory's mount
// in the same call. A failure is kept in the result, to be reported by the step that
// meets it, as the same step by path would.
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

// A problem creating the file at Path, with Message saying why.
Problem Create_Problem(const std::string& Path, std::string Message);

// Creating a file in Path's directory failed with Error.
Problem Create_Failed(const std::string& Path, int Error);

// The problem of a file system that can neither link nor rename without replacing.
Problem No_Publishing_Problem(const std::string& Path);

// Whether unnamed files can be linked at a name: the way is through /proc, which every
// user may take, and without /proc mounted only hidden names publish a file.
bool Unnamed_Files_Linkable();

// The name of Path in its directory, as a C string: no copy on the way of every file.
inline const char* Name_Of(const std::string& Path) {
    return Path.c_str() + (Path.rfind('/') + 1); // npos + 1 is 0
}

} // namespace adaskel
