// Which specs in the tree provide a unit's parents to the build: the one answer the
// parent rule, the derived project's directories and the with-clause check all take, so
// that what the check passes is what the derived project lets gprbuild see.
#pragma once

#include "names/ada_names.hpp"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace adaskel {

// Tells whether a unit of that name (in any letter case) is a package of the list.
using Name_Test = std::function<bool(std::string_view Name)>;

// The specs of the tree that stand for a unit's unlisted parents, walked from its parent
// up to the first listed one (whose own parents are its own walk's) or the first the
// tree lacks.
struct Parent_Spec {
    std::string_view Name; // the parent, a view of the unit's name
    std::string Path;      // its spec in the tree
};

struct Parent_Specs {
    std::vector<Parent_Spec> Found{}; // the specs the tree holds, nearest parent first
    std::string_view Missing{};       // the nearest unlisted parent it lacks; "" when none
    std::string Missing_Spec{};       // where that parent's spec was looked for
};

// GNAT's file name of the spec of Name, without ".ads": the directory and file base the
// run gives a package of the list spelt in lower case.
std::string Spec_Key(std::string_view Name);

// The parents of Name the tree provides, each looked for with Is_File at
// Root/P/src/lib/P.ads, P being its Spec_Key: GNAT finds a parent only under the file
// name its default naming gives it, since no line names it for a naming exception.
Parent_Specs Find_Parent_Specs(std::string_view Root, std::string_view Name,
                               const Name_Test& Is_Listed, const File_Test& Is_File);

// Calls Visit with each parent spec the tree provides to a unit of Record (listed or the
// main procedure), as Find_Parent_Specs finds them, units and parents in order; a spec
// shared by several units comes once for each. The units are listed by their Spec_Key.
void Each_Parent_Spec(const Run_Record& Record, const File_Test& Is_File,
                      const std::function<void(const Parent_Spec&)>& Visit);

} // namespace adaskel
