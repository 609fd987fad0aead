// Replacing a file whole: the one file the programs ever rewrite (the project derived from
// the list) is written under a hidden name, made durable, and renamed over its path, so
// that the path holds the old text or the new one, complete, even after a power loss.
#pragma once

#include "writers/atomic_file.hpp"

#include <string>
#include <string_view>

namespace adaskel {

// Makes the file at Path, in Directory, hold Content, replacing whatever is there by its
// name (a link is replaced, not followed). Returns false, changing nothing, when a regular
// file there holds Content already. Once it returns true, the new file and its name are
// durable.
bool Replace_File(const Shared_Directory& Directory, const std::string& Path,
                  std::string_view Content);

} // namespace adaskel
