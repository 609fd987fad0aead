// Fuzz target: unit names and paths. The input is a root line and a unit line separated
// by the first line feed. The dotted name is checked against a model of the rule, the
// paths against plain concatenation.
#include "driver/failure.hpp"
#include "inputs/paths.hpp"
#include "inputs/unit_names.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Require(bool Condition) {
    if (!Condition) {
        std::abort();
    }
}

// Latin-1 capitals, from the code chart rather than from the code under test.
char Model_Upper(char C) {
    const auto Code = static_cast<unsigned char>(C);
    if ((Code >= 'a' && Code <= 'z') || (Code >= 0xE0 && Code <= 0xFE && Code != 0xF7)) {
        return static_cast<char>(Code - 0x20);
    }
    return C;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    const std::size_t Feed = Input.find('\n');
    const std::string_view Root = Input.substr(0, Feed);
    const std::string_view Unit =
        Feed == std::string_view::npos ? std::string_view() : Input.substr(Feed + 1);

    for (const char C : Input) {
        Require(adaskel::To_Upper_Latin_1(C) == Model_Upper(C));
    }

    const std::string Body = adaskel::Body_Path(Root);
    Require(Body.size() == 3 * Root.size() + 10);
    Require(Body == std::string(Root) + "/" + std::string(Root) + "/src/" + std::string(Root) + ".adb");
    const std::string Spec = adaskel::Spec_Path(Root, Unit);
    Require(Spec.size() == Root.size() + 2 * Unit.size() + 14);
    Require(Spec == std::string(Root) + "/" + std::string(Unit) + "/src/lib/" + std::string(Unit) +
                        ".ads");
    const std::string_view Directory = adaskel::Directory_Of(Spec);
    Require(Spec.starts_with(Directory) && Spec.size() > Directory.size());
    Require(Spec.substr(Directory.size()).starts_with('/') || Directory == "/");

    std::string Name(Unit);
    try {
        adaskel::To_Filename(Name);
    } catch (const adaskel::Run_Failure&) {
        Require(Unit.empty() || Unit.back() == '-');
        return 0;
    }
    Require(!Unit.empty() && Unit.back() != '-');
    Require(Name.size() == Unit.size());
    Require(Name.find('-') == std::string::npos);
    for (std::size_t I = 0; I < Unit.size(); ++I) {
        const bool Raised = I == 0 || Unit[I - 1] == '-';
        const char Expected = Unit[I] == '-' ? '.' : Raised ? Model_Upper(Unit[I]) : Unit[I];
        Require(Name[I] == Expected);
    }
    return 0;
}
