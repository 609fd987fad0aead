// Forming alire.toml as alr 1.2.1 takes it: a crate name of 3 to 64 lower-case ASCII
// letters, digits and underscores; a version like 1, 1.0, 1.0.0, with an optional
// pre-release (-rc1) and build (+b5) part; a description of at most 72 bytes. TOML strings
// are UTF-8: a text that is not is refused, not mangled.
#include "layout/crate.hpp"

#include "base/failure.hpp"
#include "base/path_parts.hpp"
#include "base/utf8.hpp"
#include "inputs/licence_kind.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"

#include <algorithm>
#include <optional>
#include <utility>

namespace adaskel {

namespace {

constexpr std::size_t Description_Bytes = 72;

bool Is_Digit(char C) {
    return C >= '0' && C <= '9';
}

bool Is_Tag_Character(char C) {
    return Is_Digit(C) || (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '.' || C == '-';
}

// Whether Part is a non-empty run of tag characters not ending with "." or "-".
bool Is_Tag(std::string_view Part) {
    return !Part.empty() && std::all_of(Part.begin(), Part.end(), Is_Tag_Character) &&
           Part.back() != '.' && Part.back() != '-';
}

bool Is_Version(std::string_view Version) {
    const std::size_t Build = Version.find('+');
    if (Build != std::string_view::npos && !Is_Tag(Version.substr(Build + 1))) {
        return false;
    }
    Version = Version.substr(0, Build);
    const std::size_t Pre = Version.find('-');
    if (Pre != std::string_view::npos && !Is_Tag(Version.substr(Pre + 1))) {
        return false;
    }
    Version = Version.substr(0, Pre);
    int Numbers = 0;
    for (std::size_t Start = 0; Start <= Version.size(); ++Numbers) {
        const std::size_t Dot = std::min(Version.find('.', Start), Version.size());
        const std::string_view Number = Version.substr(Start, Dot - Start);
        if (Number.empty() || !std::all_of(Number.begin(), Number.end(), Is_Digit)) {
            return false;
        }
        Start = Dot + 1;
    }
    return Numbers <= 3;
}

// The TOML basic string of Text, or none when Text is not UTF-8.
std::optional<std::string> Toml_String(std::string_view Text) {
    std::string Quoted = "\"";
    for (std::size_t K = 0; K < Text.size();) {
        const std::size_t Length = Utf8_Sequence_Length(Text.substr(K));
        if (Length == 0) {
            return std::nullopt;
        }
        const auto C = static_cast<unsigned char>(Text[K]);
        if (C == '"' || C == '\\') {
            Quoted += '\\';
        }
        if (C < 0x20 || C == 0x7f) {
            Put_Unicode_Escape(Quoted, C);
        } else {
            Quoted.append(Text.substr(K, Length));
        }
        K += Length;
    }
    return Quoted + '"';
}

struct Fields {
    std::string Name, Version, Description, Author;
};

// Why alr would refuse one of the fields, first found; "" when it takes them all.
std::string Refusal(const Fields& Crate, const Run_Record& Record) {
    if (Crate.Name.size() < 3 || Crate.Name.size() > 64) {
        return "name " + Quote(Crate.Name) + " (the root in lower case): alr takes 3 to 64 " +
               "characters";
    }
    if (!Is_Version(Crate.Version)) {
        return "version " + Quote(Crate.Version) + " (line " + std::to_string(Record.Version_Line) +
               " of 'Versions.lst'): alr takes a version " + "like 1.0 or 1.0.0-rc1";
    }
    if (Crate.Description.size() > Description_Bytes) {
        return "description (line 1 of 'Abstract.txt'): alr takes at most 72 bytes, it has " +
               std::to_string(Crate.Description.size());
    }
    if (!Toml_String(Crate.Description)) {
        return "description (line 1 of 'Abstract.txt'): it is not UTF-8 text";
    }
    if (!Toml_String(Crate.Author)) {
        return "authors (line 1 of 'Copyright'): it is not UTF-8 text";
    }
    return {};
}

} // namespace

Manifest Crate_Manifest(const Run_Record& Record) {
    const std::string& Root = Root_Name(Record);
    const Fields Crate{Crate_Name(Root), Record.Version.value_or(""), Record.Abstract,
                       Record.Holder_Name};
    Manifest Made;
    if (std::string Why = Refusal(Crate, Record); !Why.empty()) {
        Made.Refusal = Problem{Crate_Path(Root), 0, std::move(Why)};
        return Made;
    }
    const std::string Main(Base_Name(Body_Path(Root)));
    Made.Text = "# The Alire crate of the tree, written once by adaskel-layout; yours to edit.\n"
                "name = " +
                *Toml_String(Crate.Name) + "\nversion = " + *Toml_String(Crate.Version) +
                "\ndescription = " + *Toml_String(Crate.Description) + "\nauthors = [" +
                *Toml_String(Crate.Author) + "]\n";
    if (Licence_Of(Record) == Licence_Kind::Gpl_2_Notice) {
        Made.Text += "licenses = \"GPL-2.0-or-later\"\n";
    } else {
        Made.Note = "no licenses: lines 295 to 309 of 'gpl.txt' are not the GPL-2 notice";
    }
    Made.Text += "executables = [" + *Toml_String(Main.substr(0, Main.size() - 4)) + "]\n" +
                 "project-files = [" + *Toml_String(Base_Name(Gpr_Path(Root))) + "]\n\n" +
                 "# The generated headers keep a fixed style that GNAT's style checks refuse,\n"
                 "# and the main body withs every unit and uses none, which GNAT warns of:\n"
                 "# style checks are off, and warnings stay warnings in every profile.\n" +
                 "[build-switches]\n\"*\".style_checks = \"No\"\n"
                 "\"*\".compile_checks = \"warnings\"\n";
    return Made;
}

} // namespace adaskel
