// Expected console text and generated files, built from the texts a run reads so that
// table rows only name what differs. One test spells a body and a spec out by hand, so
// a mistake shared by these builders and the program cannot hide.
#pragma once

#include "harness.hpp"

#include <string>
#include <vector>

namespace adaskel_e2e {

// What the four reference files give a run.
struct Texts {
    std::string Abstract;
    std::string Holder;
    std::string Version;
    std::vector<std::string> Licence; // line 1 first
};

// The excerpt (lines 295 to 309) shows the dropped first character on a plain, an
// empty, a one-character and an indented line; lines 294 and 310 must not be copied.
inline Texts Standard_Texts(int Licence_Lines = 320) {
    Texts Given{"Skeletons of the demo project", "The Authors", "1.0", {}};
    const std::map<int, std::string> Odd{{295, "abc"}, {300, ""}, {301, "x"}, {302, " in"}};
    for (int Number = 1; Number <= Licence_Lines; ++Number) {
        Given.Licence.push_back(Odd.contains(Number) ? Odd.at(Number)
                                                     : "#licence line " + std::to_string(Number));
    }
    return Given;
}

// Files that yield the texts; the version must not be empty.
inline Files Reference_Files(const Texts& Given) {
    std::string Licence;
    for (const auto& Line : Given.Licence) {
        Licence += Line + "\n";
    }
    return {{"Versions.lst", "0.1\n0.2\n" + Given.Version + "\n"},
            {"Abstract.txt", Given.Abstract + "\nnot the abstract\n"},
            {"gpl.txt", Licence},
            {"Copyright", Given.Holder + "\nnot the holder\n"}};
}

inline Files With(Files Base, const Files& Extra) {
    for (const auto& [Path, Bytes] : Extra) {
        Base[Path] = Bytes;
    }
    return Base;
}

inline Files Without(Files Base, const std::string& Path) {
    Base.erase(Path);
    return Base;
}

// The console line begun once the command line is accepted.
inline const std::string Prompted = "Enter your name : Name ok ! ! ! !  ";
inline const std::string Opened = Prompted + "open project file ";
inline const std::string Created = Opened + "Create adb file: ";

// The five lines of every run that reads its reference texts, then Tail.
inline std::string Console(const std::string& Version, const std::string& Tail) {
    return "We are the @DATE@\nThe version is " + Version +
           "\nOpen Abstract.txt...\nOpen gtl.txt...\nEnd traitment...\n" + Tail;
}

inline std::string Header(const Texts& Given, const std::string& Main_Unit) {
    std::string Text = "-- " + Given.Abstract + "\n-- " + Main_Unit + " is Copyright (C) @YEAR@ " +
                       Given.Holder + " ; \n";
    for (std::size_t Index = 294; Index < 309; ++Index) {
        const std::string& Line = Given.Licence.at(Index);
        Text += "--" + (Line.empty() ? Line : Line.substr(1)) + "\n";
    }
    return Text + "-- Date := \"@DATE@\"\n-- Version := \"" + Given.Version + "\"\n";
}

inline std::string Body(const Texts& Given, const std::string& Main_Unit,
                        const std::vector<std::string>& Units) {
    std::string Text = Header(Given, Main_Unit);
    for (const auto& Unit : Units) {
        Text += "with " + Unit + " ; \n";
    }
    return Text + "procedure " + Main_Unit + " is\n\nbegin\n\n   null;\nend " + Main_Unit + " ; \n";
}

inline std::string Spec(const Texts& Given, const std::string& Main_Unit, const std::string& Unit) {
    return Header(Given, Main_Unit) + "package " + Unit + " is\n\nend " + Unit + " ; \n";
}

} // namespace adaskel_e2e
