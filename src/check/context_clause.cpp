// Reading a context clause with a small tokenizer: words (with their dots), and single
// characters; comments, string and character literals are dropped. Context items are
// with clauses, use clauses and pragmas, each up to its ";"; any other word starts the
// library unit and ends the clause.
#include "check/context_clause.hpp"

#include "base/text_pieces.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "names/ada_names.hpp"
#include "names/parent_specs.hpp"
#include "writers/atomic_file.hpp"

#include <algorithm>
#include <map>

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

// What provides the spec file of a withed unit.
struct Provided {
    bool Listed = false; // a unit of the list
    bool Parent = false; // a parent of a unit of the list
};

// Notes that Name, a unit or a parent of one, provides its spec file, if a unit is withed
// under that file.
void Note_Provided(std::map<std::string, Provided>& Files, std::string_view Name,
                   bool Provided::*How) {
    if (const auto Found = Files.find(Gnat_File_Name(Name, false)); Found != Files.end()) {
        Found->second.*How = true;
    }
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
    const std::vector<Withed_Unit> Withed = Withed_Units(Read_Whole(Body));
    // The spec file of each withed unit, and whether a listed unit or a listed unit's
    // parent has that file: the tree provides to the build the specs of parents of listed
    // units (the derived project takes their directories), and no others. The body withs
    // a few units, so only they are kept, however long the list.
    std::map<std::string, Provided> Files;
    for (const Withed_Unit& Each : Withed) {
        Files.emplace(Gnat_File_Name(Each.Name, false), Provided{});
    }
    const auto Is_File = [](const std::string& Path) {
        return Look_At_Output_Path(Path).Holds_File;
    };
    Each_Ada_Unit(
        Record, [&](const Ada_Unit& Unit) { Note_Provided(Files, Unit.Name, &Provided::Listed); });
    Each_Parent_Spec(Record, Is_File, [&](const Parent_Spec& Spec) {
        Note_Provided(Files, Spec.Name, &Provided::Parent);
    });
    for (const Withed_Unit& Each : Withed) {
        const std::string File = Gnat_File_Name(Each.Name, false);
        const Provided& By = Files.at(File);
        if (By.Listed || Is_Gnat_Unit(Each.Name) || By.Parent) {
            continue;
        }
        Found.push_back({Body, Each.Line,
                         "withs " + Escape(Each.Name) +
                             ", which nothing in the list or the tree provides (renamed or "
                             "removed?)"});
    }
    return Found;
}

} // namespace adaskel
