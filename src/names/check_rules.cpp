// The ids and summaries of adaskel-check's rules: the one table the reports and the
// manual page's list follow.
#include "names/check_rules.hpp"

#include <array>

namespace adaskel {

namespace {

constexpr std::array<Rule_Description, 29> Rules = {{
    {Check_Rule::Input, "input", "An input a run stops on, before it writes any file."},
    {Check_Rule::Run_Fails_At_File, "run-fails-at-file", "The run fails at this file."},
    {Check_Rule::Empty_File, "empty-file",
     "A file of the run holds no byte, and every run skips it."},
    {Check_Rule::Header_Text, "header-text", "A reference text makes a header that GNAT refuses."},
    {Check_Rule::Gpl_3_Licence, "gpl-3-licence",
     "gpl.txt is the GPL version 3, whose quoted lines are no notice."},
    {Check_Rule::Root_Name, "root-name",
     "The root cannot name the project and the directories of the tree."},
    {Check_Rule::Unit_Directory, "unit-directory", "A line cannot name a directory of the tree."},
    {Check_Rule::Ada_Name, "ada-name", "A name is not a valid Ada name."},
    {Check_Rule::Repeated_Unit, "repeated-unit",
     "A unit is listed twice, or has the name of the main procedure."},
    {Check_Rule::Standard_Unit, "standard-unit",
     "A unit is named as a declaration of package Standard."},
    {Check_Rule::Gnat_Unit, "gnat-unit", "A unit is one of GNAT's own library or hierarchy."},
    {Check_Rule::Name_Length, "name-length", "A name or a file name is over GNAT's limits."},
    {Check_Rule::Gpr_String, "gpr-string", "A name cannot be held by a string of a GPR file."},
    {Check_Rule::Wide_Character, "wide-character",
     "A name holds a wide character, which the check does not judge."},
    {Check_Rule::File_Name, "file-name",
     "A file is not named as GNAT's default naming looks for it."},
    {Check_Rule::Parent_Unit, "parent-unit",
     "A parent unit is not found, or cannot have a child unit."},
    {Check_Rule::Gpr_Not_Derived, "gpr-not-derived",
     "The tree's GPR file does not take its sources from the derived project."},
    {Check_Rule::Tree_Project_Missing, "tree-project-missing",
     "The derived project that the GPR file takes its sources from is missing."},
    {Check_Rule::Tree_Project_Stale, "tree-project-stale",
     "The derived project does not follow the list and the tree."},
    {Check_Rule::Tree_Project_Old_Place, "tree-project-old-place",
     "The GPR file withs the derived project at its old place."},
    {Check_Rule::Unprovided_With, "unprovided-with",
     "The main body withs a unit that nothing provides."},
    {Check_Rule::Body_File_Clash, "body-file-clash",
     "A package's file clashes with the main body's file, which the root names."},
    {Check_Rule::Unit_Not_Compiled, "unit-not-compiled",
     "A listed unit is outside the main's closure, so gprbuild does not compile it."},
    {Check_Rule::Unreadable_Source, "unreadable-source",
     "The main body or the GPR file cannot be read."},
    {Check_Rule::Context_Clause_Cut, "context-clause-cut",
     "The main body's context clause runs past the part the check reads."},
    {Check_Rule::Tree_Project_Refused, "tree-project-refused",
     "adaskel-layout refuses to rewrite the derived project."},
    {Check_Rule::Header_Drift, "header-drift",
     "A field of a file's header no longer follows the text it comes from."},
    {Check_Rule::Header_Not_Refreshed, "header-not-refreshed",
     "A file at an output path that adaskel-refresh leaves as it is."},
    {Check_Rule::Crate_Drift, "crate-drift",
     "A field of alire.toml no longer follows the text it comes from."},
}};

} // namespace

std::span<const Rule_Description> All_Rules() {
    return Rules;
}

const Rule_Description& Describe(Check_Rule Rule) {
    return Rules.at(static_cast<std::size_t>(Rule));
}

} // namespace adaskel
