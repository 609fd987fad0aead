// Reading the project file and deriving the unit names, in two passes over the lines.
#include "inputs/project_file.hpp"

#include "driver/failure.hpp"
#include "inputs/line_reader.hpp"
#include "inputs/unit_names.hpp"

#include <optional>
#include <utility>

namespace adaskel {

void Read_Project_File(Run_Record& Record) {
    Line_Reader Reader = Open_Reader(Record.Project_Name);
    Put(Record.Out, "open project file ");
    if (!Read_Into(Reader, Record.Project_Lines, Record.Line_Count)) {
        throw Run_Failure(Problem{Record.Project_Name, Record.Line_Count + 1,
                                  "project file " + Quote(Record.Project_Name) +
                                      " has more lines than max lines (" +
                                      std::to_string(Record.Project_Lines.Capacity) + ")"});
    }
}

namespace {

// What is wrong with line I for holding a NUL byte, if it holds one.
std::optional<Problem> Nul_Byte_Problem(const Run_Record& Record, std::int32_t I) {
    if (Read(Record.Project_Lines, I).find('\0') == std::string::npos) {
        return std::nullopt;
    }
    return Problem{Record.Project_Name, I, "line " + std::to_string(I) + " holds a NUL byte",
                   "project file " + Quote(Record.Project_Name) + " "};
}

} // namespace

std::vector<Problem> Nul_Byte_Problems(const Run_Record& Record) {
    std::vector<Problem> Problems;
    for (std::int32_t I = 1; I <= Record.Line_Count; ++I) {
        if (auto Found = Nul_Byte_Problem(Record, I)) {
            Problems.push_back(std::move(*Found));
        }
    }
    return Problems;
}

std::vector<Problem> Derive_Unit_Names(Run_Record& Record) {
    for (std::int32_t I = 2; I <= Record.Line_Count; ++I) {
        Store(Record.Unit_Names, I, Read(Record.Project_Lines, I));
    }
    std::vector<Problem> Problems;
    for (std::int32_t I = 2; I <= Record.Line_Count; ++I) {
        if (auto Message = Unit_Name_Problem(Read(Record.Unit_Names, I))) {
            Problems.push_back(Line_Problem(Record, I, std::move(*Message)));
        } else {
            To_Filename(Change(Record.Unit_Names, I));
        }
    }
    return Problems;
}

Problem Line_Problem(const Run_Record& Record, std::int32_t I, std::string Message) {
    return {Record.Project_Name, I, std::move(Message),
            "project file " + Quote(Record.Project_Name) + " line " + std::to_string(I) + ": "};
}

const std::string& Root_Name(const Run_Record& Record) {
    if (Record.Line_Count < 1) {
        throw Run_Failure(Problem{Record.Project_Name, 0,
                                  "project file " + Quote(Record.Project_Name) +
                                      " has no line: the root directory is missing"});
    }
    return Read(Record.Project_Lines, 1);
}

} // namespace adaskel
