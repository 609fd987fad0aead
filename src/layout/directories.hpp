// Creating the directories of the tree, one level at a time, without ever following a
// symbolic link: each level is created and opened relative to its parent's descriptor,
// and a level that is not a real directory stops the run. Every level made or found is
// made durable at the end, by one sync of each file system the tree spans.
#pragma once

#include "base/console.hpp"
#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace adaskel {

// The file systems of the tree a layout walked, to be made durable. Its paths are not
// kept: a tree has one per unit, and they are walked again only when a syncfs fails.
struct Walked_Tree {
    std::vector<dev_t> Devices;    // each file system a level made or found is on
    std::vector<Owned_Fd> Syncers; // a directory of each, opened for syncfs (-1: none)
};

// A call for each path of a walk.
using Path_Visit = std::function<void(const std::string&)>;

// Calls its Path_Visit with each of a list of relative paths, in order, and with the
// same ones each time it is called.
using Path_Walk = std::function<void(const Path_Visit&)>;

// Creates each missing level of Path, a relative path of names joined by single "/",
// with mode 0777 less the umask, and puts "created LEVEL/" on Out for each. Fails,
// naming the level, when one is a symbolic link or not a directory, or cannot be made.
// Returns the last level, opened with O_PATH.
Owned_Fd Make_Directory(Console& Out, Walked_Tree& Tree, const std::string& Path);

// Makes each path Paths visits as Make_Directory does, in their order. The levels a path
// shares with the one before are kept open from it, and neither made nor opened again:
// the directories of a tree share their first levels.
void Make_Directories(Console& Out, Walked_Tree& Tree, const Path_Walk& Paths);

// What would stop Make_Directories on Paths now, if anything, found without creating
// anything: the first level that is there but is a symbolic link or not a directory. A
// missing level is none: it and the levels below it would be made.
std::optional<Problem> Blocking_Level(const Path_Walk& Paths);

// Makes every level walked durable by a syncfs of each file system. Where one fails,
// fsyncs instead each level of each path Paths visits, each once, and the current
// directory: Paths visits the directories walked and the files to sync with them.
void Make_Durable(const Walked_Tree& Tree, const Path_Walk& Paths);

} // namespace adaskel
