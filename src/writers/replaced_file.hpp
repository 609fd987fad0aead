// Replacing a file whole, by a rename: the project derived from the list, rewritten on
// every layout, and a generated file whose header adaskel-refresh brings in step. The new
// text is written under a hidden name, made durable, and renamed over the path, so that
// the path holds the old text or the new one, complete, even after a power loss.
#pragma once

#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"

#include <optional>
#include <string>
#include <sys/stat.h>

namespace adaskel {

// Makes the file at Path, in Directory, hold the text of Source, replacing a regular file
// there by its name. Returns false, changing nothing, when a regular file there holds that
// text already. Anything else at Path (a directory, a link, a FIFO, a socket) fails the
// call and is left alone, and so does an append-only directory, before a hidden file is
// made there. Once it returns true, the new file and its name are durable. The text is
// formed once to compare, once more to write.
bool Replace_File(const Shared_Directory& Directory, const std::string& Path,
                  const Text_Source& Source);

// What would make Replace_File fail now, if anything, found without changing anything:
// something other than a regular file at Path; and, when the text is to be written, a
// directory that cannot be written or is append-only. A directory that is not there yet
// is none: it is to be made first.
std::optional<Problem> Replacing_Problem(const Shared_Directory& Directory, const std::string& Path,
                                         const Text_Source& Source);

// A directory opened one level at a time without following a symbolic link at any level.
struct Unfollowed_Directory {
    Shared_Directory Directory; // open when Link is empty and Directory->Error is 0
    std::string Link;           // the first level that is a symbolic link, if one is
};

// Opens the directory Path names (relative to the current directory, or absolute). A
// level that is a symbolic link is named in Link and not followed; another failure is
// kept in the directory's Error.
Unfollowed_Directory Open_Unfollowed(const std::string& Path);

// Whether Status, taken now, still describes the file that Read_Status described: the
// same file (device and inode), of the same size and modification time, with one name.
bool Same_File(const struct stat& Read_Status, const struct stat& Status);

// Replaces the regular file at Path, in Directory, by the text of Source, keeping its mode
// (and its owner, where the program may set it), unless the file changed since it was
// read as Read_Status says: then nothing is changed and false is returned. The new data
// is durable before the rename; the rename is durable once the caller syncs the file
// system (Sync_File_System).
bool Rewrite_File(const Shared_Directory& Directory, const std::string& Path,
                  const struct stat& Read_Status, const Text_Source& Source);

// Makes every name changed in Directory's file system durable; Path names it in a failure.
void Sync_File_System(const Output_Directory& Directory, const std::string& Path);

} // namespace adaskel
