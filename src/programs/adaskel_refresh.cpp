// adaskel-refresh: brings the header of every generated file in step with the texts it
// comes from, as the check reports it drifted: lines 1 to 17 and 19 as a run writes them
// now, the date and the copyright year as they were, every byte after the header
// untouched. Each file is replaced by a rename, durable before it; a file it must not or
// cannot rewrite is left and named. It never creates a file or a directory.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "check/header_drift.hpp"
#include "inputs/command_line.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "writers/header.hpp"
#include "writers/replaced_file.hpp"

#include <algorithm>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace adaskel {

namespace {

struct Refresh_Record {
    Console Out{.Buffered = true};
    Run_Record Inputs; // its console discards the run's messages
    std::int32_t Left = 0;
    // One directory of each file system written to, synced once at the end, with the
    // file system's device and a path that names it in a failure.
    std::vector<Shared_Directory> To_Sync;
    std::vector<dev_t> Synced_Devices;
    std::vector<std::string> Synced_Paths;
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

// Notes Directory's file system for the sync at the end, once.
void Note_File_System(Refresh_Record& Run, const Header_Drift& Drift, const std::string& Path) {
    const auto& Devices = Run.Synced_Devices;
    if (std::find(Devices.begin(), Devices.end(), Drift.Status.st_dev) != Devices.end()) {
        return;
    }
    Run.To_Sync.push_back(Drift.Directory);
    Run.Synced_Devices.push_back(Drift.Status.st_dev);
    Run.Synced_Paths.push_back(Path);
}

void Refresh_One(Refresh_Record& Run, const Header& Now, const std::string& Path) {
    const Header_Drift Drift = Judge_Header_Drift(Run.Inputs, Now, Path, true);
    if (Drift.Left) {
        Report_Left(Run, Path, *Drift.Left);
        return;
    }
    if (Drift.Fields.empty()) {
        return;
    }
    const std::string_view Rest = std::string_view(Drift.Bytes).substr(Header_Size(Drift));
    const bool Rewritten =
        Rewrite_File(Drift.Directory, Path, Drift.Status, [&](const Piece_Sink& Put) {
            Put(Drift.Refreshed);
            Put(Rest);
        });
    if (!Rewritten) {
        Report_Left(Run, Path, Changed_Refusal());
        return;
    }
    Note_File_System(Run, Drift, Path);
    Put_Line(Run.Out, "refreshed " + Escape(Path) + ": " + Change_Summary(Drift));
}

int Refresh_Sequence(Refresh_Record& Run, std::span<const char* const> Arguments) {
    Run_Record& Inputs = Run.Inputs;
    if (const auto Status = Start_Companion(Run.Out, Inputs, "adaskel-refresh", Help, Arguments)) {
        return *Status;
    }
    const Header Now = Form_Header(Inputs);
    Each_Output_File(Inputs, [&](const Output_File& File) { Refresh_One(Run, Now, File.Path); });
    for (std::size_t I = 0; I < Run.To_Sync.size(); ++I) {
        Sync_File_System(*Run.To_Sync[I], Run.Synced_Paths[I]);
    }
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
