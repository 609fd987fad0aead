// The layout sequence: the command line, the project file read as a run reads it, the
// names judged, then the directories of the tree and its GPR project file.
#pragma once

#include "layout/layout_record.hpp"

#include <span>

namespace adaskel {

// Lays out the tree with the arguments after the program name. Returns Exit_Complete,
// or Exit_Command_Line when the arguments are refused; every other failure is raised.
int Layout_Sequence(Layout_Record& Layout, std::span<const char* const> Arguments);

} // namespace adaskel
