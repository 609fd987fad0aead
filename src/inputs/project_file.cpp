// Reading the project file, deriving the unit names, and the files a run writes.
#include "inputs/project_file.hpp"

#include "inputs/reference_texts.hpp"

#include "base/path_parts.hpp"
#include "inputs/line_reader.hpp"
#include "inputs/paths.hpp"
#include "inputs/unit_names.hpp"

#include <algorithm>
#include <optional>
#include <utility>

namespace adaskel {

namespace {

// Stores every line, the bound of max lines tested before each line is read.
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

// The lines holding a NUL byte, one problem each; a file in UTF-16, say, fails at line 1.
std::vector<Problem> Nul_Byte_Problems(const Run_Record& Record) {
    std::vector<Problem> Problems;
    for (std::int32_t I = Root_Line; I <= Record.Line_Count; ++I) {
        if (Read(Record.Project_Lines, I).find('\0') != std::string::npos) {
            Problems.push_back({Record.Project_Name, I,
                                "line " + std::to_string(I) + " holds a NUL byte",
                                "project file " + Quote(Record.Project_Name) + " "});
        }
    }
    return Problems;
}

// The file a run writes for project line J, in the tree of Root.
Output_File File_Of_Line(const Run_Record& Record, const std::string& Root, std::int32_t J) {
    if (J == Main_Line) {
        return {Main_Line, true, Body_Path(Root)};
    }
    return {J, false, Spec_Path(Root, Read(Record.Project_Lines, J))};
}

// Tells whether the file of a project line is in Directory.
auto Directory_Test(const Run_Record& Record, const std::string& Directory) {
    return [&Record, &Directory](std::uint32_t Line) {
        return Directory_Of(Output_File_Of(Record, static_cast<std::int32_t>(Line)).Path) ==
               Directory;
    };
}

} // namespace

std::vector<Problem> Derive_Unit_Names(Run_Record& Record) {
    for (std::int32_t I = Main_Line; I <= Record.Line_Count; ++I) {
        Store(Record.Unit_Names, I, Read(Record.Project_Lines, I));
    }
    std::vector<Problem> Problems;
    for (std::int32_t I = Main_Line; I <= Record.Line_Count; ++I) {
        if (auto Message = Unit_Name_Problem(Read(Record.Unit_Names, I))) {
            Problems.push_back(Line_Problem(Record, I, std::move(*Message)));
        } else {
            To_Filename(Change(Record.Unit_Names, I));
        }
    }
    return Problems;
}

bool Is_Converted(const Run_Record& Record, std::int32_t I) {
    return !Unit_Name_Problem(Read(Record.Project_Lines, I));
}

Problem Line_Problem(const Run_Record& Record, std::int32_t I, std::string Message) {
    return {Record.Project_Name, I, std::move(Message),
            "project file " + Quote(Record.Project_Name) + " line " + std::to_string(I) + ": "};
}

const std::string& Root_Name(const Run_Record& Record) {
    if (Record.Line_Count < Root_Line) {
        throw Run_Failure(Problem{Record.Project_Name, 0,
                                  "project file " + Quote(Record.Project_Name) +
                                      " has no line: the root directory is missing"});
    }
    return Read(Record.Project_Lines, Root_Line);
}

Output_File Output_File_Of(const Run_Record& Record, std::int32_t J) {
    return File_Of_Line(Record, Root_Name(Record), J);
}

void Each_Output_File(const Run_Record& Record,
                      const std::function<void(const Output_File&)>& Visit) {
    const std::string& Root = Root_Name(Record);
    // The body file is written even for a project file without a main line: the run
    // then fails on it, for want of the main procedure's name.
    Visit(File_Of_Line(Record, Root, Main_Line));
    for (std::int32_t J = First_Unit_Line; J <= Record.Line_Count; ++J) {
        Visit(File_Of_Line(Record, Root, J));
    }
}

Number_Set Each_Output_Directory(const Run_Record& Record,
                                 const std::function<void(const std::string&)>& Visit) {
    Number_Set Found = Create_Number_Set(static_cast<std::size_t>(std::max(Record.Line_Count, 1)));
    Each_Output_File(Record, [&](const Output_File& File) {
        std::string Directory = Directory_Of(File.Path);
        if (!Add_Number(Found, static_cast<std::uint32_t>(File.Line),
                        std::hash<std::string>{}(Directory), Directory_Test(Record, Directory))) {
            Visit(Directory);
        }
    });
    return Found;
}

bool Is_Output_Directory(const Run_Record& Record, const Number_Set& Found,
                         const std::string& Directory) {
    return Find_Number(Found, std::hash<std::string>{}(Directory),
                       Directory_Test(Record, Directory))
        .has_value();
}

bool Load_Project(Run_Record& Record, Input_Sink& Sink) {
    Record.Project_Lines = Create_String_Set(Record.Max_Lines);
    Record.Unit_Names = Create_String_Set(Record.Max_Lines);
    if (!Take_Step(Sink, [&] { Read_Project_File(Record); })) {
        return false;
    }
    std::vector<Problem> Not_Text = Nul_Byte_Problems(Record);
    const bool Is_Text = Not_Text.empty();
    Take_Problems(Sink, std::move(Not_Text));
    if (Is_Text) {
        Take_Problems(Sink, Derive_Unit_Names(Record));
        Take_Step(Sink, [&] { (void)Root_Name(Record); });
    }
    return Is_Text;
}

void Load_Run_Inputs(Run_Record& Record) {
    Record.Out.Fd = No_Console;
    Input_Sink Stop_At_First;
    Load_Reference_Texts(Record, Stop_At_First);
    Read_Holder_Name(Record);
    Load_Project(Record, Stop_At_First);
}

} // namespace adaskel
