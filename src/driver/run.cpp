// The run sequence and the command-line checks, in the fixed order of the run: reference
// texts first (even when the command line is then rejected), then the arguments, then
// the holder name and the generation pass.
#include "driver/run.hpp"

#include "driver/command_line.hpp"
#include "driver/failure.hpp"
#include "inputs/generation.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"

#include <string>

namespace adaskel {

namespace {

// Checks the arguments, fills Project_Name and Max_Lines; false after a handled message.
bool Accept_Command_Line(Run_Record& Record, std::span<const char* const> Arguments) {
    if (Arguments.empty()) {
        Put_Line(Record.Out, "Project name requiered.");
        return false;
    }
    Record.Project_Name = Arguments[0];
    if (!Is_Regular_File(Record.Project_Name)) {
        Put_Line(Record.Out, "File name : \"" + Record.Project_Name + "\" is not regulary file.");
        return false;
    }
    if (Arguments.size() > 1) {
        const auto Max_Lines = To_Max_Lines(Arguments[1]);
        if (!Max_Lines) {
            Put_Line(Record.Out, "Max lines is not a positive.");
            return false;
        }
        Record.Max_Lines = *Max_Lines;
    }
    return true;
}

} // namespace

int Run_Sequence(Run_Record& Record, std::span<const char* const> Arguments) {
    Read_Reference_Texts(Record);
    if (!Accept_Command_Line(Record, Arguments)) {
        return Exit_Command_Line;
    }
    Put(Record.Out, "Enter your name : ");
    Record.Project_Lines = Create_String_Set(Record.Max_Lines);
    Record.Unit_Names = Create_String_Set(Record.Max_Lines);
    Read_Holder_Name(Record);
    Read_Project_File(Record);
    Derive_Unit_Names(Record);
    Generate_Files(Record);
    End_Open_Line(Record.Out);
    return Exit_Complete;
}

} // namespace adaskel
