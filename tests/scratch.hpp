// A scratch directory for the unit tests that read or look at files: made fresh for each
// test, removed with all it holds when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <string>

namespace adaskel {

struct Scratch_Dir {
    std::string Path;
    Scratch_Dir() {
        std::string Pattern = testing::TempDir() + "adaskel-test.XXXXXX";
        Path = ::mkdtemp(Pattern.data());
    }
    ~Scratch_Dir() { std::filesystem::remove_all(Path); }
    Scratch_Dir(const Scratch_Dir&) = delete;
    Scratch_Dir& operator=(const Scratch_Dir&) = delete;

    // The path of Name here, where a file now holds Bytes.
    [[nodiscard]] std::string Put(const std::string& Name, const std::string& Bytes) const {
        const std::string File = Path + "/" + Name;
        std::ofstream(File, std::ios::binary) << Bytes;
        return File;
    }
};

} // namespace adaskel
