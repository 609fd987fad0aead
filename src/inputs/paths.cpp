// Concatenation of the generated files' paths, each built with a single allocation.
#include "inputs/paths.hpp"

#include <algorithm>
#include <initializer_list>
#include <numeric>

namespace adaskel {

namespace {

std::string Join(std::initializer_list<std::string_view> Pieces) {
    const std::size_t Length =
        std::accumulate(Pieces.begin(), Pieces.end(), std::size_t{0},
                        [](std::size_t Sum, std::string_view Piece) { return Sum + Piece.size(); });
    std::string Result;
    Result.reserve(Length);
    for (const auto Piece : Pieces) {
        Result.append(Piece);
    }
    return Result;
}

} // namespace

std::string Body_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/", Root_Name, "/src/", Root_Name, ".adb"});
}

std::string Spec_Path(std::string_view Root_Name, std::string_view Unit_File_Name) {
    return Join({Root_Name, "/", Unit_File_Name, "/src/lib/", Unit_File_Name, ".ads"});
}

std::string Gpr_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/", Root_Name, ".gpr"});
}

std::string Tree_Gpr_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/.adaskel/", Root_Name, "_tree.gpr"});
}

std::string Old_Tree_Gpr_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/", Root_Name, "_tree.gpr"});
}

std::string Crate_Name(std::string_view Root_Name) {
    std::string Crate(Root_Name);
    std::transform(Crate.begin(), Crate.end(), Crate.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C + 32) : C; });
    return Crate;
}

std::string Config_Gpr_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/config/", Crate_Name(Root_Name), "_config.gpr"});
}

std::string Als_Json_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/.als.json"});
}

std::string_view From_Root(std::string_view Root_Name, std::string_view Path) {
    return Path.substr(Root_Name.size() + 1);
}

std::string Crate_Path(std::string_view Root_Name) {
    return Join({Root_Name, "/alire.toml"});
}

} // namespace adaskel
