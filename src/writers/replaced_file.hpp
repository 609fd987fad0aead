// Replacing a file whole, by a rename: the project derived from the list, rewritten on
// every layout, and a generated file whose header adaskel-refresh brings in step. The new
// text is written under a hidden name, made durable, and renamed over the path, so that
// the path holds the old text or the new one, complete, even after a power loss.
#pragma once

#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

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
Unfollowed_Directory Open_Unfollowed(std::string Path);

// A file's new text, written under a hidden name beside it, waiting for its rename.
struct Rewrite {
    Pending_File File;
    struct stat Read_Status {}; // the file's, as it was read
    std::string Note;           // the caller's, handed back once the file is renamed or left
};

// Told of each file of a batch, in order, once it is renamed over its path (Renamed) or
// left because it changed since it was read.
using Rewrite_Done = std::function<void(const Rewrite& File, bool Renamed)>;

// Files rewritten together: their new texts made durable by one sync of each file system
// they are on (on a disk, at far less cost than a sync of each file), then each renamed.
struct Rewrite_Batch {
    std::size_t Capacity = 1;
    std::vector<Rewrite> Written;
    std::vector<dev_t> Devices;          // the file systems written to, and on each one
    std::vector<Owned_Fd> Syncers;       // a directory opened before its first write,
    std::vector<std::string> Sync_Paths; // and a path there that a failed sync names
    Rewrite_Done Done;
};

// Runs Fill on a new batch, then renames what it holds and makes every rename durable:
// once it returns, a power loss takes no new text. When Fill fails, the files written
// before the failure are renamed, and durable, before it is reported.
void With_Rewrites(Rewrite_Done Done, const std::function<void(Rewrite_Batch&)>& Fill);

// Writes Source under a hidden name in Directory, to replace the regular file at Path that
// Read_Status describes, keeping its mode (and its owner, where the program may set it),
// and adds it to the batch, published when full. Returns 0; or, writing nothing, the
// errno by which the directory refused a new file (EACCES, EPERM or EROFS).
int Add_Rewrite(Rewrite_Batch& Batch, const Shared_Directory& Directory, const std::string& Path,
                const struct stat& Read_Status, const Text_Source& Source, std::string Note);

} // namespace adaskel
