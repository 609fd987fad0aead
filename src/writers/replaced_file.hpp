// Replacing a file whole: the one file the programs ever rewrite (the project derived from
// the list) is written under a hidden name, made durable, and renamed over its path, so
// that the path holds the old text or the new one, complete, even after a power loss.
#pragma once

#include "base/text_pieces.hpp"
#include "writers/atomic_file.hpp"

#include <string>

namespace adaskel {

// Makes the file at Path, in Directory, hold the text of Source, replacing whatever is
// there by its name (a link is replaced, not followed). Returns false, changing nothing,
// when a regular file there holds that text already. Once it returns true, the new file
// and its name are durable. The text is formed once to compare, once more to write.
bool Replace_File(const Shared_Directory& Directory, const std::string& Path,
                  const Text_Source& Source);

} // namespace adaskel
