// The console: the run's messages on standard output, written unbuffered so that every
// message is out (or its failure known) before the next step of the run starts.
#pragma once

#include <string_view>

namespace adaskel {

// A console whose Fd is No_Console discards its text: the checker goes through a run's
// own input steps without the run's messages.
inline constexpr int No_Console = -1;

struct Console {
    int Fd = 1;
    bool Line_Open = false; // the last text written had no line end
};

// Writes Text followed by a line end.
void Put_Line(Console& Out, std::string_view Text);

// Writes Text without a line end; the console line stays open.
void Put(Console& Out, std::string_view Text);

// Ends the console line if a text without a line end was the last one written.
void End_Open_Line(Console& Out);

} // namespace adaskel
