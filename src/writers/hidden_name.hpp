// Hidden names for the files of file systems without unnamed files, short whatever the
// target's name, and removed on an interrupt.
#pragma once

#include "writers/atomic_file.hpp"

namespace adaskel {

// Creates File's file exclusively under a new hidden name beside File.Path, given then by
// File.Hidden; a taken name is tried again with new random characters, and a path too
// long with a short name. Returns 0, or the errno of the failed creation.
int Create_Hidden(Pending_File& File);

// Frees the hidden name's slot, once the file is no longer there by that name.
void Forget_Hidden(Pending_File& File);

} // namespace adaskel
