// Forming the header block. The block is formed in memory, so a block that cannot be
// completed leaves nothing behind.
#include "writers/header.hpp"

#include <ctime>

namespace adaskel {

namespace {

// Lines 1 and 2: the abstract, and the copyright line naming the main unit.
void Append_Copyright(std::string& Output, const Run_Record& Record, std::time_t Now) {
    Output += "-- ";
    Output += Record.Abstract;
    Output += "\n-- ";
    Output += Read(Record.Unit_Names, 2);
    Output += " is Copyright (C)";
    Output += Local_Year_Image(Now);
    Output += ' ';
    Output += Record.Holder_Name;
    Output += " ; \n";
}

// Lines 3 to 17: each excerpt line without its first character.
void Append_Excerpt(std::string& Output, const Run_Record& Record) {
    for (std::int32_t K = Excerpt_First; K <= Excerpt_Last; ++K) {
        const std::string& Line = Read(Record.Licence_Lines, K);
        Output += "--";
        if (Line.size() > 1) {
            Output.append(Line, 1);
        }
        Output += '\n';
    }
}

} // namespace

std::string Local_Year_Image(std::time_t Time) {
    std::tm Parts{};
    if (::localtime_r(&Time, &Parts) == nullptr) {
        throw Run_Failure("cannot convert the clock's time to a local date");
    }
    // As Ada's Integer'Image writes it: a blank (or a minus sign) and the digits.
    const int Year = Parts.tm_year + 1900;
    std::string Image(Year < 0 ? 0 : 1, ' ');
    Image += std::to_string(Year);
    return Image;
}

std::optional<Problem> Main_Unit_Problem(const Run_Record& Record) {
    if (Is_Filled(Record.Unit_Names, 2)) {
        return std::nullopt;
    }
    return Problem{Record.Project_Name, 0,
                   "project file " + Quote(Record.Project_Name) +
                       " has no line 2: the main procedure is missing"};
}

std::optional<Problem> Excerpt_Problem(const Run_Record& Record) {
    if (Record.Licence_Count >= Excerpt_Last) {
        return std::nullopt;
    }
    return Problem{"gpl.txt", 0,
                   Quote("gpl.txt") + " has " + std::to_string(Record.Licence_Count) +
                       " lines: the header needs its lines " + std::to_string(Excerpt_First) +
                       " to " + std::to_string(Excerpt_Last)};
}

void Write_Header(std::string& Output, const Run_Record& Record) {
    if (auto Found = Main_Unit_Problem(Record)) {
        throw Run_Failure(std::move(*Found));
    }
    if (auto Found = Excerpt_Problem(Record)) {
        throw Run_Failure(std::move(*Found));
    }
    Append_Copyright(Output, Record, std::time(nullptr));
    Append_Excerpt(Output, Record);
    Output += "-- Date := \"";
    Output += Record.Run_Date;
    Output += "\"\n-- Version := \"";
    Output += Record.Version.value_or("");
    Output += "\"\n";
}

} // namespace adaskel
