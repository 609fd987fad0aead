// The lexical reading of a context clause, of an Ada source or of a GPR file: tokens read
// from the file a block at a time, as far as the clause goes and never past a bound, so
// that a file of any size costs one block of memory and the time of its first items.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace adaskel {

enum class Token_Kind { Word, String, Other, End };

struct Token {
    Token_Kind Kind = Token_Kind::End;
    std::int32_t Line = 0;
    // A word is a name with its dots, the blanks, comments and line ends between its
    // parts dropped ("Store.Cart"); a string its characters, a doubled quotation mark
    // made one; any other token its one character.
    std::string Text;
};

// The bytes of a source: a text held whole, or a file read a block at a time up to Bound
// bytes, the bytes already taken dropped.
struct Source_Bytes {
    int Fd = -1; // -1 for a text held whole
    std::string Held;
    std::size_t At = 0;           // the next byte of Held
    std::uint64_t Read_Bytes = 0; // bytes read from Fd so far
    std::uint64_t Bound = 0;
    bool Ended = false;
    bool Cut = false; // the file goes on past Bound
    int Error = 0;    // the errno of a read that failed
};

Source_Bytes Text_Source_Bytes(std::string_view Text);
Source_Bytes File_Source_Bytes(int Fd, std::uint64_t Bound);

// The tokens of a source in order; comments and character literals are dropped.
struct Token_Reader {
    Source_Bytes Bytes;
    std::int32_t Line = 1;
    bool After_Name = false; // the last token was a word or ")", so "'" is an attribute mark
};

// The next token; one of kind End at the end of the source.
Token Next_Token(Token_Reader& Reader);

// Calls Visit with each token that names a unit or project in a with clause (limited and
// private ones included) of the context clause that starts the source: words of an Ada
// source, strings of a GPR file. Use clauses and pragmas are skipped to their ";"; any
// other word starts the library item and ends the clause.
void Each_Withed(Token_Reader& Reader, Token_Kind Named_By,
                 const std::function<void(const Token&)>& Visit);

// How the reading of a file's context clause ended.
struct Context_Read {
    int Error = 0;    // the errno of an open or read that failed; 0 when none did
    bool Cut = false; // the clause goes on past the bound, where the reading stopped
};

// Reads the context clause of the file at Path, no more than its first Bound bytes, as
// Each_Withed does.
Context_Read Read_Withed(const std::string& Path, std::uint64_t Bound, Token_Kind Named_By,
                         const std::function<void(const Token&)>& Visit);

} // namespace adaskel
