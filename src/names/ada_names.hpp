// The Ada checks of a project's unit names: what gprbuild, building the files adaskel
// writes through the GPR file adaskel-layout writes, will refuse, found before they are
// written; gnatmake is named where it does otherwise. The rules are those of GNAT 12 with
// its defaults (Latin-1 sources, a unit's file named by its name in lower case with "."
// turned into "-", a parent unit looked for in the file its name gives), of package
// Standard and GNAT's own library, and of the strings of a GPR file.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"
#include "names/check_rules.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// One dotted name of the project and the file adaskel writes it to, formed from the run's
// record when it is needed: its name is a view of the record's line.
struct Ada_Unit {
    std::int32_t Line = 0;      // the project line of the name
    std::string_view Name;      // the dotted name, as the file declares it
    std::string File_Name;      // the base name of the file the run writes
    std::int32_t File_Line = 0; // the project line the file name is made of
    bool Is_Main = false;       // the main procedure; every other unit is a package
};

struct Diagnostic {
    std::int32_t Line = 0;
    bool Is_Error = true; // otherwise a warning: gprbuild builds it, but not as meant, or
                          // gnatmake does not
    std::string Message;
    Check_Rule Rule = Check_Rule::Ada_Name; // the rule that found it
};

// What gprbuild, through a GPR file of the project's directories, and gnatmake do with a
// package of the project named as one of GNAT's own top-level units or files, found by
// building each. gprbuild refuses the language's roots and every unit under them, and
// compiles the project's package of every other name but two; gnatmake takes GNAT's unit,
// or refuses to bind a file named as one of GNAT's.
enum class Gnat_Treats {
    Refuses,       // gprbuild refuses the unit and every unit under it
    Refuses_Bind,  // gprbuild refuses to bind: GNAT's library was compiled with its file
    Takes_Body,    // gprbuild takes GNAT's body of that file name, and refuses it
    Gnatmake_Own,  // gprbuild builds the project's; gnatmake takes GNAT's own
    Gnatmake_Bind, // gprbuild builds the project's; gnatmake refuses to bind it
};

struct Gnat_Unit {
    std::string_view Name; // in lower case
    Gnat_Treats Treats;
};

// The names package Standard declares, in lower case, and GNAT's top-level units and
// files with what a package of each name meets: the tables the checks judge by, which the
// manual page lists.
std::span<const std::string_view> Standard_Declarations();
std::span<const Gnat_Unit> Gnat_Top_Level_Units();

// The longest main procedure name GNAT compiles: beyond it the compiler stops with
// "Name buffer overflow".
inline constexpr std::size_t Longest_Main_Name = 2035;

// The longest source file name gprbuild compiles: it writes FILE.stdout and FILE.stderr
// beside the objects, and a file name has at most 255 bytes.
inline constexpr std::size_t Longest_Source_File = 248;

// The unit of project line Line (2 or later) with the file it goes into; none when the
// line could not be converted into a dotted name.
std::optional<Ada_Unit> Ada_Unit_Of(const Run_Record& Record, std::int32_t Line);

// Calls Visit with the unit of each of a run's project lines 2 and later, in order; a line
// that could not be converted has none.
void Each_Ada_Unit(const Run_Record& Record, const std::function<void(const Ada_Unit&)>& Visit);

// Why Name is not a valid Ada name, if it is not: every part between dots must be an
// identifier of Latin-1 letters, digits and single underscores, and no reserved word.
std::optional<std::string> Ada_Name_Problem(std::string_view Name);

// The file name GNAT looks for by default: Name in lower case, "." made "-" (but "~"
// after a one-letter a, g, i or s), and the extension of a spec (.ads) or of a body (.adb).
std::string Gnat_File_Name(std::string_view Name, bool Is_Body);

// Text in Latin-1 lower case (A to Z and the capitals 192 to 222 but 215 gain 32), as Ada
// compares names and words.
std::string To_Lower_Latin_1(std::string_view Text);

// The name of the parent of the unit Name: Name up to its last ".", or "" when it has none.
std::string_view Parent_Of(std::string_view Name);

// Whether GNAT's own library holds Name or its hierarchy: a unit under one of GNAT's
// top-level units (Ada, System, Interfaces, GNAT, the old renamings) or files.
bool Is_Gnat_Unit(std::string_view Name);

// Why Text cannot be written into a string of a GPR file, if it cannot: gprbuild reads
// byte 0xFF there as a NUL byte, which ends the name. Every other byte from 0x80 up is
// read as written.
std::optional<std::string> Gpr_String_Problem(std::string_view Text);

// Tells whether a regular file is at a path of the tree.
using File_Test = std::function<bool(const std::string& Path)>;

// The diagnostics of the units of Record, ordered by unit. A parent
// that is not in the project file is looked for, with Is_File, where the run would write
// its spec: Root/P/src/lib/P.ads, P being the file name GNAT gives the parent. With
// Files_Named, the GPR file names every file that is not named as GNAT expects (a Naming
// exception each, as adaskel-layout derives them), so a file's name is not judged.
std::vector<Diagnostic> Check_Ada_Units(const Run_Record& Record, const File_Test& Is_File,
                                        bool Files_Named = false);

} // namespace adaskel
