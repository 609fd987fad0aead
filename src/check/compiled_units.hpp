// Which listed units gprbuild compiles: only the main's closure, the units the main body
// withs, their parents, and the units their own sources with, and so on. A GPR file cannot
// ask for more ("-U" is for the command line only), and the body a run writes is written
// once, so a unit added to the list later is never compiled unless a source withs it.
#pragma once

#include "inputs/run_record.hpp"
#include "names/ada_names.hpp"

#include <vector>

namespace adaskel {

// A warning, at its line of the list, for each listed package outside the main's closure
// as the sources in the tree have it; none when there is no body file or its context
// clause cannot be read whole. Reads the context clauses of the closure's specs and
// bodies in the tree only while some listed package is not yet found in it.
std::vector<Diagnostic> Uncompiled_Units(const Run_Record& Record);

} // namespace adaskel
