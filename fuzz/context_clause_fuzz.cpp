// Fuzz target: the context clause reader on any bytes. Every withed name it gives is a
// name: not empty, made of the bytes of words and dots, not starting with a dot; its line
// is one of the source's; and the reading of the same bytes from a file, a block at a
// time, gives the same names.
#include "check/context_clause.hpp"
#include "check/context_tokens.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

bool Is_Name_Byte(char C) {
    const auto Code = static_cast<unsigned char>(C);
    return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') || C == '_' ||
           C == '.' || Code >= 0x80;
}

// The names a file holding Source gives, read with a bound of Source's length.
std::vector<std::string> From_File(std::string_view Source) {
    char Path[] = "/tmp/adaskel-context-fuzz-XXXXXX";
    const int Fd = ::mkstemp(Path);
    if (Fd < 0 ||
        ::write(Fd, Source.data(), Source.size()) != static_cast<ssize_t>(Source.size())) {
        std::abort();
    }
    ::close(Fd);
    std::vector<std::string> Names;
    (void)adaskel::Read_Withed(Path, Source.size(), adaskel::Token_Kind::Word,
                               [&](const adaskel::Token& Each) { Names.push_back(Each.Text); });
    ::unlink(Path);
    return Names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Source(reinterpret_cast<const char*>(Data), Size);
    const auto Lines = static_cast<std::int32_t>(std::count(Source.begin(), Source.end(), '\n'));
    std::vector<std::string> Names;
    for (const adaskel::Withed_Unit& Each : adaskel::Withed_Units(Source)) {
        if (Each.Name.empty() || Each.Name.front() == '.' || Each.Line < 1 ||
            Each.Line > Lines + 1 ||
            !std::all_of(Each.Name.begin(), Each.Name.end(), Is_Name_Byte)) {
            std::abort();
        }
        Names.push_back(Each.Name);
    }
    if (From_File(Source) != Names) {
        std::abort();
    }
    return 0;
}
