// The console: the run's messages on standard output, written unbuffered so that every
// message is out (or its failure known) before the next step of the run starts. A
// companion whose report is many lines, and whose steps change nothing, holds its text
// in a buffer instead, written when full and at the end.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace adaskel {

// A console whose Fd is No_Console discards its text: the checker goes through a run's
// own input steps without the run's messages.
inline constexpr int No_Console = -1;

// The buffer of a buffered console: large enough that a report of a million lines takes
// a few hundred writes, small enough to cost nothing to a short one.
inline constexpr std::size_t Console_Buffer = std::size_t{64} * 1024;

struct Console {
    int Fd = 1;
    bool Line_Open = false; // the last text written had no line end
    bool Buffered = false;  // text is held in Held, written once Console_Buffer bytes wait
    std::string Held{};
};

// Writes Text followed by a line end.
void Put_Line(Console& Out, std::string_view Text);

// Writes Text without a line end; the console line stays open.
void Put(Console& Out, std::string_view Text);

// Ends the console line if a text without a line end was the last one written.
void End_Open_Line(Console& Out);

// Writes the text a buffered console holds; a write error fails as any console write.
// Called before anything else is written on another descriptor, and at the end.
void Flush(Console& Out);

} // namespace adaskel
