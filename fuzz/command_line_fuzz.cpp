// Fuzz target: the max lines literal conversion. A value it gives must come back the same
// from the other ways of writing it, plain decimal text must agree with the C library, and
// the max lines test must be exactly "a value of 1 or more".
#include "driver/command_line.hpp"

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

std::string Hex_Image(std::int64_t Magnitude) {
    static constexpr std::string_view Digits = "0123456789ABCDEF";
    std::string Reversed;
    do {
        Reversed += Digits[static_cast<std::size_t>(Magnitude % 16)];
        Magnitude /= 16;
    } while (Magnitude != 0);
    return {Reversed.rbegin(), Reversed.rend()};
}

// True when Text is blanks, an optional sign, 1 to 18 decimal digits, blanks.
bool Plain_Decimal(std::string_view Text) {
    const auto First = Text.find_first_not_of(' ');
    if (First == std::string_view::npos) {
        return false;
    }
    Text = Text.substr(First, Text.find_last_not_of(' ') - First + 1);
    if (Text.starts_with('+') || Text.starts_with('-')) {
        Text.remove_prefix(1);
    }
    return !Text.empty() && Text.size() <= 18 &&
           Text.find_first_not_of("0123456789") == std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    const auto Value = adaskel::To_Integer_32(Text);

    const auto Max_Lines = adaskel::To_Max_Lines(Text);
    Require(Max_Lines.has_value() == (Value.has_value() && *Value >= 1));
    Require(!Max_Lines || *Max_Lines == *Value);

    if (Plain_Decimal(Text)) {
        const long long Reference = std::strtoll(Text.c_str(), nullptr, 10);
        const bool In_Range = Reference >= INT32_MIN && Reference <= INT32_MAX;
        Require(Value.has_value() == In_Range);
        Require(!Value || *Value == Reference);
    }

    if (Value) {
        const std::int64_t Number = *Value;
        const std::string Sign = Number < 0 ? "-" : "";
        const std::int64_t Magnitude = Number < 0 ? -Number : Number;
        for (const std::string& Image :
             {std::to_string(Number), " +" + std::to_string(Magnitude) + "  ",
              Sign + "16#" + Hex_Image(Magnitude) + "#", std::to_string(Number) + "e0",
              Sign + "0" + std::to_string(Magnitude)}) {
            if (Number < 0 && Image.starts_with(" +")) {
                continue;
            }
            const auto Again = adaskel::To_Integer_32(Image);
            Require(Again.has_value() && *Again == *Value);
        }
    }
    return 0;
}
