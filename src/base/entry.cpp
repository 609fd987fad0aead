// The programs' common entry and their one failure report.
#include "base/entry.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <csignal>
#include <exception>
#include <fcntl.h>
#include <new>
#include <string>
#include <unistd.h>

namespace adaskel {

namespace {

// A closed standard descriptor would be taken by the next file opened, and console
// text would then go into that file. Holding each closed one on /dev/null, read-only,
// keeps the numbers taken; a write to a closed standard output then fails as it should.
void Hold_Standard_Descriptors() {
    for (int Fd = 0; Fd <= 2; ++Fd) {
        if (::fcntl(Fd, F_GETFD) < 0) {
            const int Held = ::open("/dev/null", O_RDONLY);
            if (Held >= 0 && Held != Fd) {
                ::close(Held);
            }
        }
    }
}

void Report_Failure(Console& Out, std::string_view Program, std::string_view Message) {
    try {
        End_Open_Line(Out);
        Flush(Out); // what was put before the failure comes out before its report
    } catch (const Run_Failure&) {
        // Standard output is broken; the report on standard error still goes out.
        Out.Line_Open = false;
    }
    std::string Line(Program);
    Line += ": ";
    Line.append(Message);
    Line += '\n';
    Write_All(STDERR_FILENO, Line);
}

} // namespace

int Run_Program(Console& Out, std::string_view Program, int Count, char** Words,
                const std::function<int(Arguments_After)>& Body) {
    const Arguments_After All(Words, static_cast<std::size_t>(Count));
    Hold_Standard_Descriptors();
    // A reader that went away, or a file-size limit reached, is a write error to report
    // (EPIPE, EFBIG), not a silent death mid-run.
    (void)::signal(SIGPIPE, SIG_IGN);
    (void)::signal(SIGXFSZ, SIG_IGN);
    try {
        const int Status = Body(All.subspan(All.empty() ? 0 : 1));
        Flush(Out);
        return Status;
    } catch (const Run_Failure& Failure) {
        Report_Failure(Out, Program, Failure.what());
    } catch (const std::bad_alloc&) {
        Report_Failure(Out, Program, "out of memory");
    } catch (const std::exception& Failure) {
        Report_Failure(Out, Program, Failure.what());
    }
    return Exit_Failure;
}

} // namespace adaskel
