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

// Root/.adaskel/Root_tree.gpr: the abstract project derived from the list and the tree,
// which Root.gpr takes its sources and naming from; rewritten by every layout. It is kept
// out of Root/ so that Root.gpr is the one project file there, the one an editor's
// language server loads; a directory whose name starts with "." is never a unit's, since
// a line holding "." is refused.
std::string Tree_Gpr_Path(std::string_view Root_Name);

// Root/Root_tree.gpr: where the derived project was before it moved below Root/.adaskel;
// a Root.gpr written then withs it there, so a layout keeps it up to date while it is
// there.
std::string Old_Tree_Gpr_Path(std::string_view Root_Name);

// The Alire crate's name: the root in ASCII lower case.
std::string Crate_Name(std::string_view Root_Name);

// Root/config/root_config.gpr (the root in lower case, as the crate's name): the Alire
// crate's configuration, which Root.gpr takes its compiler switches from; alr writes it
// for the build profile of each build.
std::string Config_Gpr_Path(std::string_view Root_Name);

// Root/.als.json: the Ada Language Server's settings for the folder Root, naming Root.gpr.
std::string Als_Json_Path(std::string_view Root_Name);

// Path, a path below Root, as seen from Root (the directory of Root.gpr, which GPR
// resolves the paths it holds against).
std::string_view From_Root(std::string_view Root_Name, std::string_view Path);

// Root/alire.toml: the Alire crate, the user's once written.
std::string Crate_Path(std::string_view Root_Name);

} // namespace adaskel
