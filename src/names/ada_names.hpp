// The checker of a project's unit names: what gprbuild, building the files adaskel
// writes through the GPR file adaskel-layout writes, will refuse, found before they are
// written; gnatmake is named where it does otherwise. It judges each unit by Ada's rules
// and GNAT's tables (names/ada_lexicon.hpp), and against the units listed before it.
#pragma once

#include "inputs/ada_units.hpp"
#include "inputs/run_record.hpp"
#include "names/ada_lexicon.hpp"
#include "names/check_rules.hpp"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace adaskel {

// Tells whether a regular file is at a path of the tree.
using File_Test = std::function<bool(const std::string& Path)>;

// The diagnostics of the units of Record, ordered by unit. A parent
// that is not in the project file is looked for, with Is_File, where the run would write
// its spec: Root/P/src/lib/P.ads, P being the file name GNAT gives the parent. With
// Files_Named, the GPR file names every file that is not named as GNAT expects (a Naming
// exception each, as adaskel-layout derives them), so a file's name is not judged.
std::vector<Diagnostic> Check_Ada_Units(const Run_Record& Record, const File_Test& Is_File,
                                        bool Files_Named = false);

} // namespace adaskel
