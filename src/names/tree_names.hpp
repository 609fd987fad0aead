// Which project lines can name the tree's directories and its GPR project: judged
// before anything is created, so that a bad line leaves the tree as it was.
#pragma once

#include "inputs/run_record.hpp"
#include "names/ada_names.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace adaskel {

// The words project files reserve beyond Ada's, and the directories gprbuild and alr make
// in the root: the tables the tree's rules judge by, which the manual pages list.
std::span<const std::string_view> Project_File_Words();
std::span<const std::string_view> Build_Directory_Names();

// Why Root, project line 1, cannot be the root directory and the name of its GPR
// project, if it cannot: it must be an identifier of ASCII letters, digits and single
// underscores, and no reserved word of Ada or of project files.
std::optional<std::string> Root_Problem(std::string_view Root);

// Why Line, a unit line, cannot be one directory of the tree, if it cannot: it is "." or
// "..", or holds a "/" or a control character (which a project file cannot quote), or a
// "." (lines separate names with "-"), or it is a directory gprbuild or alr keeps for its
// own files beside the GPR file (alire, config, obj, bin).
std::optional<std::string> Unit_Directory_Problem(std::string_view Line);

// What a report adds to a problem of Line, naming a cause the quoted line hides: " (a
// CRLF file?)" after a carriage return at its end, and a note on a UTF-8 byte order mark
// at its start; "" when neither.
std::string Line_Note(std::string_view Line);

// Every problem of the project's lines, ordered by line, each with its Line_Note: the
// tree's rules (root, then each unit line's directory), then Check_Ada_Units with
// Is_File and Files_Named on the lines the tree takes. adaskel-layout refuses a list for
// each error found with a file test that sees every file (the errors of the list alone);
// adaskel-check reports them all.
std::vector<Diagnostic> Judge_Lines(const Run_Record& Record, const File_Test& Is_File,
                                    bool Files_Named);

// The errors of the list alone, for which adaskel-layout refuses it, creating nothing:
// those Judge_Lines finds with a file test that sees every file and every file named.
std::vector<Diagnostic> List_Errors(const Run_Record& Record);

} // namespace adaskel
