// The check sequence. Each input step is the run's own; a failure it raises is what the
// run would stop on, so here it becomes an error line and the check goes on to find the
// rest. Failures of the check itself, such as a standard output that cannot be written,
// are not caught here and end the check.
#include "check/check_run.hpp"

#include "check/ada_names.hpp"
#include "check/header_texts.hpp"
#include "check/plan.hpp"
#include "driver/command_line.hpp"
#include "driver/entry.hpp"
#include "driver/failure.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace adaskel {

namespace {

constexpr std::string_view Help =
    "Tells what adaskel would create, skip and fail on in the current directory, and what\n"
    "the Ada compiler would refuse in the files it writes. Writes nothing.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 no error found (warnings may be shown), 1 an error found,\n"
    "2 the command line refused.";

// --help and --version as the first argument; a project file of that name is ./--help.
// Returns whether one was answered.
bool Answer_Information(Check_Record& Check, std::span<const char* const> Arguments) {
    const std::string_view First = Arguments.empty() ? "" : Arguments[0];
    if (First == "--help") {
        Put_Line(Check.Out, "usage: adaskel-check PROJECT_FILE [MAX_LINES]\n" + std::string(Help));
    } else if (First == "--version") {
        Put_Line(Check.Out, "adaskel-check " ADASKEL_VERSION);
    } else {
        return false;
    }
    return true;
}

// "FILE" or "FILE:LINE", the place compilers and editors understand.
std::string Place(std::string_view File, std::int32_t Line) {
    std::string Text = Escape(File);
    if (Line > 0) {
        Text += ':';
        Text += std::to_string(Line);
    }
    return Text;
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

// Runs one input step of a run; the failure it raises is what the run would stop on,
// reported as an error at its place. Returns whether the step completed.
bool Try_Step(Check_Record& Check, const std::function<void()>& Step) {
    try {
        Step();
        return true;
    } catch (const Run_Failure& Failure) {
        Report_Input_Error(Check, Failure.Found);
        return false;
    }
}

// After a plan line whose file's directory does not exist: adaskel-layout creates it.
void Hint_Layout(Check_Record& Check, const std::string& Path) {
    const std::string Directory = Path.substr(0, Path.rfind('/'));
    struct stat Status {};
    if (::stat(Directory.c_str(), &Status) != 0 && errno == ENOENT) {
        Put_Line(Check.Out, "hint: adaskel-layout " + Escape(Check.Inputs.Project_Name) +
                                " creates " + Quote(Directory));
    }
}

// Every line of the plan is shown; what the run does is counted up to where it stops.
void Report_Plan(Check_Record& Check, const std::vector<Plan_Line>& Plan) {
    bool Stopped = Check.Input_Failed;
    for (const Plan_Line& Line : Plan) {
        if (Line.Action == Plan_Action::Error) {
            Check.Fails = 1;
            Stopped = true;
            Put_Line(Check.Out, "error " + Escape(Line.Path) + ": " + Line.Problem);
            Hint_Layout(Check, Line.Path);
        } else {
            const bool Create = Line.Action == Plan_Action::Create;
            (Create ? Check.Creates : Check.Skips) += Stopped ? 0 : 1;
            Put_Line(Check.Out, (Create ? "create " : "exists ") + Escape(Line.Path));
        }
        if (Line.Empty) { // every run skips it, so the user has to act
            Report(Check, Escape(Line.Path), false,
                   "exists but is empty: it may be left by a crash; remove it and run again to "
                   "regenerate it");
        }
    }
}

bool Is_Regular(const std::string& Path) {
    struct stat Status {};
    return ::stat(Path.c_str(), &Status) == 0 && S_ISREG(Status.st_mode);
}

// The header texts, then the unit names, as GNAT will read the files made of them.
void Report_Ada(Check_Record& Check, const std::vector<Problem>& Unconverted) {
    const Run_Record& Inputs = Check.Inputs;
    for (const Problem& Found : Check_Header_Texts(Inputs)) {
        Report_Error(Check, Found);
    }
    const std::string Root = Inputs.Line_Count > 0 ? Read(Inputs.Project_Lines, 1) : "";
    for (const Diagnostic& Found :
         Check_Ada_Units(Ada_Units_Of(Inputs, Unconverted), Root, Is_Regular)) {
        Report(Check, Place(Inputs.Project_Name, Found.Line), Found.Is_Error, Found.Message);
    }
}

std::string Count(std::int32_t Number, std::string_view Noun) {
    return std::to_string(Number) + " " + std::string(Noun) + (Number == 1 ? "" : "s");
}

void Report_Summary(Check_Record& Check) {
    Put_Line(Check.Out, "summary: " + std::to_string(Check.Creates) + " to create, " +
                            std::to_string(Check.Skips) + " to skip, " +
                            std::to_string(Check.Fails) + " to fail; " +
                            Count(Check.Errors, "error") + ", " + Count(Check.Warnings, "warning"));
}

// The project file and what is made of it: names, plan and Ada checks. Unseen is the
// failure to look at the file when the command line was tested, if it failed.
void Check_Project(Check_Record& Check, bool Licence_Read, const std::optional<Problem>& Unseen) {
    Run_Record& Inputs = Check.Inputs;
    if (Unseen) {
        Report_Input_Error(Check, *Unseen);
        return;
    }
    if (!Try_Step(Check, [&] { Read_Project_File(Inputs); })) {
        return;
    }
    // Names and paths cut at a NUL byte would only mislead: nothing more is judged.
    const std::vector<Problem> Not_Text = Nul_Byte_Problems(Inputs);
    for (const Problem& Found : Not_Text) {
        Report_Input_Error(Check, Found);
    }
    if (!Not_Text.empty()) {
        return;
    }
    const std::vector<Problem> Unconverted = Derive_Unit_Names(Inputs);
    for (const Problem& Found : Unconverted) {
        Report_Input_Error(Check, Found);
    }
    if (Try_Step(Check, [&] { (void)Root_Name(Inputs); })) {
        Report_Plan(Check, Make_Plan(Inputs, Licence_Read));
    }
    Report_Ada(Check, Unconverted);
}

} // namespace

int Check_Sequence(Check_Record& Check, std::span<const char* const> Arguments) {
    if (Answer_Information(Check, Arguments)) {
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
    Inputs.Project_Lines = Create_String_Set(Inputs.Max_Lines);
    Inputs.Unit_Names = Create_String_Set(Inputs.Max_Lines);
    Try_Step(Check, [&] { Read_Version(Inputs); });
    Try_Step(Check, [&] { Read_Abstract(Inputs); });
    const bool Licence_Read = Try_Step(Check, [&] { Read_Licence(Inputs); });
    Try_Step(Check, [&] { Read_Holder_Name(Inputs); });
    Check_Project(Check, Licence_Read, Unseen);
    Report_Summary(Check);
    const bool Clean = Check.Fails == 0 && Check.Errors == 0;
    return Clean ? Exit_Complete : Exit_Problems;
}

} // namespace adaskel
