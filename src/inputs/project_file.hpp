// The project file and the project it describes: the roles of its lines (root, main
// procedure, library units), its lines and their dotted names, and the one list of the
// files a run writes, which every program walks.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace adaskel {

// The roles of the project lines: the root of the tree, the main procedure, and from
// First_Unit_Line on one library unit a line.
inline constexpr std::int32_t Root_Line = 1;
inline constexpr std::int32_t Main_Line = 2;
inline constexpr std::int32_t First_Unit_Line = 3;

// Opens the project file, writes "open project file ", stores every line (the bound of
// max lines tested before each line is read), and closes it.
void Read_Project_File(Run_Record& Record);

// The lines, the root included, that hold a NUL byte, one problem each in line order. No
// path or name can hold one: the system would cut it there. A project file in UTF-16,
// say, fails at line 1.
std::vector<Problem> Nul_Byte_Problems(const Run_Record& Record);

// Copies project lines 2 and later into Unit_Names, then converts each copy in place.
// A line that cannot be converted is left as copied, and its problem returned.
std::vector<Problem> Derive_Unit_Names(Run_Record& Record);

// Whether project line I (2 or later) has become a dotted name.
bool Is_Converted(const Run_Record& Record, std::int32_t I);

// A problem of project line I, reported as "project file 'P' line I: Message".
Problem Line_Problem(const Run_Record& Record, std::int32_t I, std::string Message);

// Project line 1, the root of the generated tree; fails when the file has no line.
const std::string& Root_Name(const Run_Record& Record);

// One file a run writes: the main procedure's body, or a library unit's spec.
struct Output_File {
    std::int32_t Line = Main_Line; // the project line of its unit
    bool Is_Body = true;
    std::string Path; // relative to the current directory
};

// The files a run writes, in its order: the body file, then each unit's spec file in
// project-file order, repeats included. Each path is formed as it is reached.
struct Output_File_Range {
    struct Iterator {
        const Run_Record* Record = nullptr;
        std::int32_t Line = Main_Line;
        Output_File operator*() const;
        Iterator& operator++() {
            ++Line;
            return *this;
        }
        bool operator==(const Iterator& Other) const { return Line == Other.Line; }
    };
    const Run_Record* Record = nullptr;
    [[nodiscard]] Iterator begin() const { return {Record, Main_Line}; }
    [[nodiscard]] Iterator end() const;
};

// The files of the project the record holds; its root line must be there.
Output_File_Range Output_Files(const Run_Record& Record);

} // namespace adaskel
