// Forming a spec file: the unit's own name stands only in its package lines.
#include "writers/spec_writer.hpp"

#include "writers/header.hpp"

namespace adaskel {

void Write_Spec_File(std::string& Output, const Run_Record& Record, std::int32_t J) {
    Write_Header(Output, Record);
    const std::string& Unit_Name = Read(Record.Unit_Names, J);
    Output += "package ";
    Output += Unit_Name;
    Output += " is\n\nend ";
    Output += Unit_Name;
    Output += " ; \n";
}

} // namespace adaskel
