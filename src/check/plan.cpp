// Working out the plan with the run's own tests: what is at each path, whether its
// directory takes a new file (the open-files limit, and publishing tried once in each
// directory under a hidden name), and whether a header can be formed. Files the run would
// have created earlier in the same run are remembered, by directory and name, so that
// a unit listed twice (or under two spellings of one path) is skipped the second time,
// and a symbolic link that leads to one of them is a link to a file by then.
#include "check/plan.hpp"

#include "base/path_parts.hpp"
#include "inputs/project_file.hpp"
#include "writers/atomic_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/header.hpp"

#include <array>
#include <cerrno>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace adaskel {

namespace {

// A file by the identity of its directory and its name there.
using File_Key = std::tuple<dev_t, ino_t, std::string>;

struct Planner {
    const Run_Record& Record;
    bool Licence_Read;
    std::set<File_Key> Created;
    std::vector<Plan_Line> Lines;
    std::map<std::pair<dev_t, ino_t>, std::optional<std::string>> Tried{}; // by directory
};

// What keeps the run from publishing a file in the directory of Path, tried once for
// each directory.
std::optional<std::string> Publishing_Problem_Of(Planner& Plan, const std::string& Path,
                                                 const struct stat& Directory) {
    const auto [Tried, Is_New] =
        Plan.Tried.try_emplace({Directory.st_dev, Directory.st_ino}, std::nullopt);
    if (Is_New) {
        Tried->second = Publishing_Problem(Directory_Of(Path));
    }
    return Tried->second;
}

// Whether nothing is at Path now, but the run has created a file there by this point.
bool Is_Created(const Planner& Plan, const std::string& Path) {
    struct stat Directory {};
    if (::lstat(Path.c_str(), &Directory) == 0 || errno != ENOENT ||
        ::stat(Directory_Of(Path).c_str(), &Directory) != 0) {
        return false;
    }
    return Plan.Created.count({Directory.st_dev, Directory.st_ino, std::string(Base_Name(Path))}) >
           0;
}

// Whether the symbolic links from Path on end at a file the run has created by this
// point: dangling now, the link then leads to a regular file, which the run skips. The
// kernel follows at most 40 links.
bool Leads_To_Created(const Planner& Plan, std::string Path) {
    for (int Link = 0; Link < 40; ++Link) {
        std::array<char, 4096> Target{};
        const ssize_t Length = ::readlink(Path.c_str(), Target.data(), Target.size());
        if (Length <= 0 || static_cast<std::size_t>(Length) >= Target.size()) {
            return Is_Created(Plan, Path);
        }
        const std::string_view Next(Target.data(), static_cast<std::size_t>(Length));
        Path = Next.front() == '/' ? std::string() : Directory_Of(Path) + '/';
        Path += Next;
    }
    return false;
}

// What the run does at a free path.
Plan_Line Plan_New_File(Planner& Plan, const std::string& Path) {
    struct stat Directory {};
    if (auto Found = Descriptor_Problem(Path)) {
        return {Plan_Action::Error, Path, std::move(Found->Message)};
    }
    if (auto Found = Creation_Problem(Path, Directory)) {
        return {Plan_Action::Error, Path, std::move(Found->Message)};
    }
    if (auto Found = Publishing_Problem_Of(Plan, Path, Directory)) {
        return {Plan_Action::Error, Path, std::move(*Found)};
    }
    const File_Key Key{Directory.st_dev, Directory.st_ino, std::string(Base_Name(Path))};
    if (!Plan.Created.insert(Key).second) { // the run has created it earlier
        return {Plan_Action::Exists, Path, {}};
    }
    // The header's needs, as the run meets them; a licence text that could not be read
    // has no meaningful line count, and is an input error already.
    auto Found = Main_Unit_Problem(Plan.Record);
    if (!Found && Plan.Licence_Read) {
        Found = Excerpt_Problem(Plan.Record);
    }
    if (Found) {
        return {Plan_Action::Error, Path, std::move(Found->Message)};
    }
    return {Plan_Action::Create, Path, {}};
}

void Plan_File(Planner& Plan, const std::string& Path) {
    Output_Path Look = Look_At_Output_Path(Path);
    if (Look.Holds_File || (Look.Blocked && Leads_To_Created(Plan, Path))) {
        Plan.Lines.push_back({Plan_Action::Exists, Path, {}, Look.Holds_File && Look.Empty});
    } else if (Look.Blocked) {
        Plan.Lines.push_back({Plan_Action::Error, Path, std::move(Look.Blocked->Message)});
    } else {
        Plan.Lines.push_back(Plan_New_File(Plan, Path));
    }
}

} // namespace

std::vector<Plan_Line> Make_Plan(const Run_Record& Record, bool Licence_Read) {
    Planner Plan{Record, Licence_Read, {}, {}};
    Each_Output_File(Record, [&](const Output_File& File) { Plan_File(Plan, File.Path); });
    return std::move(Plan.Lines);
}

} // namespace adaskel
