// adaskel-refresh: brings the header of every generated file in step with the texts it
// comes from, as the check reports it drifted: lines 1 to 17 and 19 as a run writes them
// now, the date and the copyright year as they were, every byte after the header
// untouched. Each file is replaced by a rename, durable before it; a file it must not or
// cannot rewrite is left and named. It never creates a file or a directory.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "check/header_drift.hpp"
#include "inputs/command_line.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "writers/header.hpp"
#include "writers/replaced_file.hpp"

#include <string>
#include <unistd.h>

namespace adaskel {

namespace {

struct Refresh_Record {
    Console Out{.Buffered = true};
    Run_Record Inputs; // its console discards the run's messages
    std::int32_t Left = 0;
};

constexpr std::string_view Help =
    "Rewrites the header of every file adaskel wrote for the project whose header no longer\n"
    "says what the texts say (version, abstract, holder, licence, main procedure), as\n"
    "adaskel-check reports it. The date and the copyright year stay, and so does every byte\n"
    "after the header. A file that is a link, has other names, or has another header is\n"
    "left as it is and named.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 every drifted header rewritten, 1 a file left or a failure,\n"
    "2 the command line refused.";

void Report_Left(Refresh_Record& Run, const std::string& Path, const Refusal& Why) {
    ++Run.Left;
    Write_All(STDERR_FILENO,
              "adaskel-refresh: " + Escape(Path) + ": not refreshed: " + Why.Reason + '\n');
}

void Refresh_One(Refresh_Record& Run, Rewrite_Batch& Batch, const Header& Now,
                 const std::string& Path) {
    const Header_Drift Drift = Judge_Header_Drift(Run.Inputs, Now, Path, true);
    if (Drift.Left) {
        Report_Left(Run, Path, *Drift.Left);
        return;
    }
    if (Drift.Fields.empty()) {
        return;
    }
    const std::string_view Rest = std::string_view(Drift.Bytes).substr(Drift.Header_Size);
    const int Refused = Add_Rewrite(
        Batch, Drift.Directory, Path, Drift.Status,
        [&](const Piece_Sink& Put) {
            Put(Drift.Refreshed);
            Put(Rest);
        },
        "refreshed " + Escape(Path) + ": " + Change_Summary(Drift));
    if (Refused != 0) {
        Report_Left(Run, Path, Unwritable_Refusal(Refused));
    }
}

// Each file is said refreshed once its new text is renamed over it, or left when it
// changed since it was read.
void Report_Done(Refresh_Record& Run, const Rewrite& File, bool Renamed) {
    if (Renamed) {
        Put_Line(Run.Out, File.Note);
    } else {
        Report_Left(Run, File.File.Path, Changed_Refusal());
    }
}

int Refresh_Sequence(Refresh_Record& Run, std::span<const char* const> Arguments) {
    Run_Record& Inputs = Run.Inputs;
    if (const auto Status = Start_Companion(Run.Out, Inputs, "adaskel-refresh", Help, Arguments)) {
        return *Status;
    }
    const Header Now = Form_Header(Inputs);
    With_Rewrites([&](const Rewrite& File, bool Renamed) { Report_Done(Run, File, Renamed); },
                  [&](Rewrite_Batch& Batch) {
                      Each_Output_File(Inputs, [&](const Output_File& File) {
                          Refresh_One(Run, Batch, Now, File.Path);
                      });
                  });
    return Run.Left == 0 ? Exit_Complete : Exit_Failure;
}

} // namespace

} // namespace adaskel

int main(int argc, char** argv) {
    adaskel::Refresh_Record Run;
    return adaskel::Run_Program(Run.Out, "adaskel-refresh", argc, argv,
                                [&](adaskel::Arguments_After Arguments) {
                                    return adaskel::Refresh_Sequence(Run, Arguments);
                                });
}
