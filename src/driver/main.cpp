// adaskel: writes the Ada source skeletons of a project into its existing tree.
// A thin entry point: the run sequence does the work, and every failure is reported here.
#include "driver/failure.hpp"
#include "driver/run.hpp"

#include <csignal>
#include <exception>
#include <fcntl.h>
#include <new>
#include <span>
#include <unistd.h>

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

} // namespace

int main(int argc, char** argv) {
    Hold_Standard_Descriptors();
    // A reader that went away is a write error to report, not a silent death mid-run.
    (void)::signal(SIGPIPE, SIG_IGN);
    adaskel::Run_Record Record;
    try {
        const std::span<const char* const> All(argv, static_cast<std::size_t>(argc));
        return adaskel::Run_Sequence(Record, All.subspan(All.empty() ? 0 : 1));
    } catch (const adaskel::Run_Failure& Failure) {
        adaskel::Report_Failure(Record, Failure.what());
    } catch (const std::bad_alloc&) {
        adaskel::Report_Failure(Record, "out of memory");
    } catch (const std::exception& Failure) {
        adaskel::Report_Failure(Record, Failure.what());
    }
    return adaskel::Exit_Failure;
}
