// The units of a run, each formed from its project line and the output file it names.
#include "inputs/ada_units.hpp"

#include "base/path_parts.hpp"
#include "inputs/project_file.hpp"

namespace adaskel {

std::optional<Ada_Unit> Ada_Unit_Of(const Run_Record& Record, std::int32_t Line) {
    if (Line < Main_Line || Line > Record.Line_Count || !Is_Converted(Record, Line)) {
        return std::nullopt;
    }
    const Output_File File = Output_File_Of(Record, Line);
    return Ada_Unit{Line, Read(Record.Unit_Names, Line), std::string(Base_Name(File.Path)),
                    File.Is_Body ? Root_Line : Line, File.Is_Body};
}

void Each_Ada_Unit(const Run_Record& Record, const std::function<void(const Ada_Unit&)>& Visit) {
    for (std::int32_t Line = Main_Line; Line <= Record.Line_Count; ++Line) {
        if (auto Unit = Ada_Unit_Of(Record, Line)) {
            Visit(*Unit);
        }
    }
}

} // namespace adaskel
