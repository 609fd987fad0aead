// The warnings of drifted headers and crate fields, as the check reports them.
#include "check/drift_findings.hpp"

#include "base/failure.hpp"

#include <algorithm>

namespace adaskel {

std::vector<Diagnostic> Header_Drift_Findings(const Header_Drift& Drift, const std::string& Path,
                                              std::string_view Project_Name) {
    if (Drift.Left) {
        return {
            {{Path, Drift.Left->Line, "not refreshed by adaskel-refresh: " + Drift.Left->Reason},
             false,
             Check_Rule::Header_Not_Refreshed}};
    }
    std::vector<Diagnostic> Found(Drift.Fields.size());
    std::transform(Drift.Fields.begin(), Drift.Fields.end(), Found.begin(),
                   [&](const Field_Drift& Field) {
                       return Diagnostic{{Path, Field.Line, Drift_Message(Field, Project_Name)},
                                         false,
                                         Check_Rule::Header_Drift,
                                         std::string(Drift_Field_Name(Field.Field))};
                   });
    return Found;
}

Diagnostic Crate_Drift_Finding(const Crate_Field_Drift& Field, const std::string& Path) {
    return {{Path, Field.Line,
             Quote(Field.Was) + " no longer follows " + Field.Source + ": write " +
                 Quote(Field.Wanted) + " (the crate is yours: no program rewrites it)"},
            false,
            Check_Rule::Crate_Drift,
            Field.Wanted.substr(0, Field.Wanted.find(' '))};
}

} // namespace adaskel
