// Judging the header lines: the header is formed by the run's own writer, and each of its
// lines is read the way GNAT reads a comment line. In a comment GNAT refuses the control
// bytes but the tab, ESC and four bytes that end the comment early (vertical tab, form
// feed, carriage return, SUB); after such a byte only blanks and another comment may
// follow on the line. A carriage return also starts a new line, which the length of a
// line is counted from.
#include "check/header_texts.hpp"

#include "writers/header.hpp"

#include <string>

namespace adaskel {

namespace {

enum class Comment_Fault_Kind {
    Illegal_Byte, // a byte GNAT refuses even in a comment
    Ends_Early,   // the byte ends the comment, and what follows on the line is not one
    Too_Long      // the line is longer than GNAT reads
};

struct Comment_Fault {
    Comment_Fault_Kind Kind = Comment_Fault_Kind::Illegal_Byte;
    std::size_t Position = 0; // of the byte; for a line too long, its length
};

// The first fault of Line, a line that starts with "--", as GNAT reads it (Latin-1).
constexpr unsigned char Substitute = 0x1a;
constexpr unsigned char Escape_Character = 0x1b;
constexpr unsigned char Delete = 0x7f;
constexpr std::string_view Consequence = ": every generated header would fail to compile";

bool Ends_Comment(unsigned char C) {
    return C == '\v' || C == '\f' || C == '\r' || C == Substitute;
}

bool Is_Illegal(unsigned char C) {
    return (C < ' ' && C != '\t' && C != Escape_Character && !Ends_Comment(C)) || C == Delete;
}

bool Is_Blank(unsigned char C) {
    return C == ' ' || C == '\t' || Ends_Comment(C);
}

std::string Byte_Note(unsigned char C, std::size_t Column) {
    return "byte " + Quote(std::string(1, static_cast<char>(C))) + " at column " +
           std::to_string(Column);
}

// The first fault of Line, a line that starts with "--", as GNAT reads it (Latin-1).
std::optional<Comment_Fault> Comment_Line_Fault(std::string_view Line) {
    std::size_t Line_Start = 0;       // of the line GNAT counts
    std::optional<std::size_t> Ender; // the byte that ended the comment, once one has
    for (std::size_t P = 2; P < Line.size(); ++P) {
        const auto C = static_cast<unsigned char>(Line[P]);
        if (C == '\r') {
            if (P - Line_Start > Longest_Gnat_Line) {
                return Comment_Fault{Comment_Fault_Kind::Too_Long, P - Line_Start};
            }
            Line_Start = P + 1;
        }
        if (!Ender) {
            if (Ends_Comment(C)) {
                Ender = P;
            } else if (Is_Illegal(C)) {
                return Comment_Fault{Comment_Fault_Kind::Illegal_Byte, P};
            }
        } else if (Line.substr(P, 2) == "--") {
            Ender.reset();
            ++P;
        } else if (!Is_Blank(C)) {
            return Comment_Fault{Comment_Fault_Kind::Ends_Early, *Ender};
        }
    }
    if (Line.size() - Line_Start > Longest_Gnat_Line) {
        return Comment_Fault{Comment_Fault_Kind::Too_Long, Line.size() - Line_Start};
    }
    return std::nullopt;
}

// The fault of header line Number, if any, placed in its source. A fault outside the
// text is in the main procedure's name, which the Ada checks judge.
std::optional<Problem> Judge(std::string_view Line, std::int32_t Number, const Header_Line& From) {
    const auto Fault = Comment_Line_Fault(Line);
    if (!Fault) {
        return std::nullopt;
    }
    std::string Message;
    if (Fault->Kind == Comment_Fault_Kind::Too_Long) {
        Message = "makes line " + std::to_string(Number) + " of every header" +
                  (Number == 2 ? " (with the main procedure's name) " : " ") +
                  std::to_string(Fault->Position) + " characters long; GNAT reads at most " +
                  std::to_string(Longest_Gnat_Line);
        return Problem{std::string(From.File), From.Source_Line,
                       Message + std::string(Consequence)};
    }
    if (Fault->Position < From.Start || Fault->Position >= From.Start + From.Size) {
        return std::nullopt;
    }
    const auto C = static_cast<unsigned char>(Line[Fault->Position]);
    const std::size_t Column = Fault->Position - From.Start + From.First_Column;
    if (Fault->Kind == Comment_Fault_Kind::Illegal_Byte) {
        Message = Byte_Note(C, Column) + " is not allowed in an Ada comment";
    } else if (C == '\r' && Fault->Position + 1 == From.Start + From.Size) {
        Message = "ends in a carriage return (a CRLF file?)";
    } else {
        Message = Byte_Note(C, Column) + " ends the comment, and GNAT reads the rest of the "
                                         "header line as code";
    }
    return Problem{std::string(From.File), From.Source_Line, Message + std::string(Consequence)};
}

} // namespace

std::vector<Problem> Check_Header_Texts(const Run_Record& Record) {
    if (Main_Unit_Problem(Record) || Excerpt_Problem(Record)) {
        return {}; // the plan tells what keeps the header from being formed
    }
    const Header Block = Form_Header(Record);
    std::vector<Problem> Found;
    for (std::size_t K = 0; K < Block.Lines.size(); ++K) {
        const Header_Line& From = Block.Lines[K];
        const std::size_t End = Block.Text.find('\n', From.Offset);
        const std::string_view Line =
            std::string_view(Block.Text).substr(From.Offset, End - From.Offset);
        if (auto Fault = From.File.empty() ? std::nullopt
                                           : Judge(Line, static_cast<std::int32_t>(K + 1), From)) {
            Found.push_back(std::move(*Fault));
        }
    }
    return Found;
}

} // namespace adaskel
