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
#include <vector>

namespace adaskel {

namespace {

// The line a run prints for a refused command line.
std::string Refusal(const Run_Record& Record, Argument_Fault Fault) {
    if (Fault == Argument_Fault::No_Project_File) {
        return "Project name requiered.";
    }
    if (Fault == Argument_Fault::Not_Regular_File) {
        return "File name : \"" + Record.Project_Name + "\" is not regulary file.";
    }
    return "Max lines is not a positive.";
}

} // namespace

int Run_Sequence(Run_Record& Record, std::span<const char* const> Arguments) {
    Read_Reference_Texts(Record);
    if (const auto Fault = Accept_Arguments(Record, Arguments)) {
        Put_Line(Record.Out, Refusal(Record, *Fault));
        return Exit_Command_Line;
    }
    Put(Record.Out, "Enter your name : ");
    Record.Project_Lines = Create_String_Set(Record.Max_Lines);
    Record.Unit_Names = Create_String_Set(Record.Max_Lines);
    Read_Holder_Name(Record);
    Read_Project_File(Record);
    Raise_First(Nul_Byte_Problems(Record));
    Raise_First(Derive_Unit_Names(Record));
    Generate_Files(Record);
    End_Open_Line(Record.Out);
    return Exit_Complete;
}

} // namespace adaskel
