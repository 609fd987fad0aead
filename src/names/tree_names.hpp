// Which project lines can name the tree's directories and its GPR project: judged
// before anything is created, so that a bad line leaves the tree as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace adaskel {

// Why Root, project line 1, cannot be the root directory and the name of its GPR
// project, if it cannot: it must be an identifier of ASCII letters, digits and single
// underscores, and no reserved word of Ada or of project files.
std::optional<std::string> Root_Problem(std::string_view Root);

// Why Line, a unit line, cannot be one directory of the tree, if it cannot: it is "." or
// "..", or holds a "/" or a control character (which a project file cannot quote).
std::optional<std::string> Unit_Directory_Problem(std::string_view Line);

} // namespace adaskel
