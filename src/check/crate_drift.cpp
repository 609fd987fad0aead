// Finding the crate's version and description lines, before its first table.
#include "check/crate_drift.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace adaskel {

namespace {

struct Found_Line {
    std::int32_t Number = 0;
    std::string_view Text;
};

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

} // namespace

std::vector<Crate_Field_Drift> Crate_Drift(std::string_view Text, std::string_view Manifest) {
    constexpr std::array<std::pair<std::string_view, std::string_view>, 2> Fields{
        {{"version", "the last line of 'Versions.lst'"},
         {"description", "line 1 of 'Abstract.txt'"}}};
    std::vector<Crate_Field_Drift> Found;
    for (const auto& [Key, Source] : Fields) {
        const auto Is = Key_Line(Text, Key);
        const auto Wanted = Key_Line(Manifest, Key);
        if (Is && Wanted && Is->Text != Wanted->Text) {
            Found.push_back({Is->Number, std::string(Is->Text), std::string(Wanted->Text),
                             std::string(Source)});
        }
    }
    return Found;
}

} // namespace adaskel
