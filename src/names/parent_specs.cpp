// The walk up a unit's parents: each one listed ends it, since the listed unit's own walk
// goes on from there; each one the tree lacks ends it, since GNAT stops at it.
#include "names/parent_specs.hpp"

#include "base/number_set.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"

namespace adaskel {

namespace {

// Tells whether the unit of a project line has Key.
auto Key_Test(const Run_Record& Record, const std::string& Key) {
    return [&Record, &Key](std::uint32_t Line) {
        return Spec_Key(Read(Record.Unit_Names, static_cast<std::int32_t>(Line))) == Key;
    };
}

// The units of the list by their key, as project lines.
Number_Set Listed_Keys(const Run_Record& Record) {
    Number_Set Listed = Create_Number_Set(static_cast<std::size_t>(Record.Line_Count));
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        const std::string Key = Spec_Key(Unit.Name);
        (void)Add_Number(Listed, static_cast<std::uint32_t>(Unit.Line),
                         std::hash<std::string>{}(Key), Key_Test(Record, Key));
    });
    return Listed;
}

} // namespace

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

void Each_Parent_Spec(const Run_Record& Record, const File_Test& Is_File,
                      const std::function<void(const Parent_Spec&)>& Visit) {
    const Number_Set Listed = Listed_Keys(Record);
    const auto Is_Listed = [&](std::string_view Name) {
        const std::string Key = Spec_Key(Name);
        return Find_Number(Listed, std::hash<std::string>{}(Key), Key_Test(Record, Key))
            .has_value();
    };
    const std::string& Root = Root_Name(Record);
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        for (const Parent_Spec& Spec :
             Find_Parent_Specs(Root, Unit.Name, Is_Listed, Is_File).Found) {
            Visit(Spec);
        }
    });
}

} // namespace adaskel
