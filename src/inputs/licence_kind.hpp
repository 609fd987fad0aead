// What the licence text is, as far as the headers and a crate's manifest care: the
// header quotes lines 295 to 309 of gpl.txt, which in the GPL version 2 are its notice.
#pragma once

#include "inputs/run_record.hpp"

namespace adaskel {

enum class Licence_Kind {
    Gpl_2_Notice, // lines 295 to 309 are the GPL-2 notice, "version 2 ... or any later"
    Gpl_3,        // the GPL version 3, where those lines are not a notice
    Other
};

// The kind of the licence text read into Record.
Licence_Kind Licence_Of(const Run_Record& Record);

} // namespace adaskel
