// Forming the body and spec files. A unit's name stands only in its own lines.
#include "writers/unit_files.hpp"

namespace adaskel {

namespace {

// "<Kind> <Name> is", the Inside lines, and "end <Name> ; ".
void Add_Unit(std::string& Output, std::string_view Kind, std::string_view Name,
              std::string_view Inside) {
    Output += Kind;
    Output += Name;
    Output += " is\n\n";
    Output += Inside;
    Output += "end ";
    Output += Name;
    Output += " ; \n";
}

} // namespace

void Write_Body_File(std::string& Output, const Run_Record& Record, const Header& Block) {
    Output += Block.Text;
    for (std::int32_t J = First_Unit_Line; J <= Record.Line_Count; ++J) {
        Output += "with ";
        Output += Read(Record.Unit_Names, J);
        Output += " ; \n";
    }
    Add_Unit(Output, "procedure ", Read(Record.Unit_Names, Main_Line), "begin\n\n   null;\n");
}

void Write_Spec_File(std::string& Output, const Run_Record& Record, const Header& Block,
                     const Output_File& File) {
    Output += Block.Text;
    Add_Unit(Output, "package ", Read(Record.Unit_Names, File.Line), "");
}

} // namespace adaskel
