// The main's closure, walked from the main body through the with clauses of the sources in
// the tree, holding one flag a line and the lines still to read.
#include "check/compiled_units.hpp"

#include "base/path_parts.hpp"
#include "check/context_clause.hpp"
#include "check/context_tokens.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "writers/output_path.hpp"

#include <cstdint>
#include <string>

namespace adaskel {

namespace {

struct Closure {
    const Run_Record& Record;
    Listed_Files Listed;
    std::vector<bool> Compiled;       // by project line, of each unit's first line
    std::vector<std::int32_t> Unread; // lines compiled whose sources are not read yet
    std::size_t Outside = 0;          // listed packages not yet found compiled
};

// Notes the listed unit of Name, and each listed parent of it, as compiled.
void Note_Withed(Closure& Walk, std::string_view Name) {
    for (; !Name.empty(); Name = Parent_Of(Name)) {
        const auto Line = Listed_Line(Walk.Record, Walk.Listed, Gnat_File_Name(Name, false));
        if (!Line || Walk.Compiled[static_cast<std::size_t>(*Line)]) {
            continue;
        }
        Walk.Compiled[static_cast<std::size_t>(*Line)] = true;
        Walk.Outside -= *Line != Main_Line ? 1U : 0U;
        Walk.Unread.push_back(*Line);
    }
}

// Whether Unit is the first line of its spec file, which is judged once.
bool Is_First_Of_File(const Closure& Walk, const Ada_Unit& Unit) {
    return !Unit.Is_Main &&
           Listed_Line(Walk.Record, Walk.Listed, Gnat_File_Name(Unit.Name, false)) == Unit.Line;
}

// Notes what the spec of a compiled unit, and a body beside it, with.
void Read_Sources(Closure& Walk, std::int32_t Line, std::uint64_t Bound) {
    const std::string Spec = Output_File_Of(Walk.Record, Line).Path;
    const std::string Body = Spec.substr(0, Spec.size() - 1) + "b";
    for (const std::string& Path : {Spec, Body}) {
        if (Look_At_Output_Path(Path).Holds_File) {
            (void)Read_Withed(Path, Bound, Token_Kind::Word,
                              [&](const Token& Name) { Note_Withed(Walk, Name.Text); });
        }
    }
}

} // namespace

std::vector<Diagnostic> Uncompiled_Units(const Run_Record& Record) {
    std::vector<Diagnostic> Found;
    const std::string Main_Body = Body_Path(Root_Name(Record));
    if (Record.Line_Count < Main_Line || !Look_At_Output_Path(Main_Body).Holds_File) {
        return Found; // the body a run writes withs every unit
    }
    Closure Walk{Record,
                 Index_Listed_Files(Record),
                 std::vector<bool>(static_cast<std::size_t>(Record.Line_Count) + 1),
                 {},
                 0};
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        Walk.Outside += Is_First_Of_File(Walk, Unit) ? 1U : 0U;
    });
    const std::uint64_t Bound = Context_Bound(Record);
    const Context_Read Reading =
        Read_Withed(Main_Body, Bound, Token_Kind::Word,
                    [&](const Token& Name) { Note_Withed(Walk, Name.Text); });
    if (Reading.Error != 0 || Reading.Cut) {
        return Found; // reported with the body's with clauses
    }
    while (Walk.Outside > 0 && !Walk.Unread.empty()) {
        const std::int32_t Line = Walk.Unread.back();
        Walk.Unread.pop_back();
        if (Line != Main_Line) {
            Read_Sources(Walk, Line, Bound);
        }
    }
    if (Walk.Outside == 0) {
        return Found;
    }
    const std::string Main_File(Base_Name(Main_Body));
    Each_Ada_Unit(Record, [&](const Ada_Unit& Unit) {
        // A name that is no Ada name has its error: no with clause can name it.
        if (Is_First_Of_File(Walk, Unit) && !Walk.Compiled[static_cast<std::size_t>(Unit.Line)] &&
            !Ada_Name_Problem(Unit.Name)) {
            Found.push_back({{"", Unit.Line,
                              Quote(Unit.Name) + " is not compiled by gprbuild: add `with " +
                                  std::string(Unit.Name) + ";` to " + Main_File +
                                  ", or build with `gprbuild -U`"},
                             false,
                             Check_Rule::Unit_Not_Compiled});
        }
    });
    return Found;
}

} // namespace adaskel
