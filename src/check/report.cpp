// Forming the check's entries in text, JSON and SARIF. The bytes depend on the entries
// alone, never on the time, the machine or the directory, so that the same tree gives
// the same report on every run and CI can compare them.
#include "check/report.hpp"

#include "base/json_text.hpp"

#include <array>
#include <numeric>

namespace adaskel {

namespace {

std::string_view Kind_Name(Entry_Kind Kind) {
    constexpr std::array<std::string_view, 4> Names = {"plan", "hint", "diagnostic", "summary"};
    return Names.at(static_cast<std::size_t>(Kind));
}

std::string Text_Line(const Report_Entry& Entry) {
    switch (Entry.Kind) {
    case Entry_Kind::Plan:
        return Entry.Severity == "error" ? "error " + Entry.Path + ": " + Entry.Message
                                         : Entry.Message + " " + Entry.Path;
    case Entry_Kind::Hint:
        return "hint: " + Entry.Message;
    case Entry_Kind::Summary:
        return "summary: " + Entry.Message;
    case Entry_Kind::Diagnostic:
        break;
    }
    std::string Line = Entry.Path;
    if (Entry.Line > 0) {
        Line += ':' + std::to_string(Entry.Line);
    }
    return Line + ": " + std::string(Entry.Severity) + ": " + Entry.Message;
}

std::string Json_Line(const Report_Entry& Entry) {
    const std::string_view Rule = Entry.Rule ? Describe(*Entry.Rule).Id : "";
    return "{\"kind\": \"" + std::string(Kind_Name(Entry.Kind)) +
           "\", \"path\": " + Json_String(Entry.Path) +
           ", \"line\": " + std::to_string(Entry.Line) + ", \"severity\": \"" +
           std::string(Entry.Severity) + "\", \"rule\": " + Json_String(Rule) +
           ", \"message\": " + Json_String(Entry.Message) + "}";
}

// The path as a relative URI reference: every byte but the unreserved ones and "/"
// percent-encoded, so that no name can be read as a scheme, a query or a fragment.
std::string Uri_Of(std::string_view Path) {
    constexpr std::string_view Hex = "0123456789ABCDEF";
    std::string Uri;
    for (const char C : Path) {
        const bool Plain = (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') ||
                           (C >= '0' && C <= '9') || C == '-' || C == '.' || C == '_' || C == '~' ||
                           C == '/';
        if (Plain) {
            Uri += C;
        } else {
            const auto Byte = static_cast<unsigned char>(C);
            Uri += '%';
            Uri += Hex[Byte >> 4U];
            Uri += Hex[Byte & 15U];
        }
    }
    return Uri;
}

// A 64-bit FNV-1a hash in hexadecimal: the same on every machine and every version,
// which std::hash is not.
std::string Fingerprint(std::initializer_list<std::string_view> Parts) {
    std::uint64_t Hash = 0xcbf29ce484222325U;
    const auto Step = [](std::uint64_t Sum, char C) {
        return (Sum ^ static_cast<unsigned char>(C)) * 0x100000001b3U;
    };
    for (const std::string_view Part : Parts) {
        // A NUL byte after each part, so that "ab" and "c" is not "a" and "bc".
        Hash = Step(std::accumulate(Part.begin(), Part.end(), Hash, Step), '\0');
    }
    constexpr std::string_view Hex = "0123456789abcdef";
    std::string Text(16, '0');
    for (std::size_t K = 16; K-- > 0; Hash >>= 4U) {
        Text[K] = Hex[Hash & 15U];
    }
    return Text;
}

std::string Sarif_Result(const Report_Entry& Entry) {
    const Rule_Description& Rule = Describe(*Entry.Rule);
    std::string Result = "        {\"ruleId\": " + Json_String(Rule.Id) +
                         ", \"ruleIndex\": " + std::to_string(static_cast<int>(Rule.Rule)) +
                         ", \"level\": \"" + std::string(Entry.Severity) +
                         "\", \"message\": {\"text\": " + Json_String(Entry.Message) + "}";
    if (!Entry.Path.empty()) {
        Result += ", \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": " +
                  Json_String(Uri_Of(Entry.Path)) + ", \"uriBaseId\": \"SRCROOT\"}";
        if (Entry.Line > 0) {
            Result += ", \"region\": {\"startLine\": " + std::to_string(Entry.Line) + "}";
        }
        Result += "}}]";
    }
    return Result + ", \"partialFingerprints\": {\"ruleAndPlace/v1\": \"" +
           Fingerprint({Rule.Id, Entry.Path, Entry.Unit}) + "\"}}";
}

std::string Sarif_Rules() {
    std::string Rules;
    for (const Rule_Description& Rule : All_Rules()) {
        Rules += std::string(Rules.empty() ? "" : ",\n") +
                 "            {\"id\": " + Json_String(Rule.Id) +
                 ", \"shortDescription\": {\"text\": " + Json_String(Rule.Summary) + "}}";
    }
    return Rules;
}

} // namespace

std::optional<Report_Format> To_Report_Format(std::string_view Name) {
    if (Name == "text") {
        return Report_Format::Text;
    }
    if (Name == "json") {
        return Report_Format::Json;
    }
    if (Name == "sarif") {
        return Report_Format::Sarif;
    }
    return std::nullopt;
}

void Put_Entry(Report_Writer& Writer, const Report_Entry& Entry) {
    switch (Writer.Format) {
    case Report_Format::Text:
        Put_Line(Writer.Out, Text_Line(Entry));
        break;
    case Report_Format::Json:
        Put_Line(Writer.Out, Json_Line(Entry));
        break;
    case Report_Format::Sarif:
        // Code scanning takes results; the plan, the hints and the counts are the text's.
        if (Entry.Rule && (Entry.Severity == "error" || Entry.Severity == "warning")) {
            Writer.Results += (Writer.Results.empty() ? "" : ",\n") + Sarif_Result(Entry);
        }
        break;
    }
}

void Finish_Report(Report_Writer& Writer, std::string_view Version) {
    if (Writer.Format != Report_Format::Sarif) {
        return;
    }
    Put_Line(Writer.Out,
             "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
             "  \"version\": \"2.1.0\",\n  \"runs\": [\n    {\n      \"tool\": {\n"
             "        \"driver\": {\n          \"name\": \"adaskel-check\",\n"
             "          \"version\": " +
                 Json_String(Version) + ",\n          \"rules\": [\n" + Sarif_Rules() +
                 "\n          ]\n        }\n      },\n"
                 "      \"originalUriBaseIds\": {\"SRCROOT\": {\"description\": {\"text\": "
                 "\"The directory adaskel-check ran in.\"}}},\n"
                 "      \"results\": [\n" +
                 Writer.Results + (Writer.Results.empty() ? "" : "\n") + "      ]\n    }\n  ]\n}");
}

} // namespace adaskel
