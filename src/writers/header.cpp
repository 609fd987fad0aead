// Forming the header block. The block is formed in memory, so a block that cannot be
// completed leaves nothing behind.
#include "writers/header.hpp"

#include "driver/failure.hpp"

#include <ctime>

namespace adaskel {

int Current_Local_Year() {
    const std::time_t Now = std::time(nullptr);
    std::tm Parts{};
    if (::localtime_r(&Now, &Parts) == nullptr) {
        throw Run_Failure("cannot convert the clock's time to a local date");
    }
    return Parts.tm_year + 1900;
}

std::string Year_Image(int Year) {
    std::string Image(Year < 0 ? 0 : 1, ' '); // a minus sign takes the blank's place
    Image += std::to_string(Year);
    return Image;
}

std::string Header_Problem(const Run_Record& Record) {
    if (!Is_Filled(Record.Unit_Names, 2)) {
        return "project file " + Quote(Record.Project_Name) +
               " has no line 2: the main procedure is missing";
    }
    if (Record.Licence_Count < Excerpt_Last) {
        return Quote("gpl.txt") + " has " + std::to_string(Record.Licence_Count) +
               " lines: the header needs its lines " + std::to_string(Excerpt_First) + " to " +
               std::to_string(Excerpt_Last);
    }
    return {};
}

void Append_Header(std::string& Output, const Run_Record& Record, int Year) {
    if (auto Problem = Header_Problem(Record); !Problem.empty()) {
        throw Run_Failure(Problem);
    }
    const std::string& Main_Unit = Read(Record.Unit_Names, 2);
    Output += "-- ";
    Output += Record.Abstract;
    Output += "\n-- ";
    Output += Main_Unit;
    Output += " is Copyright (C)";
    Output += Year_Image(Year);
    Output += ' ';
    Output += Record.Holder_Name;
    Output += " ; \n";
    for (std::int32_t K = Excerpt_First; K <= Excerpt_Last; ++K) {
        const std::string& Line = Read(Record.Licence_Lines, K);
        Output += "--";
        if (Line.size() > 1) {
            Output.append(Line, 1);
        }
        Output += '\n';
    }
    Output += "-- Date := \"";
    Output += Record.Run_Date;
    Output += "\"\n-- Version := \"";
    Output += Record.Version.value_or("");
    Output += "\"\n";
}

void Write_Header(std::string& Output, const Run_Record& Record) {
    Append_Header(Output, Record, Current_Local_Year());
}

} // namespace adaskel
