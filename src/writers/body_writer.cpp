// Forming the body file. The with lines keep the project file's order and its repeats.
#include "writers/body_writer.hpp"

#include "writers/header.hpp"

namespace adaskel {

void Write_Body_File(std::string& Output, const Run_Record& Record) {
    Write_Header(Output, Record);
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Output += "with ";
        Output += Read(Record.Unit_Names, J);
        Output += " ; \n";
    }
    const std::string& Main_Unit = Read(Record.Unit_Names, 2);
    Output += "procedure ";
    Output += Main_Unit;
    Output += " is\n\nbegin\n\n   null;\nend ";
    Output += Main_Unit;
    Output += " ; \n";
}

} // namespace adaskel
