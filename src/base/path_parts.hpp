// Splitting a path at its last "/": the one place the programs take a path apart, so a
// directory and a name are always cut the same way.
#pragma once

#include <string>
#include <string_view>

namespace adaskel {

// Everything before the last "/" of Path ("." when there is none, "/" for a name at the root).
inline std::string Directory_Of(std::string_view Path) {
    const auto Slash = Path.rfind('/');
    if (Slash == std::string_view::npos) {
        return ".";
    }
    return std::string(Path.substr(0, Slash == 0 ? 1 : Slash));
}

// Everything after the last "/" of Path (all of it when there is none).
inline std::string_view Base_Name(std::string_view Path) {
    return Path.substr(Path.rfind('/') + 1); // npos + 1 is 0
}

} // namespace adaskel
