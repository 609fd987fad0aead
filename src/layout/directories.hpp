// Creating the directories of the tree, one level at a time, without ever following a
// symbolic link: each level is created and opened relative to its parent's descriptor,
// and a level that is not a real directory stops the run. Every level made or found is
// made durable at the end, by one sync of each file system the tree spans.
#pragma once

#include "base/console.hpp"
#include "base/owned_fd.hpp"

#include <string>
#include <sys/types.h>
#include <vector>

namespace adaskel {

// The file systems and paths of the tree a layout walked, to be made durable.
struct Walked_Tree {
    std::vector<dev_t> Devices;    // each file system a level made or found is on
    std::vector<Owned_Fd> Syncers; // a directory of each, opened for syncfs (-1: none)
    std::vector<std::string> Paths; // the directories walked, and files to sync
};

// Creates each missing level of Path, a relative path of names joined by single "/",
// with mode 0777 less the umask, and puts "created LEVEL/" on Out for each. Fails,
// naming the level, when one is a symbolic link or not a directory, or cannot be made.
// Returns the last level, opened with O_PATH.
Owned_Fd Make_Directory(Console& Out, Walked_Tree& Tree, const std::string& Path);

// Makes each of Paths as Make_Directory does, in their order. The levels a path shares
// with the one before are kept open from it, and neither made nor opened again: the
// directories of a tree share their first levels.
void Make_Directories(Console& Out, Walked_Tree& Tree, const std::vector<std::string>& Paths);

// Makes every level walked durable, and the files added to Tree.Paths: a syncfs of each
// file system, or where that fails, an fsync of each directory and file.
void Make_Durable(const Walked_Tree& Tree);

} // namespace adaskel
