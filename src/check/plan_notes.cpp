// The notes on the plan's lines: an empty file's warning and the layout's hint.
#include "check/plan_notes.hpp"

#include "base/path_parts.hpp"

#include <cerrno>
#include <sys/stat.h>

namespace adaskel {

Diagnostic Empty_File_Warning(const std::string& Path) {
    return {{Path, 0,
             "exists but is empty: it may be left by a crash; remove it and run again to "
             "regenerate it"},
            false,
            Check_Rule::Empty_File};
}

std::optional<Report_Entry> Layout_Hint(const std::string& Path, const std::string& Project_Name,
                                        const std::function<bool()>& Layout_Blocked) {
    const std::string Directory = Directory_Of(Path);
    struct stat Status {};
    if (::stat(Directory.c_str(), &Status) == 0 || errno != ENOENT || Layout_Blocked()) {
        return std::nullopt;
    }
    return Report_Entry{.Kind = Entry_Kind::Hint,
                        .Path = Escape(Directory),
                        .Severity = "note",
                        .Message =
                            "adaskel-layout " + Project_Name + " creates " + Quote(Directory)};
}

} // namespace adaskel
