// A long generated text handed over in pieces, as it is formed: it is written or compared
// a block at a time and never held whole, so a text of a line per unit costs no memory
// that grows with the units.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace adaskel {

// Takes the next piece of a text.
using Piece_Sink = std::function<void(std::string_view Piece)>;

// Forms a text, giving each piece in order to the sink; may be called more than once,
// giving the same text each time.
using Text_Source = std::function<void(const Piece_Sink& Sink)>;

// Whether the file open for reading at Fd holds, from its current offset to its end,
// exactly the text of Source. Reads it a block at a time.
bool Holds_Text(int Fd, const Text_Source& Source);

// The bytes of the file at Path, for a small text a companion reads whole (a project
// file, a main body); "" when it cannot be read.
std::string Read_Whole(const std::string& Path);

// Writes the text of Source to Fd a block at a time; returns 0, or the errno of the first
// write that failed.
int Write_Text(int Fd, const Text_Source& Source);

} // namespace adaskel
