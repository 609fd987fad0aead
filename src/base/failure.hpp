// Failures of a run: the problem found in one item (where it is and what is wrong), the
// one exception type that carries it to the program entry's report, and helpers that make
// file names and system errors readable in a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace adaskel {

// What one judgement found wrong. adaskel raises it as its report; adaskel-check prints it
// at its place and goes on.
struct Problem {
    std::string File;      // the file it is about, as named ("" when none)
    std::int32_t Line = 0; // the line of File it is about; 0 when none applies
    std::string Message;   // what is wrong, whole, as a diagnostic at File:Line says it
    std::string Lead{};    // what a run's report puts before Message ("" when nothing)
};

// Every unhandled failure of the run is raised as this; the program entry reports it.
struct Run_Failure : std::runtime_error {
    explicit Run_Failure(Problem Found_Problem)
        : std::runtime_error(Found_Problem.Lead + Found_Problem.Message),
          Found(std::move(Found_Problem)) {}
    // A failure that concerns no one file, such as the clock or standard output.
    explicit Run_Failure(const std::string& Message) : Run_Failure(Problem{{}, 0, Message}) {}
    Problem Found;
};

// The name with control characters and backslashes escaped, so that a stray carriage
// return or line feed in a name shows and cannot break a line of a report.
std::string Escape(std::string_view Name);

// The most bytes of a name or line a report quotes: a line of a hundred megabytes must
// not become a report of as many.
inline constexpr std::size_t Quoted_Bytes = 200;

// The escaped name, a longer one cut as Quote cuts it: its first Quoted_Bytes bytes,
// followed by "... (N bytes)" giving its length.
std::string Shorten(std::string_view Name);

// The escaped name in single quotes, as reports name files and lines. A longer name is
// quoted by its first Quoted_Bytes bytes, followed by "... (N bytes)" giving its length.
std::string Quote(std::string_view Name);

// The text of a system error number, lower-cased at its first letter as reports are.
std::string Errno_Text(int Error_Number);

// Raises "<what> <quoted path>: <errno text>", about Path at Line.
[[noreturn]] void Raise_System_Failure(std::string_view What, std::string_view Path,
                                       int Error_Number, std::int32_t Line = 0);

} // namespace adaskel
