// The units of a run: each dotted name of the project with the file adaskel writes it to,
// formed from the run's record when it is visited, so that no copy of the list is held.
#pragma once

#include "inputs/run_record.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace adaskel {

// One dotted name of the project and the file adaskel writes it to: its name is a view of
// the record's line.
struct Ada_Unit {
    std::int32_t Line = 0;      // the project line of the name
    std::string_view Name;      // the dotted name, as the file declares it
    std::string File_Name;      // the base name of the file the run writes
    std::int32_t File_Line = 0; // the project line the file name is made of
    bool Is_Main = false;       // the main procedure; every other unit is a package
};

// The unit of project line Line (2 or later) with the file it goes into; none when the
// line could not be converted into a dotted name.
std::optional<Ada_Unit> Ada_Unit_Of(const Run_Record& Record, std::int32_t Line);

// Calls Visit with the unit of each of a run's project lines 2 and later, in order; a line
// that could not be converted has none.
void Each_Ada_Unit(const Run_Record& Record, const std::function<void(const Ada_Unit&)>& Visit);

} // namespace adaskel
