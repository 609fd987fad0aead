// The name rules of the layout. The root is held to the rules of a project name in a
// GPR file, which also make it a plain directory name; a unit line only has to name one
// directory below the root and fit in a string of the GPR file.
#include "names/tree_names.hpp"

#include "base/failure.hpp"
#include "inputs/project_file.hpp"

#include <algorithm>
#include <array>
#include <set>

namespace adaskel {

namespace {

// The words project files reserve beyond those of Ada.
constexpr std::array<std::string_view, 4> Project_Words = {"project", "extends", "external",
                                                           "external_as_list"};

// The directories gprbuild (objects, program) and alr (its cache, its configuration)
// make beside the GPR file, in the root.
constexpr std::array<std::string_view, 4> Build_Directories = {"alire", "config", "obj", "bin"};

constexpr std::string_view Byte_Order_Mark = "\xef\xbb\xbf";

bool Is_Ascii_Word_Character(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

} // namespace

std::span<const std::string_view> Project_File_Words() {
    return Project_Words;
}

std::span<const std::string_view> Build_Directory_Names() {
    return Build_Directories;
}

std::optional<std::string> Root_Problem(std::string_view Root) {
    const std::string Named = "root " + Quote(Root);
    if (Root.empty() || !std::all_of(Root.begin(), Root.end(), Is_Ascii_Word_Character)) {
        return Named + " is not a GPR project name: it must be an identifier of ASCII letters, "
                       "digits and underscores";
    }
    if (auto Found = Ada_Name_Problem(Root)) {
        return "root " + *Found;
    }
    if (std::find(Project_Words.begin(), Project_Words.end(), To_Lower_Latin_1(Root)) !=
        Project_Words.end()) {
        return Named + " is a reserved word of project files";
    }
    return std::nullopt;
}

std::optional<std::string> Unit_Directory_Problem(std::string_view Line) {
    std::string_view Reason;
    if (Line == "." || Line == "..") {
        Reason = "it is '.' or '..'";
    } else if (Line.find('/') != std::string_view::npos) {
        Reason = "it holds '/'";
    } else if (std::any_of(Line.begin(), Line.end(), [](char C) {
                   return static_cast<unsigned char>(C) < 0x20 || C == 0x7f;
               })) {
        Reason = "it holds a control character";
    } else if (std::find(Build_Directories.begin(), Build_Directories.end(), Line) !=
               Build_Directories.end()) {
        Reason = "gprbuild and alr keep their own files there";
    } else if (Line.find('.') != std::string_view::npos) {
        std::string Dashed(Line);
        std::replace(Dashed.begin(), Dashed.end(), '.', '-');
        return Quote(Line) + " holds '.': write " + Quote(Dashed) +
               ": lines separate names with '-'";
    } else {
        return std::nullopt;
    }
    return Quote(Line) + " cannot be a directory of the tree: " + std::string(Reason);
}

std::string Line_Note(std::string_view Line) {
    if (Line.starts_with(Byte_Order_Mark)) {
        return " (the line starts with a UTF-8 byte order mark)";
    }
    return Line.ends_with('\r') ? " (a CRLF file?)" : "";
}

std::vector<Diagnostic> Judge_Lines(const Run_Record& Record, const File_Test& Is_File,
                                    bool Files_Named) {
    std::vector<Diagnostic> Found;
    if (Record.Line_Count < Root_Line) {
        return Found;
    }
    const std::string& Root = Root_Name(Record);
    auto Root_Found = Root_Problem(Root);
    if (!Root_Found) {
        // The main procedure's directory is named by the root.
        Root_Found = Unit_Directory_Problem(Root);
    }
    if (Root_Found) {
        Found.push_back({{"", Root_Line, std::move(*Root_Found)}, true, Check_Rule::Root_Name});
    }
    for (std::int32_t J = First_Unit_Line; J <= Record.Line_Count; ++J) {
        if (auto Line_Found = Unit_Directory_Problem(Read(Record.Project_Lines, J))) {
            Found.push_back({{"", J, std::move(*Line_Found)}, true, Check_Rule::Unit_Directory});
        }
    }
    // A line the tree refuses has said what is wrong with it: the Ada checks add nothing.
    std::set<std::int32_t> Refused;
    for (const Diagnostic& Tree : Found) {
        Refused.insert(Tree.Found.Line);
    }
    for (Diagnostic& Ada : Check_Ada_Units(Record, Is_File, Files_Named)) {
        if (Refused.count(Ada.Found.Line) == 0) {
            Found.push_back(std::move(Ada));
        }
    }
    std::stable_sort(Found.begin(), Found.end(),
                     [](const Diagnostic& Left, const Diagnostic& Right) {
                         return Left.Found.Line < Right.Found.Line;
                     });
    for (Diagnostic& Each : Found) {
        Each.Found.Message += Line_Note(Read(Record.Project_Lines, Each.Found.Line));
    }
    return Found;
}

std::vector<Diagnostic> List_Errors(const Run_Record& Record) {
    std::vector<Diagnostic> Found = Judge_Lines(
        Record, [](const std::string&) { return true; }, true);
    std::erase_if(Found, [](const Diagnostic& Each) { return !Each.Is_Error; });
    return Found;
}

} // namespace adaskel
