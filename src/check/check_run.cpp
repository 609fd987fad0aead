// The check sequence. Each input step is the run's own; a failure it raises is what the
// run would stop on, so here it becomes an error line and the check goes on to find the
// rest. Failures of the check itself, such as a standard output that cannot be written,
// are not caught here and end the check.
#include "check/check_run.hpp"

#include "check/ada_names.hpp"
#include "check/plan.hpp"
#include "driver/command_line.hpp"
#include "driver/entry.hpp"
#include "driver/failure.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/unit_names.hpp"

#include <functional>
#include <string>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr std::string_view Usage = "usage: adaskel-check PROJECT_FILE [MAX_LINES]";

constexpr std::string_view Help =
    "Tells what adaskel would create, skip and fail on in the current directory, and what\n"
    "the Ada compiler would refuse in the files it writes. Writes nothing.\n"
    "  PROJECT_FILE  the project file, as adaskel takes it\n"
    "  MAX_LINES     the most lines the project file may have (default 16384)\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n"
    "Exit status: 0 nothing found, 1 a problem found, 2 the command line refused.";

// --help and --version as the first argument; a project file of that name is ./--help.
// Returns whether one was answered.
bool Answer_Information(Check_Record& Check, std::span<const char* const> Arguments) {
    const std::string_view First = Arguments.empty() ? "" : Arguments[0];
    if (First == "--help") {
        Put_Line(Check.Out, std::string(Usage) + '\n' + std::string(Help));
    } else if (First == "--version") {
        Put_Line(Check.Out, "adaskel-check " ADASKEL_VERSION);
    } else {
        return false;
    }
    return true;
}

bool Refuse(std::string_view Message) {
    std::string Text = "adaskel-check: ";
    Text.append(Message);
    Text += '\n';
    Text.append(Usage);
    Text += '\n';
    Write_All(STDERR_FILENO, Text);
    return false;
}

// The arguments pass the tests a run gives them, in the same order.
bool Accept_Arguments(Check_Record& Check, std::span<const char* const> Arguments) {
    if (Arguments.empty()) {
        return Refuse("no project file given");
    }
    Check.Inputs.Project_Name = Arguments[0];
    if (!Is_Regular_File(Check.Inputs.Project_Name)) {
        return Refuse(Quote(Check.Inputs.Project_Name) + " is not a regular file");
    }
    if (Arguments.size() > 1) {
        const auto Max_Lines = To_Max_Lines(Arguments[1]);
        if (!Max_Lines) {
            return Refuse("max lines " + Quote(Arguments[1]) + " is not a positive integer");
        }
        Check.Inputs.Max_Lines = *Max_Lines;
    }
    return true;
}

// "FILE: " or "FILE:LINE: ", the place compilers and editors understand.
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

// Runs one input step of a run; its failure is reported as an error at File, or, for a
// file read line by line (Lines_Stored given), at the line after those stored. Returns
// whether the step completed.
bool Try_Step(Check_Record& Check, std::string_view File, const std::function<void()>& Step,
              const std::int32_t* Lines_Stored = nullptr) {
    try {
        Step();
        return true;
    } catch (const Run_Failure& Failure) {
        const std::int32_t Line =
            Lines_Stored != nullptr && *Lines_Stored > 0 ? *Lines_Stored + 1 : 0;
        Report(Check, Place(File, Line), true, Failure.what());
        return false;
    }
}

// Converts every project line from 2 on that a run can convert, and gives the dotted
// names with the file each goes into; each line a run cannot convert is an error.
std::vector<Ada_Unit> Derive_Units(Check_Record& Check) {
    Run_Record& Inputs = Check.Inputs;
    std::vector<Ada_Unit> Units;
    for (std::int32_t I = 2; I <= Inputs.Line_Count; ++I) {
        const std::string& Line = Read(Inputs.Project_Lines, I);
        Store(Inputs.Unit_Names, I, Line);
        if (std::string Problem = Unit_Name_Problem(Line); !Problem.empty()) {
            Report(Check, Place(Inputs.Project_Name, I), true, Problem);
            continue;
        }
        To_Filename(Change(Inputs.Unit_Names, I));
        const bool Is_Main = I == 2;
        const std::int32_t File_Line = Is_Main ? 1 : I;
        Units.push_back({I, Read(Inputs.Unit_Names, I),
                         Read(Inputs.Project_Lines, File_Line) + (Is_Main ? ".adb" : ".ads"),
                         File_Line, Is_Main});
    }
    return Units;
}

void Report_Plan(Check_Record& Check, const std::vector<Plan_Line>& Plan) {
    for (const Plan_Line& Line : Plan) {
        switch (Line.Action) {
        case Plan_Action::Create:
            ++Check.Creates;
            Put_Line(Check.Out, "create " + Escape(Line.Path));
            break;
        case Plan_Action::Exists:
            ++Check.Skips;
            Put_Line(Check.Out, "exists " + Escape(Line.Path));
            break;
        case Plan_Action::Error:
            ++Check.Fails;
            Put_Line(Check.Out, "error " + Escape(Line.Path) + ": " + Line.Problem);
            break;
        }
    }
}

void Report_Ada(Check_Record& Check, const std::vector<Ada_Unit>& Units) {
    for (const Diagnostic& Found : Check_Ada_Units(Units)) {
        Report(Check, Place(Check.Inputs.Project_Name, Found.Line), Found.Is_Error, Found.Message);
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

// The project file and what is made of it: names, plan and Ada checks.
void Check_Project(Check_Record& Check, bool Licence_Read) {
    Run_Record& Inputs = Check.Inputs;
    if (!Try_Step(
            Check, Inputs.Project_Name, [&] { Read_Project_File(Inputs); }, &Inputs.Line_Count)) {
        return;
    }
    const std::vector<Ada_Unit> Units = Derive_Units(Check);
    if (Try_Step(Check, Inputs.Project_Name, [&] { (void)Root_Name(Inputs); })) {
        Report_Plan(Check, Make_Plan(Inputs, Licence_Read));
    }
    Report_Ada(Check, Units);
}

} // namespace

int Check_Sequence(Check_Record& Check, std::span<const char* const> Arguments) {
    if (Answer_Information(Check, Arguments)) {
        return Exit_Complete;
    }
    if (!Accept_Arguments(Check, Arguments)) {
        return Exit_Command_Line;
    }
    Run_Record& Inputs = Check.Inputs;
    Inputs.Out.Fd = No_Console;
    Inputs.Project_Lines = Create_String_Set(Inputs.Max_Lines);
    Inputs.Unit_Names = Create_String_Set(Inputs.Max_Lines);
    Try_Step(Check, "Versions.lst", [&] { Read_Version(Inputs); });
    Try_Step(Check, "Abstract.txt", [&] { Read_Abstract(Inputs); });
    const bool Licence_Read = Try_Step(
        Check, "gpl.txt", [&] { Read_Licence(Inputs); }, &Inputs.Licence_Count);
    Try_Step(Check, "Copyright", [&] { Read_Holder_Name(Inputs); });
    Check_Project(Check, Licence_Read);
    Report_Summary(Check);
    const bool Clean = Check.Fails == 0 && Check.Errors == 0;
    return Clean ? Exit_Complete : Exit_Problems;
}

} // namespace adaskel
