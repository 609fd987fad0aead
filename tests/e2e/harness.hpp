// What the end-to-end tests share: a scratch directory per case, a tree made of files,
// directories and links, a run of a built program in it, and a look at what it holds.
#pragma once

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace harness {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;               // path in the tree to bytes
using Links = std::vector<std::pair<std::string, std::string>>; // link path, target

inline std::string Read_File(const fs::path& Path) {
    std::ostringstream Bytes;
    Bytes << std::ifstream(Path, std::ios::binary).rdbuf();
    return Bytes.str();
}

// Makes Dirs, writes Inputs (and their directories), then makes the links and FIFOs.
inline void Prepare(const fs::path& Tree, const std::vector<std::string>& Dirs, const Files& Inputs,
                    const Links& Made_Links = {}, const std::vector<std::string>& Fifos = {}) {
    for (const auto& Dir : Dirs) {
        fs::create_directories(Tree / Dir);
    }
    for (const auto& [Path, Bytes] : Inputs) {
        fs::create_directories((Tree / Path).parent_path());
        std::ofstream(Tree / Path, std::ios::binary) << Bytes;
    }
    for (const auto& [Path, Target] : Made_Links) {
        fs::create_symlink(Target, Tree / Path);
    }
    for (const auto& Fifo : Fifos) {
        ASSERT_EQ(::mkfifo((Tree / Fifo).c_str(), 0644), 0) << Fifo;
    }
}

// A fresh directory: the run's tree in tree/, prepared as Prepare does, its streams beside it.
struct Sandbox {
    fs::path Root;
    explicit Sandbox(const std::vector<std::string>& Dirs = {}, const Files& Inputs = {},
                     const Links& Made_Links = {}, const std::vector<std::string>& Fifos = {}) {
        std::string Pattern = testing::TempDir() + "adaskel-e2e-XXXXXX";
        Root = ::mkdtemp(Pattern.data());
        fs::create_directory(Root / "tree");
        Prepare(Tree(), Dirs, Inputs, Made_Links, Fifos);
    }
    ~Sandbox() { fs::remove_all(Root); }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;
    [[nodiscard]] fs::path Tree() const { return Root / "tree"; }
};

// Names a row where a test lists its parameter, in place of the row's bytes (megabytes in
// some rows); each file takes it in with `using harness::PrintTo;`, for lookup to find it.
template <typename Row>
requires requires(const Row& Each) {
    Each.Name;
}
void PrintTo(const Row& Each, std::ostream* Stream) {
    *Stream << Each.Name;
}

// A row's name as the name of its test.
inline constexpr auto Row_Name = [](const auto& Info) { return Info.param.Name; };

inline std::string Repeated(const std::string& Text, int Count) {
    std::string All;
    while (Count-- > 0) {
        All += Text;
    }
    return All;
}

// The reference texts a run reads and List as the project file "list", under Extra.
inline Files Reference_Texts(const std::string& List, Files Extra = {}) {
    Extra.merge(Files{{"Versions.lst", "0.9\n1.0\n"},
                      {"Abstract.txt", "Laid out\n"},
                      {"Copyright", "The \"Authors\"\n"},
                      {"gpl.txt", "GPL?\n"},
                      {"list", List}});
    return Extra;
}

struct Outcome {
    int Status = -1;
    std::string Out;
    std::string Err;
};

// Runs Binary with Args in the tree, standard input empty; its streams go to out and err,
// or standard output to Stdout when one is named (and is then not read back). The files it
// writes may grow to File_Limit bytes; a run that hangs is killed after a minute.
inline Outcome Run(const Sandbox& Box, const std::string& Binary, std::vector<std::string> Args,
                   const std::string& Stdout = {}, rlim_t File_Limit = RLIM_INFINITY) {
    Args.insert(Args.begin(), Binary);
    std::vector<char*> Argv(Args.size() + 1, nullptr);
    std::transform(Args.begin(), Args.end(), Argv.begin(), [](auto& Arg) { return Arg.data(); });
    const std::string Tree = Box.Tree().string();
    const std::string Out = Stdout.empty() ? (Box.Root / "out").string() : Stdout;
    const std::string Err = (Box.Root / "err").string();
    const pid_t Child = ::fork();
    if (Child == 0) { // only async-signal-safe calls until execv
        const rlimit Limit{File_Limit, File_Limit};
        ::alarm(60);
        if ((File_Limit == RLIM_INFINITY || ::setrlimit(RLIMIT_FSIZE, &Limit) == 0) &&
            ::dup2(::open("/dev/null", O_RDONLY), 0) == 0 &&
            ::dup2(::open(Out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1) == 1 &&
            ::dup2(::open(Err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2) == 2 &&
            ::chdir(Tree.c_str()) == 0) {
            ::execv(Argv[0], Argv.data());
        }
        ::_exit(127);
    }
    int Status = 0;
    ::waitpid(Child, &Status, 0);
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : -1, Stdout.empty() ? Read_File(Out) : "",
            Read_File(Err)};
}

// Every file and link of the tree with its bytes or link target, and each directory (as
// "PATH/") where asked.
inline Files Snapshot(const fs::path& Tree, bool With_Directories = false) {
    Files Found;
    for (const auto& Entry : fs::recursive_directory_iterator(Tree)) {
        const auto Type = Entry.symlink_status().type();
        const std::string Path = Entry.path().lexically_relative(Tree).string();
        if (Type == fs::file_type::symlink) {
            Found[Path] = "-> " + fs::read_symlink(Entry.path()).string();
        } else if (Type == fs::file_type::regular) {
            Found[Path] = Read_File(Entry.path());
        } else if (Type != fs::file_type::directory) {
            Found[Path] = "(special file)";
        } else if (With_Directories) {
            Found[Path + "/"] = "(directory)";
        }
    }
    return Found;
}

// Sets or clears the append-only flag of each directory; false where it cannot be set.
inline bool Set_Append_Only(const Sandbox& Box, const std::vector<std::string>& Dirs, bool On) {
    for (const std::string& Dir : Dirs) {
        const int Fd = ::open((Box.Tree() / Dir).c_str(), O_RDONLY | O_DIRECTORY);
        int Flags = 0;
        const bool Set = Fd >= 0 && ::ioctl(Fd, FS_IOC_GETFLAGS, &Flags) == 0 &&
                         (Flags = On ? Flags | FS_APPEND_FL : Flags & ~FS_APPEND_FL,
                          ::ioctl(Fd, FS_IOC_SETFLAGS, &Flags) == 0);
        ::close(Fd);
        if (!Set) {
            return false;
        }
    }
    return true;
}

// The flags set for a row, cleared again before its sandbox is removed.
struct Append_Only_Guard {
    const Sandbox& Box;
    const std::vector<std::string>& Dirs;
    ~Append_Only_Guard() { (void)Set_Append_Only(Box, Dirs, false); }
};

} // namespace harness
