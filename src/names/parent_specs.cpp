// The walk up a unit's parents: each one listed ends it, since the listed unit's own walk
// goes on from there; each one the tree lacks ends it, since GNAT stops at it.
#include "names/parent_specs.hpp"

#include "inputs/paths.hpp"

namespace adaskel {

std::string Spec_Key(std::string_view Name) {
    std::string File = Gnat_File_Name(Name, false);
    File.resize(File.size() - 4);
    return File;
}

Parent_Specs Find_Parent_Specs(std::string_view Root, std::string_view Name,
                               const Name_Test& Is_Listed, const File_Test& Is_File) {
    Parent_Specs Specs;
    for (std::string_view Parent = Parent_Of(Name); !Parent.empty(); Parent = Parent_Of(Parent)) {
        if (Is_Listed(Parent)) {
            break;
        }
        std::string Spec = Spec_Path(Root, Spec_Key(Parent));
        if (!Is_File(Spec)) {
            Specs.Missing = Parent;
            Specs.Missing_Spec = std::move(Spec);
            break;
        }
        Specs.Found.push_back({Parent, std::move(Spec)});
    }
    return Specs;
}

} // namespace adaskel
