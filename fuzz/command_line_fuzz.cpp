// Fuzz target: the max lines conversion. Plain decimal text must agree with the C library,
// a value must come back the same from its decimal and based images, and max lines must
// be exactly "a value of 1 or more".
#include "inputs/command_line.hpp"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    const auto Value = adaskel::To_Integer_32(Text);
    const auto Max_Lines = adaskel::To_Max_Lines(Text);
    bool Holds = Max_Lines == (Value && *Value >= 1 ? Value : std::nullopt);
    const std::size_t Digits = Text.find_first_not_of("0123456789", Text.starts_with('-'));
    if (Digits == std::string::npos && Size > Text.starts_with('-') && Size < 19) {
        const long long Reference = std::strtoll(Text.c_str(), nullptr, 10);
        Holds = Holds && Value == (Reference >= INT32_MIN && Reference <= INT32_MAX
                                       ? std::optional<std::int32_t>(Reference)
                                       : std::nullopt);
    }
    if (Value) {
        char Based[40];
        const long long Magnitude = std::llabs(*Value);
        std::snprintf(Based, sizeof Based, " %s16#%llX#E0 ", *Value < 0 ? "-" : "+", Magnitude);
        Holds = Holds && adaskel::To_Integer_32(std::to_string(*Value)) == Value &&
                adaskel::To_Integer_32(Based) == Value;
    }
    if (!Holds) {
        std::abort();
    }
    return 0;
}
