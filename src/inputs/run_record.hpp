// The run-wide values: owned by the driver for the whole run, filled once by the
// inputs, read by the writers. Passed by reference; never copied.
#pragma once

#include "base/console.hpp"
#include "base/line_store.hpp"
#include "base/owned_fd.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace adaskel {

inline constexpr std::int32_t Default_Max_Lines = 16384;
inline constexpr std::int32_t Licence_Capacity = 4096;

struct Run_Record {
    Console Out;
    std::int32_t Max_Lines = Default_Max_Lines;
    std::int32_t Line_Count = 0;
    std::int32_t Licence_Count = 0;
    String_Set Licence_Lines = Create_String_Set(Licence_Capacity);
    std::string Run_Date;
    std::optional<std::string> Version;
    std::int32_t Version_Line = 0; // the line of "Versions.lst" the version is on
    Owned_Fd Versions_File;        // "Versions.lst", read to its end, kept open until the run ends
    std::string Abstract;
    std::string Project_Name;
    String_Set Project_Lines;
    String_Set Unit_Names;
    std::string Holder_Name;
};

} // namespace adaskel
