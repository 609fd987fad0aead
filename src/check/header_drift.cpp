// Reading the header at the top of a file by the shape adaskel writes it in, and judging
// it line by line against the header a run writes now.
#include "check/header_drift.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"
#include "base/path_parts.hpp"
#include "check/header_texts.hpp"
#include "writers/replaced_file.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace adaskel {

namespace {

// The first 19 lines of a text, each without its line feed; Count says how many of them
// end in one.
struct Header_View {
    std::array<std::string_view, Header_Lines> Line{};
    std::int32_t Count = 0;
    std::size_t Size = 0; // the bytes of the lines, line feeds included
};

Header_View Split_Header(std::string_view Text) {
    Header_View View;
    while (View.Count < Header_Lines) {
        const std::size_t Feed = Text.find('\n', View.Size);
        if (Feed == std::string_view::npos) {
            break;
        }
        View.Line[static_cast<std::size_t>(View.Count++)] =
            Text.substr(View.Size, Feed - View.Size);
        View.Size = Feed + 1;
    }
    return View;
}

std::string_view Line_Of(const Header_View& View, std::int32_t Line) {
    return View.Line[static_cast<std::size_t>(Line - 1)];
}

// Line 2, "-- MAIN is Copyright (C) YEAR HOLDER ; ", taken apart.
struct Copyright_Line {
    std::string_view Main;
    std::size_t Year_Start = 0; // the year's image: a blank or a minus sign, then digits
    std::size_t Year_End = 0;
    std::string_view Holder;
};

constexpr std::string_view Copyright_Words = " is Copyright (C)";

std::optional<Copyright_Line> Parse_Copyright(std::string_view Line) {
    const std::size_t Words = Line.find(Copyright_Words);
    if (!Line.starts_with("-- ") || Words == std::string_view::npos || !Line.ends_with(" ; ")) {
        return std::nullopt;
    }
    Copyright_Line Parts;
    Parts.Main = Line.substr(3, Words - 3);
    Parts.Year_Start = Words + Copyright_Words.size();
    std::size_t At = Parts.Year_Start;
    if (At < Line.size() && (Line[At] == ' ' || Line[At] == '-')) {
        ++At;
    }
    const std::size_t Digits = At;
    while (At < Line.size() && Line[At] >= '0' && Line[At] <= '9') {
        ++At;
    }
    if (At == Digits || At >= Line.size() || Line[At] != ' ' || At + 1 > Line.size() - 3) {
        return std::nullopt;
    }
    Parts.Year_End = At;
    Parts.Holder = Line.substr(At + 1, Line.size() - 3 - (At + 1));
    return Parts;
}

bool Is_Quoted_Field(std::string_view Line, std::string_view Opening) {
    return Line.size() > Opening.size() && Line.starts_with(Opening) && Line.ends_with('"');
}

constexpr std::string_view Date_Opening = "-- Date := \"";
constexpr std::string_view Version_Opening = "-- Version := \"";

// The line of View that does not have the header's shape, 0 when every line has it.
std::int32_t Misshapen_Line(const Header_View& View) {
    for (std::int32_t K = 1; K <= Header_Lines; ++K) {
        const std::string_view Line = Line_Of(View, K);
        const bool Fits = K == 1    ? Line.starts_with("-- ")
                          : K == 2  ? Parse_Copyright(Line).has_value()
                          : K == 18 ? Is_Quoted_Field(Line, Date_Opening)
                          : K == 19 ? Is_Quoted_Field(Line, Version_Opening)
                                    : Line.starts_with("--");
        if (!Fits) {
            return K;
        }
    }
    return 0;
}

Refusal Foreign(std::int32_t Line, std::string_view Why) {
    return {Refusal_Kind::Foreign_Header, Line, "its header is not adaskel's: " + std::string(Why)};
}

// Why the first lines of View, of a text of Text_Size bytes, are not a header of adaskel's
// shape, if they are not; New is the header a run writes now.
std::optional<Refusal> Shape_Refusal(const Header_View& View, std::size_t Text_Size,
                                     const Header_View& New) {
    if (View.Count == Header_Lines - 1 && Text_Size > View.Size) {
        return Foreign(Header_Lines, "its line 19 has no line feed");
    }
    if (View.Count < Header_Lines) {
        return Foreign(0, "it has fewer than 19 lines");
    }
    for (std::int32_t K = 1; K <= Header_Lines; ++K) {
        // A text read with its CR (an abstract from a CRLF file) puts one in the run's own.
        if (Line_Of(View, K).ends_with('\r') && !Line_Of(New, K).ends_with('\r')) {
            return Foreign(K, "its lines end in CR");
        }
    }
    if (const std::int32_t K = Misshapen_Line(View); K != 0) {
        return Foreign(K, "line " + std::to_string(K) + " does not have the header's shape");
    }
    return std::nullopt;
}

std::string_view Quoted_Value(std::string_view Line, std::string_view Opening) {
    return Line.substr(Opening.size(), Line.size() - Opening.size() - 1);
}

// Adds the field when its values differ; Source is formed only then, as most files of a
// tree are in step on most fields.
template <typename Source_Text>
void Add_If_Differs(Header_Drift& Drift, Drift_Field Field, std::int32_t Line, std::string_view Was,
                    std::string_view Now, const Source_Text& Source) {
    if (Was != Now) {
        Drift.Fields.push_back({Field, Line, std::string(Was), std::string(Now), Source()});
    }
}

std::string Line_Source(const Header& Now, std::int32_t Line) {
    const Header_Line& Note = Now.Lines[static_cast<std::size_t>(Line - 1)];
    return "line " + std::to_string(Note.Source_Line) + " of " + Quote(Note.File);
}

// The fields of Old that differ from New, in line order.
void Compare_Fields(Header_Drift& Drift, const Run_Record& Record, const Header& Now,
                    const Header_View& Old, const Header_View& New) {
    const auto Source_Of = [&](std::int32_t Line) {
        return [&Now, Line] { return Line_Source(Now, Line); };
    };
    Add_If_Differs(Drift, Drift_Field::Abstract, 1, Line_Of(Old, 1).substr(3),
                   Line_Of(New, 1).substr(3), Source_Of(1));
    const Copyright_Line Was = *Parse_Copyright(Line_Of(Old, 2));
    const Copyright_Line Is = *Parse_Copyright(Line_Of(New, 2));
    Add_If_Differs(Drift, Drift_Field::Main_Procedure, 2, Was.Main, Is.Main,
                   [&] { return "line 2 of " + Quote(Record.Project_Name); });
    Add_If_Differs(Drift, Drift_Field::Holder, 2, Was.Holder, Is.Holder, Source_Of(2));
    for (std::int32_t K = 3; K <= 17; ++K) {
        if (Line_Of(Old, K) != Line_Of(New, K)) {
            Add_If_Differs(Drift, Drift_Field::Licence, K, Line_Of(Old, K).substr(2),
                           Line_Of(New, K).substr(2), Source_Of(K));
            break;
        }
    }
    Add_If_Differs(Drift, Drift_Field::Version, 19, Quoted_Value(Line_Of(Old, 19), Version_Opening),
                   Quoted_Value(Line_Of(New, 19), Version_Opening),
                   [&] { return "the last line of " + Quote(Now.Lines.back().File); });
}

// The header a run writes now, with Old's date (line 18) and the year of its line 2.
std::string Refreshed_Header(const Header_View& Old, const Header_View& New) {
    std::string Text;
    Text.reserve(New.Size + Line_Of(Old, 18).size() + 16);
    for (std::int32_t K = 1; K <= Header_Lines; ++K) {
        if (K == 2) {
            const std::string_view Line = Line_Of(New, 2);
            const Copyright_Line Was = *Parse_Copyright(Line_Of(Old, 2));
            const Copyright_Line Is = *Parse_Copyright(Line);
            Text += Line.substr(0, Is.Year_Start);
            Text += Line_Of(Old, 2).substr(Was.Year_Start, Was.Year_End - Was.Year_Start);
            Text += Line.substr(Is.Year_End);
        } else {
            Text += Line_Of(K == 18 ? Old : New, K);
        }
        Text += '\n';
    }
    return Text;
}

// Opens the file at Path without following a link at any level, and reads it. Sets the
// refusal for a link or a file it cannot read; leaves Present false when nothing is there.
Owned_Fd Open_Without_Links(Header_Drift& Drift, const std::string& Path) {
    Unfollowed_Directory Opened = Open_Unfollowed(Directory_Of(Path));
    Drift.Directory = Opened.Directory;
    if (!Opened.Link.empty()) {
        Drift.Present = true;
        Drift.Left =
            Refusal{Refusal_Kind::Link_Above, 0,
                    Quote(Opened.Link) + " above it is a symbolic link, which is never followed"};
        return {};
    }
    const int Directory = Drift.Directory->Fd.Value;
    const char* Name = Name_Of(Path);
    const int Error = Directory < 0 ? Drift.Directory->Error
                      : ::fstatat(Directory, Name, &Drift.Status, AT_SYMLINK_NOFOLLOW) != 0 ? errno
                                                                                            : 0;
    if (Error == ENOENT || Error == ENOTDIR || Error == ENAMETOOLONG) {
        return {}; // nothing there: the plan tells whether a run can create it
    }
    if (Error != 0) {
        Drift.Present = true; // maybe: what cannot be looked at cannot be left unsaid
        Drift.Left =
            Refusal{Refusal_Kind::Unreadable, 0, "it cannot be looked at: " + Errno_Text(Error)};
        return {};
    }
    if (S_ISLNK(Drift.Status.st_mode)) {
        Drift.Present = true;
        Drift.Left = Refusal{Refusal_Kind::Link_At_Path, 0,
                             "it is a symbolic link, which is never followed"};
        return {};
    }
    if (!S_ISREG(Drift.Status.st_mode)) {
        return {}; // a directory or a device: the plan reports it, and nothing opens it
    }
    Drift.Present = true;
    // The status stays the look's: a file put in its place before the open is read, but
    // the look just before a rename tells it from the file looked at, and leaves it.
    Owned_Fd File(::openat(Directory, Name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (File.Value < 0) {
        Drift.Left =
            Refusal{Refusal_Kind::Unreadable, 0, "it cannot be read: " + Errno_Text(errno)};
        return {};
    }
    return File;
}

// Reads the file to its end. A file of the Size its status gave takes one read: a read
// that stops short of the room it had, at Size, is at the end; a file that is not at Size
// is read until a read gives nothing (the rename's look then sees the change).
bool Read_All(int Fd, std::string& Bytes, std::size_t Size) {
    Bytes.resize(Size + 1);
    std::size_t Held = 0;
    for (;;) {
        const ssize_t Got = ::read(Fd, Bytes.data() + Held, Bytes.size() - Held);
        if (Got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        Held += static_cast<std::size_t>(Got);
        if (Got == 0 || (Held == Size && Held < Bytes.size())) {
            Bytes.resize(Held);
            return true;
        }
        if (Held == Bytes.size()) {
            Bytes.resize(Bytes.size() * 2);
        }
    }
}

// Reads at most Limit bytes from the start of the file: the head a header is judged by.
bool Read_Head(int Fd, std::string& Bytes, std::size_t Limit) {
    Bytes.resize(Limit);
    std::size_t Held = 0;
    while (Held < Limit) {
        const ssize_t Got = ::read(Fd, Bytes.data() + Held, Limit - Held);
        if (Got < 0 && errno == EINTR) {
            continue;
        }
        if (Got < 0) {
            return false;
        }
        if (Got == 0) {
            break;
        }
        Held += static_cast<std::size_t>(Got);
    }
    Bytes.resize(Held);
    return true;
}

// Why a drifted file cannot be rewritten by a rename, if it cannot.
std::optional<Refusal> Rewrite_Refusal(const Header_Drift& Drift, bool Whole) {
    if (Drift.Status.st_nlink > 1) {
        return Refusal{Refusal_Kind::Hard_Links, 0,
                       "it has " + std::to_string(Drift.Status.st_nlink) +
                           " hard links, and a rename would split it from its other names"};
    }
    // Judged with the effective ids and capabilities, as the creation itself will be; a
    // rewrite meets it as its creation fails.
    if (!Whole && ::faccessat(Drift.Directory->Fd.Value, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        return Unwritable_Refusal(errno);
    }
    return std::nullopt;
}

} // namespace

Header_Drift Judge_Header_Drift(const Run_Record& Record, const Header& Now,
                                const std::string& Path, bool Whole) {
    Header_Drift Drift;
    const Owned_Fd File = Open_Without_Links(Drift, Path);
    if (File.Value < 0) {
        return Drift;
    }
    // The check needs the head alone, however large the file: the header's lines are no
    // longer than GNAT reads.
    const auto Size = static_cast<std::size_t>(Drift.Status.st_size);
    constexpr std::size_t Head_Bound = Header_Lines * (Longest_Gnat_Line + 1);
    if (!(Whole ? Read_All(File.Value, Drift.Bytes, Size)
                : Read_Head(File.Value, Drift.Bytes, std::min(Size, Head_Bound)))) {
        Drift.Left =
            Refusal{Refusal_Kind::Unreadable, 0, "it cannot be read: " + Errno_Text(errno)};
        return Drift;
    }
    if (Drift.Bytes.empty()) {
        return Drift; // left by a crash: every run skips it, and the plan says so
    }
    const Header_View Old = Split_Header(Drift.Bytes);
    const Header_View New = Split_Header(Now.Text);
    Drift.Header_Size = Old.Size;
    if ((Drift.Left = Shape_Refusal(Old, std::max(Drift.Bytes.size(), Size), New))) {
        return Drift;
    }
    Compare_Fields(Drift, Record, Now, Old, New);
    if (!Drift.Fields.empty()) {
        Drift.Refreshed = Refreshed_Header(Old, New);
        Drift.Left = Rewrite_Refusal(Drift, Whole);
    }
    return Drift;
}

Refusal Unwritable_Refusal(int Error) {
    return {Refusal_Kind::Unwritable_Directory, 0,
            "its directory cannot be written: " + Errno_Text(Error)};
}

Refusal Changed_Refusal() {
    return {Refusal_Kind::Changed, 0, "it changed while it was refreshed"};
}

std::string_view Drift_Field_Name(Drift_Field Field) {
    switch (Field) {
    case Drift_Field::Abstract:
        return "abstract";
    case Drift_Field::Main_Procedure:
        return "main procedure";
    case Drift_Field::Holder:
        return "holder";
    case Drift_Field::Licence:
        return "licence";
    case Drift_Field::Version:
        break;
    }
    return "version";
}

std::string Drift_Message(const Field_Drift& Drift, std::string_view Project_Name) {
    return "header " + std::string(Drift_Field_Name(Drift.Field)) + " " + Quote(Drift.Was) + ", " +
           Drift.Source + " is " + Quote(Drift.Now) + " (adaskel-refresh " + Escape(Project_Name) +
           " rewrites it)";
}

std::string Change_Summary(const Header_Drift& Drift) {
    std::string Text;
    for (const Field_Drift& Each : Drift.Fields) {
        Text += Text.empty() ? "" : ", ";
        Text += std::string(Drift_Field_Name(Each.Field)) + " " + Shorten(Each.Was) + " -> " +
                Shorten(Each.Now);
    }
    return Text;
}

} // namespace adaskel
