// The GPL version 3 told apart from the text whose notice every header quotes.
#include "check/gpl_version.hpp"

#include "inputs/licence_kind.hpp"

namespace adaskel {

std::optional<Diagnostic> Gpl_3_Warning(const Run_Record& Inputs) {
    if (Licence_Of(Inputs) != Licence_Kind::Gpl_3) {
        return std::nullopt;
    }
    return Diagnostic{{"gpl.txt", 0,
                       "is the GPL version 3, whose lines 295 to 309, which every header "
                       "quotes, are not a notice but a piece of its section 6"},
                      false,
                      Check_Rule::Gpl_3_Licence};
}

} // namespace adaskel
