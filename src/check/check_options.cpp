// adaskel-check's own options, taken off the command line in front of a run's arguments.
#include "check/check_options.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <algorithm>
#include <string_view>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr std::string_view Warnings_As_Errors = "--warnings-as-errors";

// Takes the "--format=FORMAT" options off the front of Options.Arguments; false, with the
// refusal on standard error, at a format that is not one of the three.
bool Take_Formats(Check_Options& Options) {
    constexpr std::string_view Option = "--format=";
    auto& Arguments = Options.Arguments;
    auto Next = Arguments.begin();
    for (; Next != Arguments.end() && std::string_view(*Next).starts_with(Option); ++Next) {
        const std::string_view Name = std::string_view(*Next).substr(Option.size());
        const auto Format = To_Report_Format(Name);
        if (!Format) {
            Write_All(STDERR_FILENO,
                      "adaskel-check: " + Quote(Name) +
                          " is not a report format: text, json or sarif\nusage: "
                          "adaskel-check [--format=text|json|sarif] PROJECT_FILE [MAX_LINES]\n");
            return false;
        }
        Options.Format = *Format;
    }
    Arguments.erase(Arguments.begin(), Next);
    return true;
}

} // namespace

std::optional<Check_Options> Take_Check_Options(std::span<const char* const> Given) {
    Check_Options Options{.Arguments = {Given.begin(), Given.end()}};
    auto& Kept = Options.Arguments;
    const auto Gate = std::remove(Kept.begin(), Kept.end(), Warnings_As_Errors);
    Options.Strict = Gate != Kept.end();
    Kept.erase(Gate, Kept.end());
    if (!Take_Formats(Options)) {
        return std::nullopt;
    }
    return Options;
}

} // namespace adaskel
