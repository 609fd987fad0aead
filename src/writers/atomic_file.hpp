// Publishing a generated file atomically and without clobbering: the content goes into
// an unnamed file in the target's directory, which is then linked at the target path.
// The link fails if anything at all is at the path, a symbolic link included, so an
// existing file is never replaced and a link is never followed. A file therefore
// appears at its path complete, or not at all.
#pragma once

#include "driver/failure.hpp"
#include "driver/owned_fd.hpp"

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

// A file being written, not yet visible at Path. Discarded unless published.
struct Pending_File {
    std::string Path;
    Owned_Fd Fd;
    std::string Temp_Path; // the hidden name, where unnamed files are not supported

    Pending_File() = default;
    Pending_File(Pending_File&& Other) noexcept
        : Path(std::move(Other.Path)), Fd(std::move(Other.Fd)),
          Temp_Path(std::exchange(Other.Temp_Path, {})) {}
    Pending_File(const Pending_File&) = delete;
    Pending_File& operator=(const Pending_File&) = delete;
    Pending_File& operator=(Pending_File&&) = delete;
    ~Pending_File(); // removes the hidden name of a file not published
};

// The file that will be published at Path, created in Path's directory. Fails when the
// directory is missing or the file cannot be created there.
Pending_File Create_Pending(const std::string& Path);

// Writes Content, then links the file at its path and closes it. A regular file that
// appeared at the path meanwhile is left alone, as one that was there all along. Every
// write, link and close error is a failure naming the path.
void Publish(Pending_File& File, std::string_view Content);

} // namespace adaskel
