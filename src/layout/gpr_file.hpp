// The GPR project file of the tree: what gprbuild needs to build the generated sources
// (their directories and the main body file), published as adaskel publishes its files.
#pragma once

#include "base/console.hpp"
#include "writers/atomic_file.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// The project Root (an identifier, written with its first letter raised) whose sources
// are in Source_Dirs, relative to the project file's directory, and whose main is the
// body file Main; objects go into obj/ and the program into bin/ beside the project file.
std::string Gpr_Text(std::string_view Root, const std::vector<std::string>& Source_Dirs,
                     std::string_view Main);

// Creates the file at Path, in Directory, with Text and its data durable, and puts
// "created PATH" on Out; a regular file at Path is left alone, and anything else there
// fails, as for adaskel's files. A regular file that another writer put at Path while
// this one was written is left alone too, with "exists PATH" on Out. The name is durable
// once the caller syncs the file system.
void Write_Gpr_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text);

} // namespace adaskel
