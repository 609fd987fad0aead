// The GPR project files of the tree. ROOT.gpr is the user's: written once, never
// rewritten, it takes its sources and naming from .adaskel/ROOT_tree.gpr, an abstract
// project derived from the list and the tree that every layout rewrites, so that the
// build follows the list without a hand edit and without losing one; and its compiler
// switches from the Alire crate's configuration, so that alr's build profiles apply.
// The files beside it that editors and alr read are formed here too.
#pragma once

#include "base/console.hpp"
#include "base/failure.hpp"
#include "base/text_pieces.hpp"
#include "inputs/run_record.hpp"
#include "writers/output_path.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// The project Root (an identifier, written with its first letter raised) that withs the
// derived project and takes its Source_Dirs and Naming, and the crate's configuration and
// takes its Ada compiler switches, and whose main is the body file Main; objects go into
// obj/ and the program into bin/ beside the project file.
std::string Gpr_Text(std::string_view Root, std::string_view Main);

// A stand-in for the configuration project alr writes at Config_Gpr_Path: the variables
// alr's has that the tree may use, with no switch but those of ADAFLAGS, so that a tree
// never built by alr (a fresh layout, a fresh clone, where config/ is ignored) builds
// with gprbuild alone, as it did before the profiles applied. alr replaces it.
std::string Config_Gpr_Text(std::string_view Root);

// The Ada Language Server's settings in Root/, naming Root.gpr as the project to load.
std::string Als_Json_Text(std::string_view Root);

// The derived project's text, from the list and the specs in the tree now.
Text_Source Tree_Gpr_Text(const Run_Record& Inputs);

// Why adaskel-layout refuses, before the first directory is made, to rewrite the derived
// project, at its place or at the old one a tree laid out before it moved still has:
// something other than a regular file there, or a directory where it cannot be replaced.
std::optional<Problem> Tree_Gpr_Refusal(const Run_Record& Inputs);

// Creates the file at Path, in Directory, with Text and its data durable, and puts
// "created PATH" on Out; a regular file at Path is left alone, and anything else there
// fails, as for adaskel's files. A regular file that another writer put at Path while
// this one was written is left alone too, with "exists PATH" on Out. The name is durable
// once the caller syncs the file system.
void Write_New_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text);

} // namespace adaskel
