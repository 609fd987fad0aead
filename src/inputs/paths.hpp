// The paths of the generated files, built from the raw project lines. Nothing but the
// names, "/" and fixed lower-case words: the paths are relative to the current directory.
#pragma once

#include <string>
#include <string_view>

namespace adaskel {

// Root/Root/src/Root.adb: the main procedure's body file.
std::string Body_Path(std::string_view Root_Name);

// Root/Unit/src/lib/Unit.ads: a library unit's spec file.
std::string Spec_Path(std::string_view Root_Name, std::string_view Unit_File_Name);

// Root/Root.gpr: the GPR project file the user owns, written once.
std::string Gpr_Path(std::string_view Root_Name);

// Root/Root_tree.gpr: the abstract project derived from the list and the tree, which
// Root.gpr takes its sources and naming from; rewritten by every layout.
std::string Tree_Gpr_Path(std::string_view Root_Name);

// Root/alire.toml: the Alire crate, the user's once written.
std::string Crate_Path(std::string_view Root_Name);

} // namespace adaskel
