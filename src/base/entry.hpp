// What the programs share at their entry: their exit statuses, and the one place where
// every failure of a run is caught and reported.
#pragma once

#include "base/console.hpp"

#include <functional>
#include <span>
#include <string_view>

namespace adaskel {

inline constexpr int Exit_Complete = 0;
inline constexpr int Exit_Failure = 1;      // a failure reported on standard error
inline constexpr int Exit_Command_Line = 2; // the command line was refused

// The arguments after a program's name.
using Arguments_After = std::span<const char* const>;

// Holds closed standard descriptors on /dev/null and ignores SIGPIPE, then returns what
// Body returns for main's arguments, once the text Out holds is written. A failure Body
// raises ends Out's open line, writes what Out holds, and is written on standard error as
// "<Program>: <message>"; the status is then Exit_Failure.
int Run_Program(Console& Out, std::string_view Program, int Count, char** Words,
                const std::function<int(Arguments_After)>& Body);

} // namespace adaskel
