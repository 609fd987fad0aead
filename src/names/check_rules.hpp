// The rules adaskel-check applies, each with an id that stays the same from version to
// version: its JSON and SARIF reports name them, so that CI and code scanning follow a
// result by its rule. A new rule gets a new id; an id is never renamed or reused. What a
// rule finds is a Diagnostic, the one shape every judge of the check returns.
#pragma once

#include "base/failure.hpp"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace adaskel {

enum class Check_Rule : std::uint8_t {
    Input,                  // an input a run stops on, before it writes a file
    Run_Fails_At_File,      // the run fails at a file of the plan
    Empty_File,             // a file there holds no byte, and every run skips it
    Header_Text,            // a reference text that makes the header refused
    Gpl_3_Licence,          // gpl.txt is the GPL version 3
    Root_Name,              // the root cannot name the tree's project and directory
    Unit_Directory,         // a line cannot name a directory of the tree
    Ada_Name,               // a name that is not a valid Ada name
    Repeated_Unit,          // a unit listed twice, or as the main procedure
    Standard_Unit,          // a unit named as a declaration of package Standard
    Gnat_Unit,              // a unit of GNAT's own library or hierarchy
    Name_Length,            // a name or file name over GNAT's limits
    Gpr_String,             // a name that a GPR file string cannot hold
    Wide_Character,         // a name in GNAT's bracket notation, not judged
    File_Name,              // a file that GNAT's default naming does not find
    Parent_Unit,            // a parent unit that GNAT will not find, or cannot have a child
    Gpr_Not_Derived,        // ROOT.gpr does not take its sources from the derived project
    Tree_Project_Missing,   // the derived project is missing
    Tree_Project_Stale,     // the derived project does not follow the list and the tree
    Tree_Project_Old_Place, // ROOT.gpr withs the derived project at its old place
    Unprovided_With,        // the main body withs a unit nothing provides
    Body_File_Clash,        // a package's file clashes with the main body's file
    Unit_Not_Compiled,      // a listed unit outside the main's closure, which gprbuild skips
    Unreadable_Source,      // the main body or the GPR file cannot be read
    Context_Clause_Cut,     // the main body's context clause runs past the bound read
    Tree_Project_Refused,   // adaskel-layout refuses to rewrite the derived project
    Header_Drift,           // a field of a file's header no longer follows its text
    Header_Not_Refreshed,   // a file at an output path that adaskel-refresh leaves
    Crate_Drift,            // a field of alire.toml no longer follows its text
};

// What one rule of the check found: the fault at its place, whether it is an error or a
// warning, and the rule. A fault of the list has no file (File "", Line the project line):
// it is reported in the project file, about the unit of its line.
struct Diagnostic {
    Problem Found;
    bool Is_Error = true; // otherwise a warning: a run or gprbuild goes on, but not as meant
    Check_Rule Rule = Check_Rule::Ada_Name;
    std::string Unit{}; // what it is about beyond its rule and file ("": its message)
};

struct Rule_Description {
    Check_Rule Rule;
    std::string_view Id;      // lower case words joined by "-"
    std::string_view Summary; // one sentence, as the manual page lists it
};

// Every rule, in the order of Check_Rule.
std::span<const Rule_Description> All_Rules();

const Rule_Description& Describe(Check_Rule Rule);

} // namespace adaskel
