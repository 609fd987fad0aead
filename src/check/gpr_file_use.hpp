// What the check says about the tree's GPR file and the derived project it takes its
// sources from: a GPR file that cannot be read, withs the derived project at its old
// place or not at all, and a derived project that is missing, stale or refused.
#pragma once

#include "base/failure.hpp"
#include "check/context_clause.hpp"
#include "inputs/run_record.hpp"
#include "names/check_rules.hpp"

#include <vector>

namespace adaskel {

struct Gpr_File_Use {
    // The tree's GPR file, if there, takes its sources and naming from the derived project
    // (or, when it is not there, adaskel-layout will write one that does; when it cannot
    // be read, what it takes is unknown and it is taken as one that does).
    bool Files_Named = true;
    std::vector<Diagnostic> Found; // in the order they are reported
};

// Judges the tree's GPR file, whose with clauses are Withs. The derived project is judged
// only when adaskel-layout would rewrite it (not Layout_Refuses): otherwise the errors,
// or the finding of its refusal, say why it would not.
Gpr_File_Use Judge_Gpr_File(const Run_Record& Inputs, const Gpr_Withs& Withs, bool Layout_Refuses);

// The finding at the derived project's path, where adaskel-layout refuses to rewrite it
// for Found: an error where gprbuild then cannot build (no GPR file would be written, or
// the one there takes its sources from a path holding no file), a warning otherwise.
Diagnostic Tree_Gpr_Refused(const Run_Record& Inputs, const Gpr_Withs& Withs, const Problem& Found);

} // namespace adaskel
