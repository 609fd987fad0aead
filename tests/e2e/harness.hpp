// Runs the built program in a scratch directory and checks a whole run against one
// table row: console, exit status, standard error and the tree left behind.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace adaskel_e2e {

// Path (relative to the scratch directory) to exact bytes.
using Files = std::map<std::string, std::string>;

// One run. Expected texts may hold @DATE@ (the date the run printed) and @YEAR@ (the
// local calendar year). After the run the tree must hold exactly the inputs, links and
// expected files: inputs not listed in Expected unchanged, nothing else left behind.
struct Case {
    std::string Name{};
    Files Inputs{};
    std::vector<std::string> Dirs{};
    std::vector<std::pair<std::string, std::string>> Links{}; // link path, target
    std::vector<std::string> Args{};
    std::string Out{};
    int Status = 0;
    std::string Err{}; // status 1: a text the one-line report must hold; else exact stderr
    Files Expected{};
    bool Stdout_Full = false; // standard output is /dev/full
};

// Names a row in test output instead of dumping its bytes.
inline void PrintTo(const Case& Row, std::ostream* Stream) {
    *Stream << Row.Name;
}

struct Run_Result {
    std::string Out{};
    std::string Err{};
    int Status = -1;           // -1 when the program died of a signal
    std::string Date_Before{}; // the UTC clock around the run, as the program prints it
    std::string Date_After{};
};

// A fresh directory under the test temp dir, removed with all it holds at the end.
class Sandbox {
  public:
    Sandbox();
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    [[nodiscard]] const std::filesystem::path& Root() const { return Root_Path; }
    void Prepare(const Case& Row) const;

  private:
    std::filesystem::path Root_Path;
};

// Runs the program in the sandbox with argv[1..] = Args and stdin from /dev/null.
Run_Result Run_Program(const Sandbox& Box, const std::vector<std::string>& Args,
                       bool Stdout_Full = false);

// The date after "We are the ", checked for its form and for lying within the run.
std::string Printed_Date(const Run_Result& Result);

// Text with @DATE@ replaced by Date and @YEAR@ by the current local year.
std::string Fill_In(const std::string& Text, const std::string& Date);

void Check_Run(const Case& Row, const Sandbox& Box, const Run_Result& Result);

// Prepares a sandbox, runs the row and checks it.
void Run_Case(const Case& Row);

} // namespace adaskel_e2e
