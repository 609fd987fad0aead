// Telling the licence texts apart by the lines that matter, blanks around them ignored.
#include "inputs/licence_kind.hpp"

namespace adaskel {

namespace {

std::string_view Trimmed(const Run_Record& Record, std::int32_t Line) {
    if (Line > Record.Licence_Count) {
        return {};
    }
    std::string_view Text = Read(Record.Licence_Lines, Line);
    const std::size_t First = Text.find_first_not_of(" \t");
    if (First == std::string_view::npos) {
        return {};
    }
    return Text.substr(First, Text.find_last_not_of(" \t\r") + 1 - First);
}

} // namespace

Licence_Kind Licence_Of(const Run_Record& Record) {
    if (Trimmed(Record, 1) == "GNU GENERAL PUBLIC LICENSE" &&
        Trimmed(Record, 2).starts_with("Version 3,")) {
        return Licence_Kind::Gpl_3;
    }
    if (Trimmed(Record, 296).starts_with("This program is free software;") &&
        Trimmed(Record, 298).ends_with("either version 2 of the License, or") &&
        Trimmed(Record, 299) == "(at your option) any later version.") {
        return Licence_Kind::Gpl_2_Notice;
    }
    return Licence_Kind::Other;
}

} // namespace adaskel
