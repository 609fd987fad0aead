// Standard output of the run. A failed write is a failure of the run, never ignored.
#include "base/console.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <string>

namespace adaskel {

namespace {

[[noreturn]] void Raise_Write_Failure(int Error) {
    throw Run_Failure("cannot write to standard output: " + Errno_Text(Error));
}

void Write_Out(int Fd, std::string_view Text) {
    if (const int Error = Write_All(Fd, Text); Error != 0) {
        Raise_Write_Failure(Error);
    }
}

// Text, then a line end when Line_End: written at once, or held by a buffered console.
void Write_Console(Console& Out, std::string_view Text, bool Line_End, bool Open_After) {
    if (Out.Fd == No_Console) {
        return;
    }
    if (Out.Buffered) {
        Out.Held += Text;
        if (Line_End) {
            Out.Held += '\n';
        }
        if (Out.Held.size() >= Console_Buffer) {
            Flush(Out);
        }
    } else if (Line_End) {
        Write_Out(Out.Fd, std::string(Text) + '\n');
    } else {
        Write_Out(Out.Fd, Text);
    }
    Out.Line_Open = Open_After;
}

} // namespace

void Put_Line(Console& Out, std::string_view Text) {
    Write_Console(Out, Text, true, false);
}

void Put(Console& Out, std::string_view Text) {
    if (!Text.empty()) {
        Write_Console(Out, Text, false, true);
    }
}

void End_Open_Line(Console& Out) {
    if (Out.Line_Open) {
        Write_Console(Out, "", true, false);
    }
}

void Flush(Console& Out) {
    if (Out.Held.empty()) {
        return;
    }
    // Dropped before the error is raised, so that the report of the failure does not
    // write any of it again.
    const int Error = Write_All(Out.Fd, Out.Held);
    Out.Held.clear();
    if (Error != 0) {
        Raise_Write_Failure(Error);
    }
}

} // namespace adaskel
