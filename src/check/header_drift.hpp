// The header drift of a generated file: how the 19 lines at its top differ from the
// header a run would write now, or why adaskel-refresh must leave the file as it is. The
// check reports what this finds and adaskel-refresh rewrites by it, so the two agree.
#pragma once

#include "inputs/run_record.hpp"
#include "writers/header.hpp"
#include "writers/output_path.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace adaskel {

inline constexpr std::int32_t Header_Lines = 19;

// The fields of a header that can drift from the texts they come from. The date (line
// 18) and the year of line 2 say when the file was made and never drift.
enum class Drift_Field { Abstract, Main_Procedure, Holder, Licence, Version };

struct Field_Drift {
    Drift_Field Field = Drift_Field::Version;
    std::int32_t Line = 0; // the header line it is on
    std::string Was;       // the value in the file
    std::string Now;       // the value a run writes now
    std::string Source;    // where Now comes from ("line 1 of 'Abstract.txt'")
};

// Why a file at an output path is not refreshed; each kind a diagnostic of its own.
enum class Refusal_Kind {
    Foreign_Header,       // its first lines are not a header of adaskel's shape
    Link_At_Path,         // a symbolic link, never followed
    Link_Above,           // a symbolic link at a level above it, never followed
    Hard_Links,           // more than one name: a rename would split them
    Unwritable_Directory, // no new file can be written beside it
    Unreadable,           // it cannot be read
    Changed               // it changed between the read and the rename
};

struct Refusal {
    Refusal_Kind Kind = Refusal_Kind::Foreign_Header;
    std::int32_t Line = 0; // the line at fault, 0 for the whole file
    std::string Reason;
};

// What is at one output path, judged against the header a run writes now.
struct Header_Drift {
    bool Present = false;            // a file or a link is at the path
    std::vector<Field_Drift> Fields; // in line order; none when the header is in step
    std::optional<Refusal> Left;     // set when the file is not to be refreshed
    Shared_Directory Directory;      // the path's directory, opened without links
    struct stat Status {};           // the file's, as it was read
    std::string Bytes;               // the file as it was read: its head, or all of it
    std::size_t Header_Size = 0;     // the bytes of its first 19 lines, when it has them
    std::string Refreshed;           // the 19 lines to write in place of its own
};

// Judges the file at Path against Now, the header a run of Record writes now, reading its
// head only, or the Whole file for a rewrite (Bytes then holds all of it). A file
// that drifted is refusable only for what a rewrite would do (a second name, a directory
// that cannot be written, which a rewrite learns as it creates the new file); a link or a
// header of another shape is refused always.
Header_Drift Judge_Header_Drift(const Run_Record& Record, const Header& Now,
                                const std::string& Path, bool Whole = false);

// The reason a file whose directory refused a new file with Error is left.
Refusal Unwritable_Refusal(int Error);

// The reason a file that changed while it was refreshed is left.
Refusal Changed_Refusal();

// "header version '0.1.0', the last line of 'Versions.lst' is '0.2.0' (adaskel-refresh
// LIST rewrites it)": the check's warning for one field.
std::string Drift_Message(const Field_Drift& Drift, std::string_view Project_Name);

// The name of Field as the reports give it ("version", "main procedure").
std::string_view Drift_Field_Name(Drift_Field Field);

// "version 0.1.0 -> 0.2.0, holder A -> B": what adaskel-refresh says it changed.
std::string Change_Summary(const Header_Drift& Drift);

} // namespace adaskel
