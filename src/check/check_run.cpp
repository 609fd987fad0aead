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

// Runs one input step of a run; its failure, placed by Where (asked only then), is
// reported as an error. Returns whether the step completed.
bool Try_Step(Check_Record& Check, const std::function<std::string()>& Where,
              const std::function<void()>& Step) {
    try {
        Step();
        return true;
    } catch (const Run_Failure& Failure) {
        Report(Check, Where(), true, Failure.what());
        return false;
    }
}

// A file read line by line fails at the line after those it has stored.
std::function<std::string()> At_Line_After(std::string_view File, const std::int32_t& Count) {
    return [File, &Count] { return Place(File, Count > 0 ? Count + 1 : 0); };
}

std::function<std::string()> At(std::string_view File) {
    return [File] { return Place(File, 0); };
}

// The unit names of every line a run can convert; each line it cannot is an error.
void Derive_Names(Check_Record& Check) {
    Run_Record& Inputs = Check.Inputs;
    for (std::int32_t I = 2; I <= Inputs.Line_Count; ++I) {
        const std::string& Line = Read(Inputs.Project_Lines, I);
        Store(Inputs.Unit_Names, I, Line);
        if (std::string Problem = Unit_Name_Problem(Line); !Problem.empty()) {
            Report(Check, Place(Inputs.Project_Name, I), true, Problem);
        } else {
            To_Filename(Change(Inputs.Unit_Names, I));
        }
    }
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

// The dotted names a run would write, with the file each goes into.
std::vector<Ada_Unit> Units_Of(const Run_Record& Inputs) {
    std::vector<Ada_Unit> Units;
    for (std::int32_t I = 2; I <= Inputs.Line_Count; ++I) {
        const std::string& Line = Read(Inputs.Project_Lines, I);
        if (!Unit_Name_Problem(Line).empty()) {
            continue;
        }
        const bool Is_Main = I == 2;
        const std::int32_t File_Line = Is_Main ? 1 : I;
        Units.push_back({I, Read(Inputs.Unit_Names, I),
                         Read(Inputs.Project_Lines, File_Line) + (Is_Main ? ".adb" : ".ads"),
                         File_Line, Is_Main});
    }
    return Units;
}

void Report_Ada(Check_Record& Check) {
    const std::vector<Ada_Unit> Units = Units_Of(Check.Inputs);
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
    if (!Try_Step(Check, At_Line_After(Inputs.Project_Name, Inputs.Line_Count),
                  [&] { Read_Project_File(Inputs); })) {
        return;
    }
    Derive_Names(Check);
    if (Try_Step(Check, At(Inputs.Project_Name), [&] { (void)Root_Name(Inputs); })) {
        Report_Plan(Check, Make_Plan(Inputs, Licence_Read));
    }
    Report_Ada(Check);
}

} // namespace

int Check_Sequence(Check_Record& Check, std::span<const char* const> Arguments) {
    if (!Accept_Arguments(Check, Arguments)) {
        return Exit_Command_Line;
    }
    Run_Record& Inputs = Check.Inputs;
    Inputs.Out.Fd = No_Console;
    Inputs.Project_Lines = Create_String_Set(Inputs.Max_Lines);
    Inputs.Unit_Names = Create_String_Set(Inputs.Max_Lines);
    Try_Step(Check, At("Versions.lst"), [&] { Read_Version(Inputs); });
    Try_Step(Check, At("Abstract.txt"), [&] { Read_Abstract(Inputs); });
    const bool Licence_Read = Try_Step(Check, At_Line_After("gpl.txt", Inputs.Licence_Count),
                                       [&] { Read_Licence(Inputs); });
    Try_Step(Check, At("Copyright"), [&] { Read_Holder_Name(Inputs); });
    Check_Project(Check, Licence_Read);
    Report_Summary(Check);
    const bool Clean = Check.Fails == 0 && Check.Errors == 0;
    return Clean ? Exit_Complete : Exit_Problems;
}

} // namespace adaskel
