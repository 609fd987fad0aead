// Creating the directories of the tree, one level at a time, without ever following a
// symbolic link: each level is created and opened relative to its parent's descriptor,
// and a level that is not a real directory stops the run.
#pragma once

#include "base/console.hpp"

#include <string>

namespace adaskel {

// Creates each missing level of Path, a relative path of names joined by single "/",
// with mode 0777 less the umask, and puts "created LEVEL/" on Out for each. Fails,
// naming the level, when one is a symbolic link or not a directory, or cannot be made.
void Make_Directory(Console& Out, const std::string& Path);

} // namespace adaskel
