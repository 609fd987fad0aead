// Hidden names for the files of file systems without unnamed files, short whatever the
// target's name, and removed on an interrupt.
#pragma once

#include "writers/atomic_file.hpp"

namespace adaskel {

// Creates File's file exclusively under a new hidden name in its directory, given then by
// File.Hidden; a taken name is tried again with new random characters. Returns 0, or the
// errno of the failed creation.
int Create_Hidden(Pending_File& File);

// Frees the hidden name's slot, once the file is no longer there by that name.
void Forget_Hidden(Pending_File& File);

// For a trial: creates an empty file under a new hidden name in Hidden.Directory, and
// fills Hidden.Name with a second, free one; an interrupt removes both until
// Forget_Probe. Returns 0, or the errno of the failed creation.
int Create_Hidden_Probe(Hidden_Name& Hidden, Hidden_Name& Second);
void Forget_Probe(const Hidden_Name& Hidden, const Hidden_Name& Second);

// Gives the hidden file its name Target in its directory: a link, or where the file system
// refuses links, a rename that fails on a taken name (Renamed is then set). 0, or the errno
// of the failure; ENOLINK when neither can be done.
int Name_Hidden(const Hidden_Name& Hidden, const char* Target, bool& Renamed);

} // namespace adaskel
