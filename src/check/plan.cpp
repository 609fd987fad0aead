// Working out the plan with the run's own tests: what is at each path, whether its
// directory takes a new file, and whether a header can be formed. Files the run would
// have created earlier in the same run are remembered, by directory and name, so that
// a unit listed twice (or under two spellings of one path) is skipped the second time.
#include "check/plan.hpp"

#include "inputs/paths.hpp"
#include "inputs/project_file.hpp"
#include "writers/atomic_file.hpp"
#include "writers/header.hpp"

#include <set>
#include <sys/stat.h>
#include <tuple>

namespace adaskel {

namespace {

// A file by the identity of its directory and its name there.
using File_Key = std::tuple<dev_t, ino_t, std::string>;

struct Planner {
    const Run_Record& Record;
    bool Licence_Read;
    std::set<File_Key> Created;
    std::vector<Plan_Line> Lines;
};

// The problem that stops the header of a new file, as the run meets it.
std::string Header_Stop(const Planner& Plan) {
    std::string Problem = Header_Problem(Plan.Record);
    const bool About_Licence = Is_Filled(Plan.Record.Unit_Names, 2);
    return About_Licence && !Plan.Licence_Read ? std::string() : Problem;
}

void Plan_File(Planner& Plan, const std::string& Path) {
    const Output_Path Look = Look_At_Output_Path(Path);
    if (Look.State == Path_State::Blocked) {
        Plan.Lines.push_back({Plan_Action::Error, Path, Look.Problem});
        return;
    }
    if (Look.State == Path_State::Regular_File) {
        Plan.Lines.push_back({Plan_Action::Exists, Path, {}});
        return;
    }
    struct stat Directory {};
    if (std::string Problem = Creation_Problem(Path, Directory); !Problem.empty()) {
        Plan.Lines.push_back({Plan_Action::Error, Path, std::move(Problem)});
        return;
    }
    const File_Key Key{Directory.st_dev, Directory.st_ino, Path.substr(Path.rfind('/') + 1)};
    if (!Plan.Created.insert(Key).second) {
        Plan.Lines.push_back({Plan_Action::Exists, Path, {}});
        return;
    }
    if (std::string Problem = Header_Stop(Plan); !Problem.empty()) {
        Plan.Lines.push_back({Plan_Action::Error, Path, std::move(Problem)});
        return;
    }
    Plan.Lines.push_back({Plan_Action::Create, Path, {}});
}

} // namespace

std::vector<Plan_Line> Make_Plan(const Run_Record& Record, bool Licence_Read) {
    Planner Plan{Record, Licence_Read, {}, {}};
    const std::string& Root = Root_Name(Record);
    Plan_File(Plan, Body_Path(Root));
    for (std::int32_t J = 3; J <= Record.Line_Count; ++J) {
        Plan_File(Plan, Spec_Path(Root, Read(Record.Project_Lines, J)));
    }
    return std::move(Plan.Lines);
}

} // namespace adaskel
