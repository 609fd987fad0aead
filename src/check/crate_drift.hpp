// The fields of the Alire crate that repeat the project's texts: alire.toml is written
// once and is the user's, so when its version or description no longer follow the texts
// the check says which line to write, and nothing rewrites it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

struct Crate_Field_Drift {
    std::int32_t Line = 0; // the line of the crate's file the field is on
    std::string Was;       // that line
    std::string Wanted;    // the line a layout writes now
    std::string Source;    // the text the field follows ("the last line of 'Versions.lst'")
};

// The version and description lines of Text, the crate's file, that differ from those of
// Manifest, the text a layout writes now; a field Text does not set is not judged.
std::vector<Crate_Field_Drift> Crate_Drift(std::string_view Text, std::string_view Manifest);

} // namespace adaskel
