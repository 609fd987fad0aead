// Replacing a file whole: the one file the programs ever rewrite (the project derived from
// the list) is written under a hidden name, made durable, and renamed over its path, so
// that the path holds the old text or the new one, complete, even after a power loss.
#pragma once

#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"

#include <optional>
#include <string>

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

} // namespace adaskel
