// Bounds-checked operations of the line store.
#include "base/line_store.hpp"

#include "base/failure.hpp"

#include <algorithm>
#include <utility>

namespace adaskel {

namespace {

void Check_Index(const String_Set& Set, std::int32_t Index) {
    if (Index < 1 || Index > Set.Capacity) {
        throw Run_Failure("line store index " + std::to_string(Index) + " is outside 1 to " +
                          std::to_string(Set.Capacity));
    }
}

// Shared by the reading and the changing access; Set_Type is String_Set, const or not.
template <typename Set_Type> auto& Filled_Entry(Set_Type& Set, std::int32_t Index) {
    Check_Index(Set, Index);
    const auto Position = static_cast<std::size_t>(Index - 1);
    if (Position >= Set.Lines.size() || !Set.Lines[Position].has_value()) {
        throw Run_Failure("line store entry " + std::to_string(Index) + " holds no line");
    }
    return *Set.Lines[Position];
}

} // namespace

String_Set Create_String_Set(std::int32_t Capacity) {
    if (Capacity < 1) {
        throw Run_Failure("line store capacity " + std::to_string(Capacity) + " is below 1");
    }
    return String_Set{Capacity, {}};
}

void Reserve(String_Set& Set, std::int32_t Index) {
    Set.Lines.reserve(static_cast<std::size_t>(std::clamp(Index, 1, Set.Capacity)));
}

void Store(String_Set& Set, std::int32_t Index, std::string Text) {
    Check_Index(Set, Index);
    const auto Position = static_cast<std::size_t>(Index - 1);
    if (Position == Set.Lines.size()) { // the next entry, as lines are read
        Set.Lines.emplace_back(std::move(Text));
        return;
    }
    Set.Lines.resize(std::max(Set.Lines.size(), Position + 1));
    Set.Lines[Position].emplace(std::move(Text));
}

const std::string& Read(const String_Set& Set, std::int32_t Index) {
    return Filled_Entry(Set, Index);
}

std::span<char> Change(String_Set& Set, std::int32_t Index) {
    std::string& Line = Filled_Entry(Set, Index);
    return {Line.data(), Line.size()};
}

bool Is_Filled(const String_Set& Set, std::int32_t Index) {
    const auto Position = static_cast<std::size_t>(Index) - 1; // huge for an Index below 1
    return Index >= 1 && Index <= Set.Capacity && Position < Set.Lines.size() &&
           Set.Lines[Position].has_value();
}

} // namespace adaskel
