// Standard output of the run. A failed write is a failure of the run, never ignored.
#include "base/console.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <string>

namespace adaskel {

namespace {

void Write_Console(Console& Out, std::string_view Text, bool Open_After) {
    if (Out.Fd == No_Console) {
        return;
    }
    if (const int Error = Write_All(Out.Fd, Text); Error != 0) {
        throw Run_Failure("cannot write to standard output: " + Errno_Text(Error));
    }
    Out.Line_Open = Open_After;
}

} // namespace

void Put_Line(Console& Out, std::string_view Text) {
    Write_Console(Out, std::string(Text) + '\n', false);
}

void Put(Console& Out, std::string_view Text) {
    if (!Text.empty()) {
        Write_Console(Out, Text, true);
    }
}

void End_Open_Line(Console& Out) {
    if (Out.Line_Open) {
        Write_Console(Out, "\n", false);
    }
}

} // namespace adaskel
