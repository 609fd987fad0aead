// The options only adaskel-check takes: the report's format and the gate that makes a
// warning fail, taken off its command line before the arguments a run takes.
#pragma once

#include "check/report.hpp"

#include <optional>
#include <span>
#include <vector>

namespace adaskel {

struct Check_Options {
    Report_Format Format = Report_Format::Text; // the last "--format=FORMAT" in force
    bool Strict = false;                        // "--warnings-as-errors": a warning fails
    std::vector<const char*> Arguments;         // the rest, as a run takes them
};

// The gate is an option anywhere on the line; the formats come first, before the project
// file. None, with the refusal on standard error, for a format that is not one of the
// three: the command line is then refused as a whole.
std::optional<Check_Options> Take_Check_Options(std::span<const char* const> Given);

} // namespace adaskel
