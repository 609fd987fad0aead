// Forming the header block, line by line, noting where each line's text comes from.
#include "writers/header.hpp"

namespace adaskel {

namespace {

// Starts a header line with its fixed opening.
void Begin_Line(Header& Block, std::string_view Opening) {
    Block.Lines.push_back({.Offset = Block.Text.size(), .File = {}});
    Block.Text += Opening;
}

// Appends the text of the current line that comes from line Source_Line of File.
void Add_Source(Header& Block, std::string_view Text, std::string_view File,
                std::int32_t Source_Line, std::size_t First_Column = 1) {
    Header_Line& Line = Block.Lines.back();
    Line.File = File;
    Line.Source_Line = Source_Line;
    Line.Start = Block.Text.size() - Line.Offset;
    Line.Size = Text.size();
    Line.First_Column = First_Column;
    Block.Text += Text;
}

// Lines 3 to 17: each excerpt line without its first character.
void Add_Excerpt(Header& Block, const Run_Record& Record) {
    for (std::int32_t K = Excerpt_First; K <= Excerpt_Last; ++K) {
        const std::string& Line = Read(Record.Licence_Lines, K);
        Begin_Line(Block, "--");
        Add_Source(Block, std::string_view(Line).substr(Line.empty() ? 0 : 1), "gpl.txt", K, 2);
        Block.Text += '\n';
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
    if (Is_Filled(Record.Unit_Names, Main_Line)) {
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

Header Form_Header(const Run_Record& Record) {
    if (auto Found =
            Main_Unit_Problem(Record) ? Main_Unit_Problem(Record) : Excerpt_Problem(Record)) {
        throw Run_Failure(std::move(*Found));
    }
    Header Block;
    Begin_Line(Block, "-- ");
    Add_Source(Block, Record.Abstract, "Abstract.txt", 1);
    Block.Text += '\n';
    Begin_Line(Block, "-- " + Read(Record.Unit_Names, Main_Line) + " is Copyright (C)" +
                          Local_Year_Image(std::time(nullptr)) + " ");
    Add_Source(Block, Record.Holder_Name, "Copyright", 1);
    Block.Text += " ; \n";
    Add_Excerpt(Block, Record);
    Begin_Line(Block, "-- Date := \"" + Record.Run_Date + "\"\n");
    Begin_Line(Block, "-- Version := \"");
    Add_Source(Block, Record.Version.value_or(""), "Versions.lst", Record.Version_Line);
    Block.Text += "\"\n";
    return Block;
}

} // namespace adaskel
