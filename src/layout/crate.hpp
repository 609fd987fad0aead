// The Alire crate of the tree: alire.toml beside the GPR file, its fields taken from the
// reference texts, and the .gitignore of what gprbuild and alr make there.
#pragma once

#include "base/failure.hpp"
#include "inputs/run_record.hpp"

#include <optional>
#include <string>

namespace adaskel {

// The manifest of the crate, or why none can be written.
struct Manifest {
    std::string Text;               // alire.toml, when there is no Refusal
    std::optional<Problem> Refusal; // at alire.toml: "FIELD: why alr would refuse it"
    std::string Note;               // what is left out and why, when something is ("" if nothing)
};

// The manifest for Record's root and reference texts (read into Record): name (the root
// in lower case), version (the last line of Versions.lst), description (the first line
// of Abstract.txt), authors (the holder in Copyright), licenses (GPL-2.0-or-later when
// gpl.txt quotes the GPL-2 notice), the main as executable and ROOT.gpr as project file.
Manifest Crate_Manifest(const Run_Record& Record);

// The .gitignore of the root: the directories gprbuild and alr make.
inline constexpr std::string_view Git_Ignore_Text = "obj/\nbin/\nalire/\nconfig/\n";

} // namespace adaskel
