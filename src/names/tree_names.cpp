// The name rules of the layout. The root is held to the rules of a project name in a
// GPR file, which also make it a plain directory name; a unit line only has to name one
// directory below the root and fit in a string of the GPR file.
#include "names/tree_names.hpp"

#include "base/failure.hpp"
#include "names/ada_names.hpp"

#include <algorithm>
#include <array>

namespace adaskel {

namespace {

// The words project files reserve beyond those of Ada.
constexpr std::array<std::string_view, 4> Project_Words = {"project", "extends", "external",
                                                           "external_as_list"};

bool Is_Ascii_Word_Character(char C) {
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_';
}

std::string Ascii_Lower(std::string_view Text) {
    std::string Lower(Text);
    std::transform(Lower.begin(), Lower.end(), Lower.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C + 32) : C; });
    return Lower;
}

} // namespace

std::optional<std::string> Root_Problem(std::string_view Root) {
    const std::string Named = "root " + Quote(Root);
    if (Root.empty() || !std::all_of(Root.begin(), Root.end(), Is_Ascii_Word_Character)) {
        return Named + " is not a GPR project name: it must be an identifier of ASCII letters, "
                       "digits and underscores";
    }
    if (auto Found = Ada_Name_Problem(Root)) {
        return "root " + *Found;
    }
    if (std::find(Project_Words.begin(), Project_Words.end(), Ascii_Lower(Root)) !=
        Project_Words.end()) {
        return Named + " is a reserved word of project files";
    }
    return std::nullopt;
}

std::optional<std::string> Unit_Directory_Problem(std::string_view Line) {
    std::string_view Reason;
    if (Line == "." || Line == "..") {
        Reason = "it is '.' or '..'";
    } else if (Line.find('/') != std::string_view::npos) {
        Reason = "it holds '/'";
    } else if (std::any_of(Line.begin(), Line.end(), [](char C) {
                   return static_cast<unsigned char>(C) < 0x20 || C == 0x7f;
               })) {
        Reason = "it holds a control character";
    } else {
        return std::nullopt;
    }
    return Quote(Line) + " cannot be a directory of the tree: " + std::string(Reason);
}

} // namespace adaskel
