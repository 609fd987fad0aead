// Reading the project file and deriving the unit names, in two passes over the lines.
#include "inputs/project_file.hpp"

#include "driver/failure.hpp"
#include "inputs/line_reader.hpp"
#include "inputs/unit_names.hpp"

namespace adaskel {

void Read_Project_File(Run_Record& Record) {
    Line_Reader Reader = Open_Reader(Record.Project_Name);
    Put(Record.Out, "open project file ");
    Read_Into(Reader, Record.Project_Lines, Record.Line_Count,
              "project file " + Quote(Record.Project_Name) + " has more lines than max lines (" +
                  std::to_string(Record.Project_Lines.Capacity) + ")");
    Close(Reader);
}

void Derive_Unit_Names(Run_Record& Record) {
    for (std::int32_t I = 2; I <= Record.Line_Count; ++I) {
        Store(Record.Unit_Names, I, Read(Record.Project_Lines, I));
    }
    for (std::int32_t I = 2; I <= Record.Line_Count; ++I) {
        const std::string& Line = Read(Record.Unit_Names, I);
        if (Line.empty() || Line.back() == '-') {
            throw Run_Failure(
                "project file " + Quote(Record.Project_Name) + " line " + std::to_string(I) + ": " +
                (Line.empty() ? std::string("empty unit name") : Quote(Line) + " ends with '-'"));
        }
        To_Filename(Change(Record.Unit_Names, I));
    }
}

} // namespace adaskel
