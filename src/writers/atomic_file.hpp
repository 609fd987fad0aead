// Publishing a generated file atomically and without clobbering: the content goes into
// an unnamed file in the target's directory, which is then linked at the target path.
// The link fails if anything at all is at the path, a symbolic link included, so an
// existing file is never replaced and a link is never followed. A file therefore
// appears at its path complete, or not at all.
#pragma once

#include "driver/owned_fd.hpp"

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace adaskel {

enum class Path_State {
    Free,         // nothing is at the path
    Regular_File, // a regular file, or a symbolic link to one: it is left alone
    Blocked       // a directory, a dangling link, another kind of file, or an error
};

struct Output_Path {
    Path_State State = Path_State::Free;
    std::string Problem; // why a Blocked path cannot take a file, e.g. "it is a directory"
};

// Looks at what is at an output path, changing nothing.
Output_Path Look_At_Output_Path(const std::string& Path);

// Tells whether an output path is free or holds a regular file; a Blocked path is a
// failure naming the path and its problem.
Path_State Test_Output_Path(const std::string& Path);

// Why no file could be created in Path's directory now ("" when one could): the
// directory is missing or is not one, or cannot be written. Creates nothing. Directory
// receives the directory's status, for a caller that tells directories apart.
std::string Creation_Problem(const std::string& Path, struct stat& Directory);

// A file being written, not yet visible at Path. Discarded unless published.
struct Pending_File {
    std::string Path;
    Owned_Fd Fd;
    std::string Temp_Path; // the hidden name, where unnamed files are not supported

    Pending_File() = default;
    Pending_File(const Pending_File&) = delete;
    Pending_File& operator=(const Pending_File&) = delete;
    ~Pending_File(); // removes the hidden name of a file not published
};

// Creates in File the file that will be published at Path, in Path's directory. Fails
// when the directory is missing or the file cannot be created there.
void Create_Pending(Pending_File& File, const std::string& Path);

enum class Publish_Result {
    Published,
    Already_There // a regular file appeared at the path meanwhile; it is left alone
};

// Writes Content, then links the file at its path and closes it. Every write, link
// and close error is a failure naming the path.
Publish_Result Publish(Pending_File& File, std::string_view Content);

} // namespace adaskel
