// adaskel-check: tells what adaskel would create, skip and fail on in this directory, and
// what the Ada compiler would refuse, writing nothing. Each input step is the run's own;
// a failure it raises is what the run would stop on, so here it becomes an error line and
// the check goes on to find the rest. Failures of the check itself, such as a standard
// output that cannot be written, end the check.
#include "base/console.hpp"
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "base/path_parts.hpp"
#include "check/check_options.hpp"
#include "check/compiled_units.hpp"
#include "check/context_clause.hpp"
#include "check/crate_drift.hpp"
#include "check/drift_findings.hpp"
#include "check/gpl_version.hpp"
#include "check/gpr_file_use.hpp"
#include "check/header_drift.hpp"
#include "check/header_texts.hpp"
#include "check/plan.hpp"
#include "check/plan_notes.hpp"
#include "check/report.hpp"
#include "inputs/command_line.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "layout/crate.hpp"
#include "layout/directories.hpp"
#include "layout/gpr_file.hpp"
#include "names/ada_names.hpp"
#include "names/tree_names.hpp"
#include "names/tree_project.hpp"
#include "writers/header.hpp"
#include "writers/output_path.hpp"

#include <functional>
#include <optional>
#include <string>

namespace adaskel {

namespace {

// The values of one check, owned by its main: the inputs a run would read, read the run's
// own way but silently, the check's own console, and the counts of its summary.
struct Check_Record {
    // The check's report, on standard output. The check changes nothing, so its report
    // is held until a buffer is full.
    Console Out{.Buffered = true};
    Report_Writer Writer{Out};   // the report in the format asked for, on Out
    Run_Record Inputs;           // its console discards the run's messages
    bool Layout_Refuses = false; // adaskel-layout refuses the inputs: it creates nothing
    // Why adaskel-layout would not rewrite the derived project, refusing to lay out the
    // tree, if it would not; it looks there only once the inputs pass.
    std::optional<Problem> Tree_Gpr_Refused;
    // Whether adaskel-layout meets a level of the tree it does not follow, once asked.
    std::optional<bool> Layout_Blocked;
    // The lines of the report, each counted by what it says: the plan's create, exists
    // and error lines, and the diagnostics' errors and warnings.
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
    "  --format=FORMAT  before PROJECT_FILE: the report as text (the default), json (one\n"
    "                object a line) or sarif (SARIF 2.1.0, for code scanning)\n"
    "  --warnings-as-errors\n"
    "                exit 1 on a warning as on an error (a header that drifted, say), so\n"
    "                that a CI job fails on it\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 no error found (warnings may be shown), 1 an error found (or a\n"
    "warning, with --warnings-as-errors), 2 the command line refused.";

// Reports what a rule found at File, as shown ("" for none). Unit is what the finding is
// about beyond its rule and file, which code scanning follows from run to run: its
// message when none is given.
void Report_At(Check_Record& Check, const Diagnostic& Found, std::string File,
               const std::string& Unit) {
    ++(Found.Is_Error ? Check.Errors : Check.Warnings);
    Put_Entry(Check.Writer, {.Kind = Entry_Kind::Diagnostic,
                             .Path = std::move(File),
                             .Line = Found.Found.Line,
                             .Severity = Found.Is_Error ? "error" : "warning",
                             .Rule = Found.Rule,
                             .Message = Found.Found.Message,
                             .Unit = Unit.empty() ? Found.Found.Message : Unit});
}

// Reports a finding, its file escaped; one of the list (no file) is on a line of the
// project file, and the unit of the line is what it is about, wherever the line moves.
void Report(Check_Record& Check, const Diagnostic& Found) {
    const Run_Record& Inputs = Check.Inputs;
    if (Found.Found.File.empty()) {
        Report_At(Check, Found, Escape(Inputs.Project_Name),
                  std::string(Read(Inputs.Project_Lines, Found.Found.Line)));
    } else {
        Report_At(Check, Found, Escape(Found.Found.File), Found.Unit);
    }
}

// Reports a finding about a file a run writes, whose path is shortened as the plan's are.
void Report_Output(Check_Record& Check, const Diagnostic& Found) {
    Report_At(Check, Found, Shorten(Found.Found.File), Found.Unit);
}

// Reports an error a run stops on, at its file ("" when it concerns none).
void Report_Error(Check_Record& Check, Check_Rule Rule, const Problem& Found) {
    Report_At(Check, {Found, true, Rule}, Escape(Found.File), {});
}

// Whether adaskel-layout, once it is past its inputs, stops at a level of the tree that
// is a symbolic link or not a directory: its own rule, asked once.
bool Layout_Blocked(Check_Record& Check) {
    if (!Check.Layout_Blocked) {
        Check.Layout_Blocked = Blocking_Level([&](const Path_Visit& Visit) {
                                   (void)Each_Output_Directory(Check.Inputs, Visit);
                               }).has_value();
    }
    return *Check.Layout_Blocked;
}

// After a plan line whose file's directory does not exist: adaskel-layout creates it,
// unless it refuses the inputs or the tree.
void Hint_Layout(Check_Record& Check, const std::string& Path) {
    if (Check.Layout_Refuses) {
        return;
    }
    if (auto Hint = Layout_Hint(Path, Escape(Check.Inputs.Project_Name),
                                [&] { return Layout_Blocked(Check); })) {
        Put_Entry(Check.Writer, *Hint);
    }
}

// Every line of the plan is shown as it is worked out, and counted by its action.
void Report_Plan(Check_Record& Check, bool Licence_Read) {
    Make_Plan(Check.Inputs, Licence_Read, [&](const Plan_Line& Line) {
        if (Line.Action == Plan_Action::Error) {
            ++Check.Fails;
            Put_Entry(Check.Writer, {.Kind = Entry_Kind::Plan,
                                     .Path = Shorten(Line.Path),
                                     .Severity = "error",
                                     .Rule = Check_Rule::Run_Fails_At_File,
                                     .Message = Line.Failure.Message});
            Hint_Layout(Check, Line.Path);
        } else {
            const bool Create = Line.Action == Plan_Action::Create;
            ++(Create ? Check.Creates : Check.Skips);
            Put_Entry(Check.Writer, {.Kind = Entry_Kind::Plan,
                                     .Path = Shorten(Line.Path),
                                     .Severity = "none",
                                     .Message = Create ? "create" : "exists"});
        }
        if (Line.Empty) {
            Report_Output(Check, Empty_File_Warning(Line.Path));
        }
    });
}

// The header texts, then the project's lines, as GNAT will read the files made of them.
void Report_Ada(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    if (Check.Tree_Gpr_Refused) { // set only for a list with a root
        Report(Check, Tree_Gpr_Refused(Inputs, Read_Gpr_Withs(Inputs), *Check.Tree_Gpr_Refused));
    }
    for (const Problem& Found : Check_Header_Texts(Inputs)) {
        Report_Error(Check, Check_Rule::Header_Text, Found);
    }
    if (const auto Found = Gpl_3_Warning(Inputs)) {
        Report(Check, *Found);
    }
    if (Inputs.Line_Count < Root_Line) {
        return;
    }
    const auto Is_File = [](const std::string& Path) {
        return Look_At_Output_Path(Path).Holds_File;
    };
    const Gpr_Withs Withs = Read_Gpr_Withs(Inputs);
    const Gpr_File_Use Use = Judge_Gpr_File(Inputs, Withs, Check.Layout_Refuses);
    for (const Diagnostic& Found : Use.Found) {
        Report(Check, Found);
    }
    for (const Diagnostic& Found : Judge_Lines(Inputs, Is_File, Use.Files_Named)) {
        Report(Check, Found);
    }
    for (const Diagnostic& Found : Unprovided_Withs(Inputs, Withs)) {
        Report(Check, Found);
    }
    for (const Diagnostic& Found : Uncompiled_Units(Inputs)) {
        Report(Check, Found);
    }
}

// The header of every file at an output path that is there, against the header a run
// would write now: each field that drifted, or why adaskel-refresh leaves the file.
void Report_Header_Drift(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    if (Inputs.Line_Count < Root_Line || Main_Unit_Problem(Inputs) || Excerpt_Problem(Inputs)) {
        return; // the errors already say why no header can be formed
    }
    const Header Now = Form_Header(Inputs);
    Each_Output_File(Inputs, [&](const Output_File& File) {
        const Header_Drift Drift = Judge_Header_Drift(Inputs, Now, File.Path);
        Check.Drifted += Drift.Fields.empty() ? 0 : 1;
        for (const Diagnostic& Found :
             Header_Drift_Findings(Drift, File.Path, Inputs.Project_Name)) {
            Report_Output(Check, Found);
        }
    });
}

// The crate's version and description, against the texts they were written from.
void Report_Crate_Drift(Check_Record& Check) {
    const Run_Record& Inputs = Check.Inputs;
    if (Inputs.Line_Count < Root_Line) {
        return;
    }
    const std::string Path = Crate_Path(Root_Name(Inputs));
    if (!Look_At_Output_Path(Path).Holds_File) {
        return;
    }
    const Manifest Now = Crate_Manifest(Inputs);
    if (Now.Refusal) {
        return;
    }
    for (const Crate_Field_Drift& Field : Crate_Drift(Read_Whole(Path), Now.Text)) {
        Report(Check, Crate_Drift_Finding(Field, Path));
    }
}

std::string Count(std::int32_t Number, std::string_view Noun) {
    return std::to_string(Number) + " " + std::string(Noun) + (Number == 1 ? "" : "s");
}

void Report_Summary(Check_Record& Check) {
    const bool Failing = Check.Errors > 0 || Check.Fails > 0;
    Put_Entry(
        Check.Writer,
        {.Kind = Entry_Kind::Summary,
         .Severity = Failing              ? "error"
                     : Check.Warnings > 0 ? "warning"
                                          : "none",
         .Message = std::to_string(Check.Creates) + " to create, " + std::to_string(Check.Skips) +
                    " to skip, " + std::to_string(Check.Fails) + " to fail; " +
                    (Check.Drifted == 0 ? "" : Count(Check.Drifted, "header") + " drifted; ") +
                    Count(Check.Errors, "error") + ", " + Count(Check.Warnings, "warning")});
    Finish_Report(Check.Writer, ADASKEL_VERSION);
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
    if (Unseen) {
        Sink.Found.push_back(*Unseen);
    } else {
        Project_Read = Load_Project(Inputs, Sink);
    }
    // adaskel-layout stops at the first problem of the inputs, as the run does, then at
    // an error of the list, then at a derived project it cannot rewrite.
    Check.Layout_Refuses = !Sink.Found.empty() || !Project_Read || !List_Errors(Inputs).empty();
    if (!Check.Layout_Refuses && Inputs.Line_Count >= Root_Line) {
        Check.Tree_Gpr_Refused = Tree_Gpr_Refusal(Inputs);
        Check.Layout_Refuses = Check.Tree_Gpr_Refused.has_value();
    }
    for (const Problem& Found : Sink.Found) {
        Report_Error(Check, Check_Rule::Input, Found);
    }
    if (!Project_Read) {
        return;
    }
    if (Inputs.Line_Count >= Root_Line) {
        Report_Plan(Check, Licence_Read);
    }
    Report_Ada(Check);
    if (Sink.Found.empty()) { // a run that stops at an input writes no header
        Report_Header_Drift(Check);
        Report_Crate_Drift(Check);
    }
}

// Checks with the arguments after the program name. Returns Exit_Complete when a run
// would complete and GNAT would accept its files, Exit_Problems when not, and
// Exit_Command_Line when the arguments are refused.
int Check_Sequence(Check_Record& Check, std::span<const char* const> Given) {
    const auto Options = Take_Check_Options(Given);
    if (!Options) {
        return Exit_Command_Line;
    }
    Check.Writer.Format = Options->Format;
    const std::span<const char* const> Arguments = Options->Arguments;
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
    const bool Clean =
        Check.Fails == 0 && Check.Errors == 0 && !(Options->Strict && Check.Warnings > 0);
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
