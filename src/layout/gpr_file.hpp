// The GPR project files of the tree. ROOT.gpr is the user's: written once, never
// rewritten, it takes its sources and naming from ROOT_tree.gpr, an abstract project
// derived from the list and the tree that every layout rewrites, so that the build
// follows the list without a hand edit and without losing one.
#pragma once

#include "base/console.hpp"
#include "writers/atomic_file.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// The project Root (an identifier, written with its first letter raised) that withs the
// derived project and takes its Source_Dirs and Naming, and whose main is the body file
// Main; objects go into obj/ and the program into bin/ beside the project file.
std::string Gpr_Text(std::string_view Root, std::string_view Main);

// Creates the file at Path, in Directory, with Text and its data durable, and puts
// "created PATH" on Out; a regular file at Path is left alone, and anything else there
// fails, as for adaskel's files. A regular file that another writer put at Path while
// this one was written is left alone too, with "exists PATH" on Out. The name is durable
// once the caller syncs the file system.
void Write_New_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text);

} // namespace adaskel
