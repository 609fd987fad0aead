// The input sequence shared by the three programs.
#include "inputs/load_inputs.hpp"

#include "inputs/project_file.hpp"
#include "inputs/reference_texts.hpp"

#include <ctime>
#include <utility>

namespace adaskel {

bool Take_Step(Input_Sink& Sink, const std::function<void()>& Step) {
    if (!Sink.Record_All) {
        Step();
        return true;
    }
    try {
        Step();
        return true;
    } catch (const Run_Failure& Failure) {
        Sink.Found.push_back(Failure.Found);
        return false;
    }
}

void Take_Problems(Input_Sink& Sink, std::vector<Problem> Problems) {
    if (!Sink.Record_All) {
        Raise_First(std::move(Problems));
    }
    for (Problem& Found : Problems) {
        Sink.Found.push_back(std::move(Found));
    }
}

bool Load_Reference_Texts(Run_Record& Record, Input_Sink& Sink) {
    Take_Step(Sink, [&] {
        Record.Run_Date = Format_Run_Date(std::time(nullptr));
        Put_Line(Record.Out, "We are the " + Record.Run_Date);
    });
    Take_Step(Sink, [&] { Read_Version(Record); });
    Take_Step(Sink, [&] { Read_Abstract(Record); });
    return Take_Step(Sink, [&] { Read_Licence(Record); });
}

bool Load_Project(Run_Record& Record, Input_Sink& Sink) {
    Record.Project_Lines = Create_String_Set(Record.Max_Lines);
    Record.Unit_Names = Create_String_Set(Record.Max_Lines);
    if (!Take_Step(Sink, [&] { Read_Project_File(Record); })) {
        return false;
    }
    std::vector<Problem> Not_Text = Nul_Byte_Problems(Record);
    const bool Is_Text = Not_Text.empty();
    Take_Problems(Sink, std::move(Not_Text));
    if (Is_Text) {
        Take_Problems(Sink, Derive_Unit_Names(Record));
        Take_Step(Sink, [&] { (void)Root_Name(Record); });
    }
    return Is_Text;
}

} // namespace adaskel
