// Finding the crate's version and description lines, before its first table.
#include "check/crate_drift.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace adaskel {

namespace {

// A line found: its number and its text.
using Found_Line = std::pair<std::int32_t, std::string_view>;

// The top-level line of Text that sets Key ("version = ..."), blanks around ignored.
std::optional<Found_Line> Key_Line(std::string_view Text, std::string_view Key) {
    std::int32_t Number = 0;
    for (std::size_t Start = 0; Start < Text.size();) {
        const std::size_t Feed = std::min(Text.find('\n', Start), Text.size());
        std::string_view Line = Text.substr(Start, Feed - Start);
        Start = Feed + 1;
        ++Number;
        while (!Line.empty() &&
               (Line.back() == ' ' || Line.back() == '\t' || Line.back() == '\r')) {
            Line.remove_suffix(1);
        }
        const std::size_t First = Line.find_first_not_of(" \t");
        if (First == std::string_view::npos) {
            continue;
        }
        if (Line[First] == '[') {
            break; // a table: its keys are not the crate's own
        }
        const std::string_view Rest = Line.substr(First);
        const std::size_t Equals = Rest.find_first_not_of(" \t", Key.size());
        if (Rest.starts_with(Key) && Equals != std::string_view::npos && Rest[Equals] == '=') {
            return Found_Line{Number, Line};
        }
    }
    return std::nullopt;
}

// The value a key's line sets, blanks around it aside: lines that differ in blanks alone
// set the same value.
std::string_view Value_Of(std::string_view Line) {
    Line.remove_prefix(Line.find('=') + 1);
    const std::size_t First = Line.find_first_not_of(" \t");
    return First == std::string_view::npos ? std::string_view() : Line.substr(First);
}

} // namespace

std::vector<Crate_Field_Drift> Crate_Drift(std::string_view Text, std::string_view Manifest) {
    constexpr std::array<std::pair<std::string_view, std::string_view>, 2> Fields{
        {{"version", "the last line of 'Versions.lst'"},
         {"description", "line 1 of 'Abstract.txt'"}}};
    std::vector<Crate_Field_Drift> Found;
    for (const auto& [Key, Source] : Fields) {
        const auto Is = Key_Line(Text, Key);
        const auto Wanted = Key_Line(Manifest, Key);
        if (Is && Wanted && Value_Of(Is->second) != Value_Of(Wanted->second)) {
            Found.push_back({Is->first, std::string(Is->second), std::string(Wanted->second),
                             std::string(Source)});
        }
    }
    return Found;
}

} // namespace adaskel
