// Fuzz target: unit names, paths and the Ada checks of names. The input is a root line,
// a line feed and a unit line. The dotted name is checked against a model of the rule,
// the paths against their plain concatenation; the Ada checks of the unit under a main
// procedure of the same name must find at least that clash, and a name they pass must
// have no blank, empty part or leading digit.
#include "base/failure.hpp"
#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "inputs/unit_names.hpp"
#include "names/ada_names.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Latin-1 capitals, from the code chart rather than from the code under test.
char Model_Upper(char C) {
    const auto Code = static_cast<unsigned char>(C);
    const bool Small =
        (Code >= 'a' && Code <= 'z') || (Code >= 0xE0 && Code <= 0xFE && Code != 0xF7);
    return Small ? static_cast<char>(Code - 0x20) : C;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Input(reinterpret_cast<const char*>(Data), Size);
    const std::size_t Feed = std::min(Input.find('\n'), Size);
    const std::string Root = Input.substr(0, Feed);
    const std::string Unit = Feed < Size ? Input.substr(Feed + 1) : "";
    bool Holds = adaskel::Body_Path(Root) == Root + "/" + Root + "/src/" + Root + ".adb" &&
                 adaskel::Spec_Path(Root, Unit) == Root + "/" + Unit + "/src/lib/" + Unit + ".ads";
    std::string Name = Unit;
    try {
        adaskel::To_Filename(Name);
        for (std::size_t I = 0; I < Unit.size(); ++I) {
            const bool Raised = I == 0 || Unit[I - 1] == '-';
            Holds = Holds && Name[I] == (Unit[I] == '-' ? '.'
                                         : Raised       ? Model_Upper(Unit[I])
                                                        : Unit[I]);
        }
        Holds = Holds && Name.size() == Unit.size() && !Unit.empty() && !Unit.ends_with('-');
        // The unit as the main procedure (line 2) and as a package (line 3).
        adaskel::Run_Record Record;
        Record.Project_Lines = adaskel::Create_String_Set(3);
        Record.Unit_Names = adaskel::Create_String_Set(3);
        for (const std::string& Line : {Root, Unit, Unit}) {
            adaskel::Store(Record.Project_Lines, ++Record.Line_Count, Line);
        }
        (void)adaskel::Derive_Unit_Names(Record);
        const auto No_File = [](const std::string&) { return false; };
        Holds = Holds && !adaskel::Check_Ada_Units(Record, No_File).empty();
        if (!adaskel::Ada_Name_Problem(Name) && Name.find('[') == std::string::npos) {
            Holds = Holds && Name.find_first_of(" \t\n") == std::string::npos &&
                    Name.find("..") == std::string::npos && !Name.ends_with('.') &&
                    !(Name[0] >= '0' && Name[0] <= '9') &&
                    adaskel::Gnat_File_Name(Name, false).size() == Name.size() + 4;
        }
    } catch (const adaskel::Run_Failure&) {
        Holds = Holds && (Unit.empty() || Unit.ends_with('-'));
    }
    if (!Holds) {
        std::abort();
    }
    return 0;
}
