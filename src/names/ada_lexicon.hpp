// Ada's lexical rules and GNAT's tables, with GNAT 12's defaults (Latin-1 sources, a
// unit's file named by its name in lower case with "." turned into "-"): what an Ada name
// is, how Ada compares names, the file GNAT looks for, the names of package Standard and
// of GNAT's own library, GNAT's limits, and the strings of a GPR file.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace adaskel {

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

// GNAT's top-level unit or file of the name Lower (in lower case), if there is one.
const Gnat_Unit* Gnat_Unit_Named(std::string_view Lower);

// Whether package Standard declares the name Lower (in lower case; ASCII among them). A
// library unit of such a name, or under one, conflicts with the declaration and the
// compiler refuses it.
bool Is_Standard_Name(std::string_view Lower);

// The longest main procedure name GNAT compiles: beyond it the compiler stops with
// "Name buffer overflow".
inline constexpr std::size_t Longest_Main_Name = 2035;

// The longest source file name gprbuild compiles: it writes FILE.stdout and FILE.stderr
// beside the objects, and a file name has at most 255 bytes.
inline constexpr std::size_t Longest_Source_File = 248;

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

// The first part of the dotted name Name: Name up to its first ".".
std::string_view Root_Of(std::string_view Name);

// Whether two names are one to Ada: equal but for letter case.
bool Same_Name(std::string_view Left, std::string_view Right);

// The hash of Name's lower case, equal for names that are one to Ada.
std::size_t Name_Hash(std::string_view Name);

// Whether Name holds a wide character in GNAT's bracket notation (["hhhh"]).
bool Holds_Wide_Character(std::string_view Name);

} // namespace adaskel
