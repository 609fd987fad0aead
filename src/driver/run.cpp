// The run sequence and the command-line checks, in the fixed order of the run: reference
// texts first (even when the command line is then rejected), then the arguments, then
// the holder name and the generation pass.
#include "driver/run.hpp"

#include "driver/command_line.hpp"
#include "driver/failure.hpp"
#include "inputs/generation.hpp"
#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

// A path that leads to nothing is the handled wrong argument; an error looking at it,
// such as an I/O error or a missing permission, is a failure of the run instead.
bool Is_Regular_File(const std::string& Path) {
    struct stat Status {};
    if (::stat(Path.c_str(), &Status) == 0) {
        return S_ISREG(Status.st_mode);
    }
    if (errno == ENOENT || errno == ENOTDIR || errno == ELOOP || errno == ENAMETOOLONG) {
        return false;
    }
    Raise_System_Failure("cannot open", Path, errno);
}

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

void Report_Failure(Run_Record& Record, std::string_view Message) {
    try {
        End_Open_Line(Record.Out);
    } catch (const Run_Failure&) {
        // Standard output is broken; the report on standard error still goes out.
        Record.Out.Line_Open = false;
    }
    std::string Line = "adaskel: ";
    Line.append(Message);
    Line += '\n';
    Write_All(STDERR_FILENO, Line);
}

} // namespace adaskel
