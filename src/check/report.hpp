// The check's report in its three formats: the text lines people and compilers' error
// parsers read (the default), JSON (one object a line, for scripts and editor plugins)
// and SARIF 2.1.0 (for code scanning). Every entry is formed once, and each format is
// made of the same fields, so the formats never tell different things.
#pragma once

#include "base/console.hpp"
#include "names/check_rules.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace adaskel {

enum class Report_Format { Text, Json, Sarif };

// The format named by the value of "--format=": none for a name it is not.
std::optional<Report_Format> To_Report_Format(std::string_view Name);

enum class Entry_Kind {
    Plan,       // what the run does at one file
    Hint,       // what the user may run to go on
    Diagnostic, // an error or a warning, found by one rule
    Summary     // the counts, last
};

struct Report_Entry {
    Entry_Kind Kind = Entry_Kind::Diagnostic;
    std::string Path{};               // as the text report shows it ("" for none)
    std::int32_t Line = 0;            // the line of Path, 0 for none
    std::string_view Severity{};      // "error", "warning", "note" or "none"
    std::optional<Check_Rule> Rule{}; // for a diagnostic or a plan line's error
    std::string Message{};            // a plan line's action or problem, the rest's text
    std::string Unit{};               // what a result is about, beyond its rule and path
};

// The report as it is written: on Out, as each entry comes in, or for SARIF, which is one
// document, the results gathered and written whole when the report ends.
struct Report_Writer {
    Console& Out;
    Report_Format Format = Report_Format::Text;
    std::string Results{}; // the SARIF results so far, each on its own line
};

void Put_Entry(Report_Writer& Writer, const Report_Entry& Entry);

// Ends the report: for SARIF, writes the document, naming the check's Version.
void Finish_Report(Report_Writer& Writer, std::string_view Version);

} // namespace adaskel
