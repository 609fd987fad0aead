// The scratch directory, the run of the program through fork/execv with both output
// streams captured by pipes, and the checks of one table row.
#include "harness.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace adaskel_e2e {

namespace fs = std::filesystem;

namespace {

std::string Now(const char* Format, bool Local) {
    const std::time_t Time = std::time(nullptr);
    std::tm Parts{};
    Local ? ::localtime_r(&Time, &Parts) : ::gmtime_r(&Time, &Parts);
    std::array<char, 32> Text{};
    return {Text.data(), std::strftime(Text.data(), Text.size(), Format, &Parts)};
}

std::string Read_File(const fs::path& Path) {
    std::ostringstream Bytes;
    Bytes << std::ifstream(Path, std::ios::binary).rdbuf();
    return Bytes.str();
}

// Only async-signal-safe calls between fork and execv.
[[noreturn]] void Start_Child(const char* Dir, char* const* Argv, int Out_Fd, int Err_Fd) {
    const int In_Fd = ::open("/dev/null", O_RDONLY);
    if (In_Fd >= 0 && ::dup2(In_Fd, 0) == 0 && ::dup2(Out_Fd, 1) == 1 && ::dup2(Err_Fd, 2) == 2 &&
        ::chdir(Dir) == 0) {
        ::execv(Argv[0], Argv);
    }
    ::_exit(127);
}

// Reads both pipes to their end together, so that neither fills up and blocks the child.
void Drain(std::array<pollfd, 2> Polled, std::array<std::string*, 2> Sinks) {
    std::array<char, 4096> Block{};
    while (Polled[0].fd >= 0 || Polled[1].fd >= 0) {
        if (::poll(Polled.data(), Polled.size(), -1) < 0) {
            continue; // interrupted
        }
        for (std::size_t I = 0; I < Polled.size(); ++I) {
            const ssize_t Count =
                Polled[I].revents == 0 ? -1 : ::read(Polled[I].fd, Block.data(), Block.size());
            if (Count > 0) {
                Sinks[I]->append(Block.data(), static_cast<std::size_t>(Count));
            } else if (Polled[I].revents != 0 && (Count == 0 || errno != EINTR)) {
                ::close(Polled[I].fd);
                Polled[I].fd = -1;
            }
        }
    }
}

// The report of an unhandled failure: one line, "adaskel: " and a lower-case description.
void Check_Report(const std::string& Err, const std::string& Needle) {
    EXPECT_TRUE(Err.starts_with("adaskel: ") && !std::isupper(static_cast<unsigned char>(Err[9])))
        << Err;
    EXPECT_TRUE(std::ranges::count(Err, '\n') == 1 && Err.ends_with("\n") && !Err.ends_with(".\n"))
        << Err;
    EXPECT_NE(Err.find(Needle), std::string::npos) << "report lacks " << Needle << ": " << Err;
}

std::vector<std::string> Non_Directories(const fs::path& Root) {
    std::vector<std::string> Paths;
    for (const auto& Entry : fs::recursive_directory_iterator(Root)) {
        if (Entry.symlink_status().type() != fs::file_type::directory) {
            Paths.push_back(Entry.path().lexically_relative(Root).string());
        }
    }
    std::ranges::sort(Paths);
    return Paths;
}

void Check_Tree(const Case& Row, const fs::path& Root, const std::string& Date) {
    std::vector<std::string> Wanted;
    for (const auto& [Path, Bytes] : Row.Expected) {
        Wanted.push_back(Path);
        EXPECT_EQ(Read_File(Root / Path), Fill_In(Bytes, Date)) << "content of " << Path;
    }
    for (const auto& [Path, Bytes] : Row.Inputs) {
        Wanted.push_back(Path);
        if (!Row.Expected.contains(Path)) {
            EXPECT_EQ(Read_File(Root / Path), Bytes) << "input " << Path << " changed";
        }
    }
    for (const auto& [Path, Target] : Row.Links) {
        Wanted.push_back(Path);
        std::error_code Error;
        EXPECT_EQ(fs::read_symlink(Root / Path, Error).string(), Target) << Path << " replaced";
    }
    std::ranges::sort(Wanted);
    Wanted.erase(std::unique(Wanted.begin(), Wanted.end()), Wanted.end());
    EXPECT_EQ(Non_Directories(Root), Wanted) << "files missing or left behind";
}

} // namespace

Sandbox::Sandbox() {
    std::string Pattern = (fs::path(testing::TempDir()) / "adaskel-e2e-XXXXXX").string();
    if (::mkdtemp(Pattern.data()) == nullptr) {
        throw fs::filesystem_error("mkdtemp", Pattern, {errno, std::system_category()});
    }
    Root_Path = Pattern;
}

Sandbox::~Sandbox() {
    std::error_code Ignored;
    fs::remove_all(Root_Path, Ignored);
}

void Sandbox::Prepare(const Case& Row) const {
    for (const auto& Dir : Row.Dirs) {
        fs::create_directories(Root_Path / Dir);
    }
    for (const auto& [Path, Bytes] : Row.Inputs) {
        fs::create_directories((Root_Path / Path).parent_path());
        std::ofstream(Root_Path / Path, std::ios::binary) << Bytes;
    }
    for (const auto& [Path, Target] : Row.Links) {
        fs::create_directories((Root_Path / Path).parent_path());
        fs::create_symlink(Target, Root_Path / Path);
    }
}

Run_Result Run_Program(const Sandbox& Box, const std::vector<std::string>& Args, bool Stdout_Full) {
    std::vector<std::string> Texts{ADASKEL_BINARY};
    Texts.insert(Texts.end(), Args.begin(), Args.end());
    std::vector<char*> Argv;
    Argv.reserve(Texts.size() + 1);
    for (auto& Text : Texts) {
        Argv.push_back(Text.data());
    }
    Argv.push_back(nullptr);
    const std::string Dir = Box.Root().string();
    std::array<int, 2> Out_Pipe{};
    std::array<int, 2> Err_Pipe{};
    const int Full_Fd = Stdout_Full ? ::open("/dev/full", O_WRONLY | O_CLOEXEC) : -1;
    if (::pipe2(Out_Pipe.data(), O_CLOEXEC) != 0 || ::pipe2(Err_Pipe.data(), O_CLOEXEC) != 0 ||
        (Stdout_Full && Full_Fd < 0)) {
        ADD_FAILURE() << "cannot set up the run's streams";
        return {};
    }
    Run_Result Result{.Date_Before = Now("%Y-%m-%d %H:%M:%S", false)};
    const pid_t Child = ::fork();
    if (Child == 0) {
        Start_Child(Dir.c_str(), Argv.data(), Stdout_Full ? Full_Fd : Out_Pipe[1], Err_Pipe[1]);
    }
    for (const int Fd : {Out_Pipe[1], Err_Pipe[1], Full_Fd}) {
        ::close(Fd);
    }
    Drain({{{Out_Pipe[0], POLLIN, 0}, {Err_Pipe[0], POLLIN, 0}}}, {&Result.Out, &Result.Err});
    int Wait_Status = 0;
    while (::waitpid(Child, &Wait_Status, 0) < 0 && errno == EINTR) {
    }
    Result.Date_After = Now("%Y-%m-%d %H:%M:%S", false);
    Result.Status = WIFEXITED(Wait_Status) ? WEXITSTATUS(Wait_Status) : -1;
    return Result;
}

std::string Printed_Date(const Run_Result& Result) {
    const std::string Lead = "We are the ";
    if (!Result.Out.starts_with(Lead)) {
        return {};
    }
    std::string Date = Result.Out.substr(Lead.size(), 19);
    EXPECT_TRUE(std::regex_match(Date, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << Date;
    EXPECT_TRUE(Result.Date_Before <= Date && Date <= Result.Date_After)
        << Date << " is not within " << Result.Date_Before << " to " << Result.Date_After;
    return Date;
}

std::string Fill_In(const std::string& Text, const std::string& Date) {
    const std::string Year = Now("%Y", true);
    std::string Filled;
    for (std::size_t At = 0; At < Text.size();) {
        if (Text.compare(At, 6, "@DATE@") == 0 || Text.compare(At, 6, "@YEAR@") == 0) {
            Filled += Text[At + 1] == 'D' ? Date : Year;
            At += 6;
        } else {
            Filled += Text[At++];
        }
    }
    return Filled;
}

void Check_Run(const Case& Row, const Sandbox& Box, const Run_Result& Result) {
    const std::string Date = Printed_Date(Result);
    EXPECT_EQ(Result.Status, Row.Status) << "stderr: " << Result.Err;
    EXPECT_EQ(Result.Out, Fill_In(Row.Out, Date));
    if (Row.Status == 1) {
        Check_Report(Result.Err, Row.Err);
    } else {
        EXPECT_EQ(Result.Err, Row.Err);
    }
    Check_Tree(Row, Box.Root(), Date);
}

void Run_Case(const Case& Row) {
    const Sandbox Box;
    Box.Prepare(Row);
    Check_Run(Row, Box, Run_Program(Box, Row.Args, Row.Stdout_Full));
}

} // namespace adaskel_e2e
