// A tokenizer that holds one block of its file: it reads a block when it needs a byte past
// those held, and drops the bytes it has taken. Every loop advances through the source, so
// no input, however many literals it holds, costs more than its length in time.
#include "check/context_tokens.hpp"

#include "base/owned_fd.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr std::size_t Block = std::size_t{64} * 1024;

ssize_t Read_Some(int Fd, char* Into, std::size_t Size) {
    ssize_t Got = 0;
    do {
        Got = ::read(Fd, Into, Size);
    } while (Got < 0 && errno == EINTR);
    return Got;
}

// Reads the next block of the file into Held, dropping the bytes taken; false at its end.
// At the bound, a byte more is read only to tell whether the file goes on past it.
bool Read_Block(Source_Bytes& Bytes) {
    if (Bytes.At >= Block) {
        Bytes.Held.erase(0, Bytes.At);
        Bytes.At = 0;
    }
    const std::uint64_t Room = Bytes.Bound - Bytes.Read_Bytes;
    const std::size_t Wanted = Room < Block ? static_cast<std::size_t>(Room) : Block;
    const std::size_t Old_Size = Bytes.Held.size();
    Bytes.Held.resize(Old_Size + std::max<std::size_t>(Wanted, 1));
    const ssize_t Got =
        Read_Some(Bytes.Fd, Bytes.Held.data() + Old_Size, Bytes.Held.size() - Old_Size);
    Bytes.Error = Got < 0 ? errno : 0;
    Bytes.Cut = Wanted == 0 && Got > 0;
    const std::size_t Taken = Got > 0 && !Bytes.Cut ? static_cast<std::size_t>(Got) : 0;
    Bytes.Read_Bytes += Taken;
    Bytes.Held.resize(Old_Size + Taken);
    Bytes.Ended = Taken == 0;
    return Taken > 0;
}

// The byte Ahead bytes past the next one, or -1 past the end of the source.
int Peek(Source_Bytes& Bytes, std::size_t Ahead = 0) {
    while (Bytes.At + Ahead >= Bytes.Held.size()) {
        if (Bytes.Ended || !Read_Block(Bytes)) {
            if (Bytes.At + Ahead >= Bytes.Held.size()) {
                return -1;
            }
        }
    }
    return static_cast<unsigned char>(Bytes.Held[Bytes.At + Ahead]);
}

bool Is_Word_Character(int C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' ||
           C >= 0x80;
}

bool Is_Blank(int C) {
    return C == ' ' || C == '\t' || C == '\r' || C == '\f' || C == '\v' || C == '\n';
}

void Skip_Blanks_And_Comments(Token_Reader& Reader) {
    Source_Bytes& Bytes = Reader.Bytes;
    for (int C = Peek(Bytes); C != -1; C = Peek(Bytes)) {
        if (C == '-' && Peek(Bytes, 1) == '-') {
            for (C = Peek(Bytes); C != -1 && C != '\n'; C = Peek(Bytes)) {
                ++Bytes.At;
            }
            continue;
        }
        if (!Is_Blank(C)) {
            return;
        }
        Reader.Line += C == '\n' ? 1 : 0;
        ++Bytes.At;
    }
}

void Take_Identifier(Source_Bytes& Bytes, std::string& Text) {
    for (int C = Peek(Bytes); Is_Word_Character(C); C = Peek(Bytes)) {
        Text += static_cast<char>(C);
        ++Bytes.At;
    }
}

// A name and its parts after dots, blanks, comments and line ends around each dot allowed.
std::string Take_Name(Token_Reader& Reader) {
    std::string Text;
    Take_Identifier(Reader.Bytes, Text);
    for (;;) {
        Skip_Blanks_And_Comments(Reader);
        if (Peek(Reader.Bytes) != '.') {
            return Text;
        }
        ++Reader.Bytes.At;
        Text += '.';
        Skip_Blanks_And_Comments(Reader);
        if (!Is_Word_Character(Peek(Reader.Bytes))) {
            return Text;
        }
        Take_Identifier(Reader.Bytes, Text);
    }
}

// A string literal after its opening mark, a doubled mark taken as one; it ends at its line.
std::string Take_String(Source_Bytes& Bytes) {
    std::string Text;
    for (int C = Peek(Bytes); C != -1 && C != '\n'; C = Peek(Bytes)) {
        ++Bytes.At;
        if (C == '"') {
            if (Peek(Bytes) != '"') {
                break;
            }
            ++Bytes.At;
        }
        Text += static_cast<char>(C);
    }
    return Text;
}

bool Ends_Item(const Token& Each) {
    return Each.Kind == Token_Kind::End || (Each.Kind == Token_Kind::Other && Each.Text == ";");
}

// Skips tokens to the end of the item, a ";", which it consumes.
void Skip_Item(Token_Reader& Reader) {
    for (Token Each = Next_Token(Reader); !Ends_Item(Each); Each = Next_Token(Reader)) {
    }
}

bool Is_Word(const Token& Each, std::string_view Lower) {
    if (Each.Kind != Token_Kind::Word || Each.Text.size() != Lower.size()) {
        return false;
    }
    for (std::size_t J = 0; J < Lower.size(); ++J) {
        const char C = Each.Text[J];
        if ((C >= 'A' && C <= 'Z' ? static_cast<char>(C + 32) : C) != Lower[J]) {
            return false;
        }
    }
    return true;
}

} // namespace

Source_Bytes Text_Source_Bytes(std::string_view Text) {
    Source_Bytes Bytes;
    Bytes.Held = Text;
    Bytes.Ended = true;
    return Bytes;
}

Source_Bytes File_Source_Bytes(int Fd, std::uint64_t Bound) {
    Source_Bytes Bytes;
    Bytes.Fd = Fd;
    Bytes.Bound = Bound;
    return Bytes;
}

Token Next_Token(Token_Reader& Reader) {
    Source_Bytes& Bytes = Reader.Bytes;
    for (;;) {
        Skip_Blanks_And_Comments(Reader);
        Token Found{Token_Kind::Other, Reader.Line, {}};
        const int C = Peek(Bytes);
        if (C == -1) {
            return {Token_Kind::End, Reader.Line, {}};
        }
        if (C == '\'' && !Reader.After_Name && Peek(Bytes, 2) == '\'') {
            Bytes.At += 3; // a character literal, whatever character it holds
            Reader.After_Name = true;
            continue;
        }
        if (Is_Word_Character(C)) {
            Found = {Token_Kind::Word, Reader.Line, Take_Name(Reader)};
        } else if (C == '"') {
            ++Bytes.At;
            Found = {Token_Kind::String, Reader.Line, Take_String(Bytes)};
        } else {
            ++Bytes.At;
            Found.Text = static_cast<char>(C);
        }
        Reader.After_Name = Found.Kind == Token_Kind::Word || Found.Text == ")";
        return Found;
    }
}

void Each_Withed(Token_Reader& Reader, Token_Kind Named_By,
                 const std::function<void(const Token&)>& Visit) {
    for (Token Each = Next_Token(Reader); Each.Kind != Token_Kind::End; Each = Next_Token(Reader)) {
        if (Each.Kind == Token_Kind::String) {
            continue; // no context item starts with one
        }
        if (Is_Word(Each, "limited") || Is_Word(Each, "private")) {
            continue; // a with clause follows, or the library item, which has no ";" here
        }
        if (Is_Word(Each, "use") || Is_Word(Each, "pragma")) {
            Skip_Item(Reader);
        } else if (Is_Word(Each, "with")) {
            for (Token Name = Next_Token(Reader); !Ends_Item(Name); Name = Next_Token(Reader)) {
                if (Name.Kind == Named_By) {
                    Visit(Name);
                }
            }
        } else {
            return;
        }
    }
}

Context_Read Read_Withed(const std::string& Path, std::uint64_t Bound, Token_Kind Named_By,
                         const std::function<void(const Token&)>& Visit) {
    const Owned_Fd File(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (File.Value < 0) {
        return {errno, false};
    }
    Token_Reader Reader{.Bytes = File_Source_Bytes(File.Value, Bound)};
    Each_Withed(Reader, Named_By, Visit);
    return {Reader.Bytes.Error, Reader.Bytes.Cut};
}

} // namespace adaskel
