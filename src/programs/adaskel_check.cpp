// adaskel-check: tells what adaskel would create, skip and fail on in this directory, and
// what the Ada compiler would refuse, writing nothing. Each input step is the run's own;
// a failure it raises is what the run would stop on, so here it becomes an error line and
// the check goes on to find the rest. Failures of the check itself, such as a standard
// output that cannot be written, end the check.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "base/path_parts.hpp"
#include "base/text_pieces.hpp"
#include "check/context_clause.hpp"
#include "check/crate_drift.hpp"
#include "check/header_drift.hpp"
#include "check/header_texts.hpp"
#include "check/plan.hpp"
#include "inputs/command_line.hpp"
#include "inputs/licence_kind.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "layout/crate.hpp"
#include "names/ada_names.hpp"
#include "names/tree_names.hpp"
#include "names/tree_project.hpp"
#include "writers/atomic_file.hpp"
#include "writers/header.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace adaskel {

namespace {

// The values of one check, owned by its main: the inputs a run would read, read the run's
// own way but silently, the check's own console, and the counts of its summary.
struct Check_Record {
    // The check's report, on standard output. The check changes nothing, so its report
    // is held until a buffer is full.
    Console Out{.Buffered = true};
    Run_Record Inputs;           // its console discards the run's messages
    bool Input_Failed = false;   // the run stops at an input, before it creates any file
    bool Layout_Refuses = false; // adaskel-layout refuses the list: it creates nothing
    // What the run does, up to where it stops: files created and skipped, and 1 to fail
    // when it stops at an input or a file.
    std::int32_t Creates = 0;
    std::int32_t Skips = 0;
    std::int32_t Fails = 0;
    std::int32_t Errors = 0;
    std::int32_t Warnings = 0;
    std::int32_t Drifted = 0; // files whose header no longer says what the texts say
};

constexpr int Exit_Problems = 1; // a run would fail, or GNAT refuse a file

constexpr std::string_view Help =
    "Tells what adaskel would create, skip and fail on in the current directory, and what\n"
    "the Ada compiler would refuse in the files it writes. Writes nothing.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --warnings-as-errors\n"
    "                exit 1 on a warning as on an error (a header that drifted, say), so\n"
    "                that a CI job fails on it\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 no error found (warnings may be shown), 1 an error found (or a\n"
    "warning, with --warnings-as-errors), 2 the command line refused.";

constexpr std::string_view Warnings_As_Errors = "--warnings-as-errors";

// "FILE" or "FILE:LINE", the place compilers and editors understand.
std::string Place(std::string_view File, std::int32_t Line) {
    std::string Text = Escape(File);
    if (Line > 0) {
        Text += ':';
        Text += std::to_string(Line);
    }
    return Text;
}

// The place of an output path, which a list can make as long as it likes, shown in part
// as the plan shows it.
std::string Short_Place(std::string_view Path, std::int32_t Line) {
    return Shorten(Path) + (Line > 0 ? ":" + std::to_string(Line) : "");
}

void Report(Check_Record& Check, const std::string& Where, bool Is_Error,
            std::string_view Message) {
    ++(Is_Error ? Check.Errors : Check.Warnings);
    std::string Line = Where;
    Line += Is_Error ? ": error: " : ": warning: ";
    Line.append(Message);
    Put_Line(Check.Out, Line);
}

void Report_Error(Check_Record& Check, const Problem& Found) {
    Report(Check, Place(Found.File, Found.Line), true, Found.Message);
}

// An input the run stops on, before it writes any file.
void Report_Input_Error(Check_Record& Check, const Problem& Found) {
    Report_Error(Check, Found);
    Check.Input_Failed = true;
    Check.Fails = 1;
}

// After a plan line whose file's directory does not exist: adaskel-layout creates it,
// unless it refuses the list.
void Hint_Layout(Check_Record& Check, const std::string& Path) {
    if (Check.Layout_Refuses) {
        return;
    }
    const std::string Directory = Directory_Of(Path);
    struct stat Status {};
    if (::stat(Directory.c_str(), &Status) != 0 && errno == ENOENT) {
        Put_Line(Check.Out, "hint: adaskel-layout " + Escape(Check.Inputs.Project_Name) +
                                " creates " + Quote(Directory));
    }
}

// Every line of the plan is shown as it is worked out; what the run does is counted up
// to where it stops.
void Report_Plan(Check_Record& Check, bool Licence_Read) {
    bool Stopped = Check.Input_Failed;
    Make_Plan(Check.Inputs, Licence_Read, [&](const Plan_Line& Line) {
        if (Line.Action == Plan_Action::Error) {
            Check.Fails = 1;
            Stopped = true;
            Put_Line(Check.Out, "error " + Shorten(Line.Path) + ": " + Line.Problem);
            Hint_Layout(Check, Line.Path);
        } else {
            const bool Create = Line.Action == Plan_Action::Create;
            (Create ? Check.Creates : Check.Skips) += Stopped ? 0 : 1;
            Put_Line(Check.Out, (Create ? "create " : "exists ") + Shorten(Line.Path));
        }
        if (Line.Empty) { // every run skips it, so the user has to act
            Report(Check, Shorten(Line.Path), false,
                   "exists but is empty: it may be left by a crash; remove it and run again to "
                   "regenerate it");
        }
    });
}

// The derived project, which the tree's GPR file takes its sources from, must be the one
// adaskel-layout would write now, or gprbuild builds from another list.
void Check_Tree_Gpr(Check_Record& Check) {
    if (Check.Layout_Refuses) {
        return; // the errors say why adaskel-layout would not rewrite it
    }
    const Run_Record& Inputs = Check.Inputs;
    const std::string Path = Tree_Gpr_Path(Root_Name(Inputs));
    const auto Is_File = [](const std::string& Each) {
        return Look_At_Output_Path(Each).Holds_File;
    };
    const std::string Hint =
        ": adaskel-layout " + Escape(Inputs.Project_Name) + " writes it from the list and the tree";
    if (!Look_At_Output_Path(Path).Holds_File) {
        Report(Check, Escape(Path), false,
               "is missing, but the GPR file takes its sources from it" + Hint);
        return;
    }
    const Owned_Fd File(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const bool Follows = File.Value >= 0 && Holds_Text(File.Value, [&](const Piece_Sink& Put) {
                             Put_Tree_Gpr_Text(Inputs, Is_File, Put);
                         });
    if (!Follows) {
        Report(Check, Escape(Path), false,
               "does not follow the list and the tree, so gprbuild would not build what the "
               "run writes" +
                   Hint);
    }
}

// Whether the tree's GPR file, if there, takes its sources and naming from the derived
// project (or, when it is not there, adaskel-layout will write one that does). One that
// does not is warned about: its sources do not follow the list.
bool Files_Named_By_Gpr(Check_Record& Check) {
    const std::string& Root = Root_Name(Check.Inputs);
    const std::string Gpr = Gpr_Path(Root);
    if (!Look_At_Output_Path(Gpr).Holds_File) {
        return true;
    }
    const std::string Text = Read_Whole(Gpr);
    const std::string Tree(Base_Name(Tree_Gpr_Path(Root)));
    if (Text.find('"' + Tree + '"') != std::string::npos) {
        Check_Tree_Gpr(Check);
        return true;
    }
    std::string Project = Gpr_Project_Name(Root) + "_Tree";
    Report(Check, Escape(Gpr), false,
           "does not take its sources from " + Quote(Tree) +
               ", so its source directories and naming do not follow the list; to adopt it, "
               "write 'with \"" +
               Tree +
               "\";' before its project line, and 'for Source_Dirs "
               "use " +
               Project + ".Source_Dirs;' and 'package Naming renames " + Project +
               ".Naming;' in place of its own (adaskel-layout rewrites " + Quote(Tree) +
               " on every run)");
    return false;
}

// The header texts, then the project's lines, as GNAT will read the files made of them.
void Report_Ada(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    for (const Problem& Found : Check_Header_Texts(Inputs)) {
        Report_Error(Check, Found);
    }
    if (Licence_Of(Inputs) == Licence_Kind::Gpl_3) {
        Report(Check, "gpl.txt", false,
               "is the GPL version 3, whose lines 295 to 309, which every header quotes, are "
               "not a notice but a piece of its section 6");
    }
    if (Inputs.Line_Count < Root_Line) {
        return;
    }
    const auto Is_File = [](const std::string& Path) {
        return Look_At_Output_Path(Path).Holds_File;
    };
    const bool Files_Named = Files_Named_By_Gpr(Check);
    for (const Diagnostic& Found : Judge_Lines(Inputs, Is_File, Files_Named)) {
        Report(Check, Place(Inputs.Project_Name, Found.Line), Found.Is_Error, Found.Message);
    }
    for (const Problem& Found : Unprovided_Withs(Inputs)) {
        Report(Check, Place(Found.File, Found.Line), false, Found.Message);
    }
}

// Every generated file that is there, its header judged against the one a run writes now,
// as adaskel-refresh judges it: each drifted field, or why the file is not refreshed.
void Report_Header_Drift(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    if (Check.Input_Failed || Inputs.Line_Count < Root_Line || Main_Unit_Problem(Inputs) ||
        Excerpt_Problem(Inputs)) {
        return; // the errors already say why no header can be formed
    }
    const Header Now = Form_Header(Inputs);
    Each_Output_File(Inputs, [&](const Output_File& File) {
        const Header_Drift Drift = Judge_Header_Drift(Inputs, Now, File.Path);
        Check.Drifted += Drift.Fields.empty() ? 0 : 1;
        if (Drift.Left) {
            Report(Check, Short_Place(File.Path, Drift.Left->Line), false,
                   "not refreshed by adaskel-refresh: " + Drift.Left->Reason);
            return;
        }
        for (const Field_Drift& Field : Drift.Fields) {
            Report(Check, Short_Place(File.Path, Field.Line), false,
                   Drift_Message(Field, Inputs.Project_Name));
        }
    });
}

// The crate's fields that repeat the texts, when it is there and a layout could write it.
void Report_Crate_Drift(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    if (Check.Input_Failed || Inputs.Line_Count < Root_Line) {
        return;
    }
    const std::string Path = Crate_Path(Root_Name(Inputs));
    if (!Look_At_Output_Path(Path).Holds_File) {
        return;
    }
    const Manifest Now = Crate_Manifest(Inputs);
    if (!Now.Refusal.empty()) {
        return;
    }
    for (const Crate_Field_Drift& Field : Crate_Drift(Read_Whole(Path), Now.Text)) {
        Report(Check, Place(Path, Field.Line), false,
               Quote(Field.Was) + " no longer follows " + Field.Source + ": write " +
                   Quote(Field.Wanted) + " (the crate is yours: no program rewrites it)");
    }
}

// Whether adaskel-layout refuses the list, creating nothing: for an error of the list alone.
bool Layout_Refuses(const Run_Record& Inputs) {
    const auto Sees_All = [](const std::string&) { return true; };
    const std::vector<Diagnostic> Found = Judge_Lines(Inputs, Sees_All, true);
    return std::any_of(Found.begin(), Found.end(),
                       [](const Diagnostic& Each) { return Each.Is_Error; });
}

std::string Count(std::int32_t Number, std::string_view Noun) {
    return std::to_string(Number) + " " + std::string(Noun) + (Number == 1 ? "" : "s");
}

void Report_Summary(Check_Record& Check) {
    const std::string Drifted =
        Check.Drifted == 0 ? "" : Count(Check.Drifted, "header") + " drifted; ";
    Put_Line(Check.Out, "summary: " + std::to_string(Check.Creates) + " to create, " +
                            std::to_string(Check.Skips) + " to skip, " +
                            std::to_string(Check.Fails) + " to fail; " + Drifted +
                            Count(Check.Errors, "error") + ", " + Count(Check.Warnings, "warning"));
}

// Every input a run reads, in its order, each problem an input error; then what is made
// of the project file: plan and Ada checks. Unseen is the failure to look at the project
// file when the command line was tested, if it failed.
void Check_Inputs(Check_Record& Check, const std::optional<Problem>& Unseen) {
    Run_Record& Inputs = Check.Inputs;
    Input_Sink Sink{.Record_All = true, .Found = {}};
    const bool Licence_Read = Load_Reference_Texts(Inputs, Sink);
    Take_Step(Sink, [&] { Read_Holder_Name(Inputs); });
    bool Project_Read = false;
    const std::size_t Before_Project = Sink.Found.size();
    if (Unseen) {
        Sink.Found.push_back(*Unseen);
    } else {
        Project_Read = Load_Project(Inputs, Sink);
    }
    // adaskel-layout stops at the first problem of the project file, as the run does.
    Check.Layout_Refuses =
        Sink.Found.size() > Before_Project || !Project_Read || Layout_Refuses(Inputs);
    for (const Problem& Found : Sink.Found) {
        Report_Input_Error(Check, Found);
    }
    if (!Project_Read) {
        return;
    }
    if (Inputs.Line_Count >= Root_Line) {
        Report_Plan(Check, Licence_Read);
    }
    Report_Ada(Check);
    Report_Header_Drift(Check);
    Report_Crate_Drift(Check);
}

// Checks with the arguments after the program name. Returns Exit_Complete when a run
// would complete and GNAT would accept its files (and, with the gate, nothing was warned
// about), Exit_Problems when not, and Exit_Command_Line when the arguments are refused.
int Check_Sequence(Check_Record& Check, std::span<const char* const> Given) {
    // The gate is an option anywhere on the line; the rest are taken as a run takes them.
    std::vector<const char*> Kept(Given.begin(), Given.end());
    const auto Gate = std::remove(Kept.begin(), Kept.end(), Warnings_As_Errors);
    const bool Strict = Gate != Kept.end();
    Kept.erase(Gate, Kept.end());
    const std::span<const char* const> Arguments(Kept);
    if (Answer_Information(Check.Out, "adaskel-check", Help, Arguments)) {
        return Exit_Complete;
    }
    Run_Record& Inputs = Check.Inputs;
    // The run fails at a project file it cannot look at, reading its texts first; here
    // that is an input error like a project file it cannot open.
    std::optional<Argument_Fault> Fault;
    std::optional<Problem> Unseen;
    try {
        Fault = Accept_Arguments(Inputs, Arguments);
    } catch (const Run_Failure& Failure) {
        Unseen = Failure.Found;
    }
    if (Fault) {
        Report_Refusal("adaskel-check", *Fault, Arguments);
        return Exit_Command_Line;
    }
    Inputs.Out.Fd = No_Console;
    Check_Inputs(Check, Unseen);
    Report_Summary(Check);
    const bool Clean = Check.Fails == 0 && Check.Errors == 0 && !(Strict && Check.Warnings > 0);
    return Clean ? Exit_Complete : Exit_Problems;
}

} // namespace

} // namespace adaskel

int main(int argc, char** argv) {
    adaskel::Check_Record Check;
    return adaskel::Run_Program(Check.Out, "adaskel-check", argc, argv,
                                [&](adaskel::Arguments_After Arguments) {
                                    return adaskel::Check_Sequence(Check, Arguments);
                                });
}
