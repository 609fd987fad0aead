// Reading of "Versions.lst", "Abstract.txt", "gpl.txt" and "Copyright", and the run date.
#include "inputs/reference_texts.hpp"

#include "base/failure.hpp"
#include "inputs/line_reader.hpp"

#include <array>
#include <utility>

namespace adaskel {

std::string Format_Run_Date(std::time_t Time) {
    std::tm Parts{};
    // The date has 19 characters only while its year has four digits.
    constexpr int First_Year = 0;
    constexpr int Last_Year = 9999;
    if (::gmtime_r(&Time, &Parts) == nullptr || Parts.tm_year < First_Year - 1900 ||
        Parts.tm_year > Last_Year - 1900) {
        throw Run_Failure("cannot convert the clock's time to a date");
    }
    const std::string Year = std::to_string(Parts.tm_year + 1900);
    std::string Date(4 - Year.size(), '0');
    Date += Year;
    std::array<char, 32> Text{};
    Date.append(Text.data(), std::strftime(Text.data(), Text.size(), "-%m-%d %H:%M:%S", &Parts));
    return Date;
}

namespace {

void Read_Version(Run_Record& Record) {
    Line_Reader Reader = Open_Reader("Versions.lst");
    while (!End_Of_File(Reader)) {
        Record.Version = Read_Line(Reader);
    }
    Record.Version_Line = Reader.Lines_Read;
    Record.Versions_File = std::move(Reader.Fd);
    if (!Record.Version) {
        throw Run_Failure(
            Problem{"Versions.lst", 0,
                    "no version in " + Quote("Versions.lst") + ": the file holds no line"});
    }
    Put_Line(Record.Out, "The version is " + *Record.Version);
}

void Read_Abstract(Run_Record& Record) {
    Line_Reader Reader = Open_Reader("Abstract.txt");
    Put_Line(Record.Out, "Open Abstract.txt...");
    // Only the first line counts; a file without a single byte fails here.
    Record.Abstract = Read_Line(Reader);
}

void Read_Licence(Run_Record& Record) {
    Line_Reader Reader = Open_Reader("gpl.txt");
    Put_Line(Record.Out, "Open gtl.txt...");
    if (!Read_Into(Reader, Record.Licence_Lines, Record.Licence_Count)) {
        throw Run_Failure(Problem{"gpl.txt", Record.Licence_Count + 1,
                                  Quote("gpl.txt") + " has more than " +
                                      std::to_string(Record.Licence_Lines.Capacity) + " lines"});
    }
    Put_Line(Record.Out, "End traitment...");
}

} // namespace

bool Load_Reference_Texts(Run_Record& Record, Input_Sink& Sink) {
    Take_Step(Sink, [&] {
        Record.Run_Date = Format_Run_Date(std::time(nullptr));
        Put_Line(Record.Out, "We are the " + Record.Run_Date);
    });
    Take_Step(Sink, [&] { Read_Version(Record); });
    Take_Step(Sink, [&] { Read_Abstract(Record); });
    return Take_Step(Sink, [&] { Read_Licence(Record); });
}

void Read_Holder_Name(Run_Record& Record) {
    Line_Reader Reader = Open_Reader("Copyright");
    Record.Holder_Name = Read_Line(Reader);
    Put(Record.Out, "Name ok ! ! ! !  ");
}

} // namespace adaskel
