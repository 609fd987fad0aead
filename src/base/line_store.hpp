// The line store: the program's one container for text, a set of entries indexed from 1
// to a fixed capacity, each empty or owning one line of exact length.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// Entry I of a store lives at index I - 1. Only entries up to the highest one stored
// exist in memory: the capacity is a bound that is checked, not an allocation, so a
// store of capacity 2147483647 costs what its stored lines cost.
using String_Array = std::vector<std::optional<std::string>>;

struct String_Set {
    std::int32_t Capacity = 1;
    String_Array Lines;
};

// A store of the given capacity (at least 1) with every entry empty.
String_Set Create_String_Set(std::int32_t Capacity);

// Makes room for the entries up to Index (at most the capacity), filling none.
void Reserve(String_Set& Set, std::int32_t Index);

// Entry Index takes Text (a line read is moved in, a stored one copied). Fails when
// Index is outside 1 to Capacity.
void Store(String_Set& Set, std::int32_t Index, std::string Text);

// The line at Index. Fails when Index is outside 1 to Capacity or the entry is empty.
const std::string& Read(const String_Set& Set, std::int32_t Index);

// The characters of the line at Index, to be changed in place; the length cannot change.
std::span<char> Change(String_Set& Set, std::int32_t Index);

// Whether entry Index is filled; false for an index outside 1 to Capacity.
bool Is_Filled(const String_Set& Set, std::int32_t Index);

} // namespace adaskel
