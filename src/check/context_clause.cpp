// Reading a context clause with a small tokenizer: words (with their dots), and single
// characters; comments, string and character literals are dropped. Context items are
// with clauses, use clauses and pragmas, each up to its ";"; any other word starts the
// library unit and ends the clause.
#include "check/context_clause.hpp"

#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/ada_names.hpp"
#include "writers/atomic_file.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace adaskel {

namespace {

struct Token {
    std::int32_t Line = 0;
    std::string Text; // a word (letters, digits, "_" and "."), or one other character
};

bool Is_Word_Character(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' ||
           C == '.' || static_cast<unsigned char>(C) >= 0x80;
}

// The tokens of Source, until Enough of them say the context clause is over.
class Tokenizer {
  public:
    explicit Tokenizer(std::string_view Text) : Source(Text) {}

    // The next token; an empty text at the end.
    Token Next() {
        Skip_Blanks_And_Comments();
        if (At >= Source.size()) {
            return {Line, {}};
        }
        const std::size_t Start = At;
        if (Is_Word_Character(Source[At])) {
            while (At < Source.size() && Is_Word_Character(Source[At])) {
                ++At;
            }
        } else if (Source[At] == '"') {
            Skip_String();
            return Next();
        } else {
            ++At;
        }
        return {Line, std::string(Source.substr(Start, At - Start))};
    }

  private:
    void Skip_Blanks_And_Comments() {
        while (At < Source.size()) {
            if (Source[At] == '\n') {
                ++Line;
            } else if (Source.substr(At, 2) == "--") {
                At = std::min(Source.find('\n', At), Source.size());
                continue;
            } else if (Source[At] != ' ' && Source[At] != '\t' && Source[At] != '\r' &&
                       Source[At] != '\f' && Source[At] != '\v') {
                return;
            }
            ++At;
        }
    }

    // A string literal, its doubled quotation marks included; it ends at its line.
    void Skip_String() {
        for (++At; At < Source.size() && Source[At] != '\n'; ++At) {
            if (Source[At] == '"') {
                if (Source.substr(At, 2) != "\"\"") {
                    ++At;
                    return;
                }
                ++At;
            }
        }
    }

    std::string_view Source;
    std::size_t At = 0;
    std::int32_t Line = 1;
};

// Skips tokens to the end of the item, a ";", which it consumes.
void Skip_Item(Tokenizer& Tokens) {
    for (Token Each = Tokens.Next(); !Each.Text.empty() && Each.Text != ";"; Each = Tokens.Next()) {
    }
}

std::string Read_Text(const std::string& Path) {
    std::ifstream File(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

} // namespace

std::vector<Withed_Unit> Withed_Units(std::string_view Source) {
    std::vector<Withed_Unit> Withed;
    Tokenizer Tokens(Source);
    for (Token Each = Tokens.Next(); !Each.Text.empty(); Each = Tokens.Next()) {
        const std::string Word = To_Lower_Latin_1(Each.Text);
        if (Word == "limited" || Word == "private") {
            continue; // a with clause follows, or the library unit, which has no ";" here
        }
        if (Word == "use" || Word == "pragma") {
            Skip_Item(Tokens);
        } else if (Word == "with") {
            for (Token Name = Tokens.Next(); !Name.Text.empty() && Name.Text != ";";
                 Name = Tokens.Next()) {
                if (Name.Text != ",") {
                    Withed.push_back({Name.Line, Name.Text});
                }
            }
        } else {
            break;
        }
    }
    return Withed;
}

std::vector<Problem> Unprovided_Withs(const Run_Record& Record) {
    std::vector<Problem> Found;
    const std::string& Root = Root_Name(Record);
    const std::string Body = Body_Path(Root);
    if (Record.Line_Count < Main_Line || !Look_At_Output_Path(Body).Holds_File) {
        return Found;
    }
    // The tree provides to the build the specs of parents of listed units: the derived
    // project takes their directories, and no others.
    std::set<std::string> Listed;
    std::set<std::string> Parents;
    for (const Ada_Unit& Unit : Ada_Units_Of(Record)) {
        Listed.insert(Gnat_File_Name(Unit.Name, false));
        for (std::size_t Dot = Unit.Name.rfind('.'); Dot != std::string::npos && Dot > 0;
             Dot = Unit.Name.rfind('.', Dot - 1)) {
            Parents.insert(Gnat_File_Name(Unit.Name.substr(0, Dot), false));
        }
    }
    for (const Withed_Unit& Withed : Withed_Units(Read_Text(Body))) {
        const std::string File = Gnat_File_Name(Withed.Name, false);
        if (Listed.count(File) > 0 || Is_Gnat_Unit(Withed.Name) ||
            (Parents.count(File) > 0 &&
             Look_At_Output_Path(Spec_Path(Root, File.substr(0, File.size() - 4))).Holds_File)) {
            continue;
        }
        Found.push_back({Body, Withed.Line,
                         "withs " + Escape(Withed.Name) +
                             ", which nothing in the list or the tree provides (renamed or "
                             "removed?)"});
    }
    return Found;
}

} // namespace adaskel
