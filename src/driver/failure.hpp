// Failures of a run: one exception type carrying a complete, user-facing message,
// and helpers that make file names and system errors readable in that message.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace adaskel {

// Every unhandled failure of the run is raised as this; main reports it once.
struct Run_Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The name with control characters and backslashes escaped, so that a stray carriage
// return or line feed in a name shows and cannot break a line of a report.
std::string Escape(std::string_view Name);

// The escaped name in single quotes, as reports name files and lines.
std::string Quote(std::string_view Name);

// The text of a system error number, lower-cased at its first letter as reports are.
std::string Errno_Text(int Error_Number);

// Raises "<what> <quoted path>: <errno text>".
[[noreturn]] void Raise_System_Failure(std::string_view What, std::string_view Path,
                                       int Error_Number);

} // namespace adaskel
