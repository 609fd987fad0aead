// adaskel: writes the Ada source skeletons of a project into its existing tree, in the
// fixed order of the run: reference texts first (even when the command line is then
// rejected), then the arguments, then the holder name and the generation pass.
#include "base/entry.hpp"
#include "base/failure.hpp"
#include "inputs/command_line.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"
#include "inputs/run_record.hpp"
#include "writers/generation.hpp"

#include <string>
#include <vector>

namespace adaskel {

namespace {

// The line a run prints for a refused command line.
std::string Refusal(const Run_Record& Record, Argument_Fault Fault) {
    if (Fault == Argument_Fault::No_Project_File) {
        return "Project name requiered.";
    }
    if (Fault == Argument_Fault::No_Such_File || Fault == Argument_Fault::Not_Regular_File) {
        return "File name : \"" + Record.Project_Name + "\" is not regulary file.";
    }
    return "Max lines is not a positive.";
}

// Performs the run with the arguments after the program name. Returns the exit status
// of a run that ends by its own path; every other failure is raised as Run_Failure.
int Run_Sequence(Run_Record& Record, std::span<const char* const> Arguments) {
    Input_Sink Stop_At_First;
    Load_Reference_Texts(Record, Stop_At_First);
    if (const auto Fault = Accept_Arguments(Record, Arguments)) {
        Put_Line(Record.Out, Refusal(Record, *Fault));
        return Exit_Command_Line;
    }
    Put(Record.Out, "Enter your name : ");
    Read_Holder_Name(Record);
    Load_Project(Record, Stop_At_First);
    Generate_Files(Record);
    End_Open_Line(Record.Out);
    return Exit_Complete;
}

} // namespace

} // namespace adaskel

int main(int argc, char** argv) {
    adaskel::Run_Record Record;
    return adaskel::Run_Program(Record.Out, "adaskel", argc, argv,
                                [&](adaskel::Arguments_After Arguments) {
                                    return adaskel::Run_Sequence(Record, Arguments);
                                });
}
