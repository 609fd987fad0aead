// The project adaskel-layout derives from the list and the tree, ROOT/ROOT_tree.gpr, which
// ROOT.gpr takes its sources and naming from: formed here so that adaskel-check can tell
// whether the one in the tree still follows the list.
#pragma once

#include "base/text_pieces.hpp"
#include "inputs/run_record.hpp"
#include "names/ada_names.hpp"

#include <string>
#include <string_view>

namespace adaskel {

// Text as a GPR string literal: in quotation marks, each one in it doubled.
std::string Gpr_Literal(std::string_view Text);

// The project name of Root: raised as a unit name is (the root holds no "-").
std::string Gpr_Project_Name(std::string_view Root);

// Puts the text of the derived abstract project Root_Tree to Put, piece by piece: a
// Source_Dirs list of the directory of each file a run writes (relative to the root) and
// of each directory of the tree holding the spec of a parent that is not listed, which
// the check's parent rule relies on (found with Is_File); and a Naming exception for each
// file of the run whose name is not the one GNAT gives its unit. It holds nothing that
// grows with the list but a few bytes a unit.
void Put_Tree_Gpr_Text(const Run_Record& Record, const File_Test& Is_File, const Piece_Sink& Put);

} // namespace adaskel
