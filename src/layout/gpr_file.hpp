// The GPR project files of the tree. ROOT.gpr is the user's: written once, never
// rewritten, it takes its sources and naming from ROOT_tree.gpr, an abstract project
// derived from the list and the tree that every layout rewrites, so that the build
// follows the list without a hand edit and without losing one.
#pragma once

#include "base/console.hpp"
#include "inputs/run_record.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// The project Root (an identifier, written with its first letter raised) that withs the
// derived project and takes its Source_Dirs and Naming, and whose main is the body file
// Main; objects go into obj/ and the program into bin/ beside the project file.
std::string Gpr_Text(std::string_view Root, std::string_view Main);

// The derived abstract project Root_Tree: a Source_Dirs list of Unit_Dirs (relative to
// the root) and of each directory of the tree holding the spec of a parent that is not
// listed, which the check's parent rule relies on; and a Naming exception for each file
// of the run whose name is not the one GNAT gives its unit.
std::string Tree_Gpr_Text(const Run_Record& Record, std::vector<std::string> Unit_Dirs);

// Creates the file at Path with Text, and puts "created PATH" on Out; a regular file at
// Path is left alone, and anything else there fails, as for adaskel's files.
void Write_New_File(Console& Out, const std::string& Path, std::string_view Text);

} // namespace adaskel
