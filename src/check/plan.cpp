// Working out the plan with the run's own tests: what is at each path, whether its
// directory takes a new file (the open-files limit, and publishing tried once in each
// directory under a hidden name), and whether a header can be formed. Files the run would
// have created earlier in the same run are remembered, by directory and name, so that
// a unit listed twice (or under two spellings of one path) is skipped the second time,
// and a symbolic link that leads to one of them is a link to a file by then.
#include "check/plan.hpp"

#include "base/number_set.hpp"
#include "base/path_parts.hpp"
#include "inputs/project_file.hpp"
#include "writers/atomic_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/header.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace adaskel {

namespace {

// A file the run has created by this point: the identity of its directory, and the
// project line whose file it is, which gives its name when it is compared.
struct Created_File {
    dev_t Device = 0;
    ino_t Inode = 0;
    std::int32_t Line = 0;
};

struct Planner {
    const Run_Record& Record;
    bool Licence_Read;
    std::vector<Created_File> Created{};
    Number_Set Created_Keys{}; // the entries of Created, by directory and name
    std::map<std::pair<dev_t, ino_t>, std::optional<std::string>> Tried{}; // by directory
};

std::size_t Key_Hash(const struct stat& Directory, std::string_view Name) {
    return Mix_Hash(Directory.st_dev * 0x9e3779b97f4a7c15U + Directory.st_ino) ^
           std::hash<std::string_view>{}(Name);
}

// Whether the file of Created entry Number is Name in Directory.
bool Is_Entry(const Planner& Plan, std::uint32_t Number, const struct stat& Directory,
              std::string_view Name) {
    const Created_File& File = Plan.Created[Number];
    return File.Device == Directory.st_dev && File.Inode == Directory.st_ino &&
           Base_Name(Output_File_Of(Plan.Record, File.Line).Path) == Name;
}

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
    const std::string_view Name = Base_Name(Path);
    return Find_Number(
               Plan.Created_Keys, Key_Hash(Directory, Name),
               [&](std::uint32_t Number) { return Is_Entry(Plan, Number, Directory, Name); })
        .has_value();
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

// Notes that the run creates File in Directory, unless it has created it earlier; returns
// whether it had.
bool Created_Before(Planner& Plan, const Output_File& File, const struct stat& Directory) {
    const std::string_view Name = Base_Name(File.Path);
    const auto Number = static_cast<std::uint32_t>(Plan.Created.size());
    if (Add_Number(
            Plan.Created_Keys, Number, Key_Hash(Directory, Name),
            [&](std::uint32_t Earlier) { return Is_Entry(Plan, Earlier, Directory, Name); })) {
        return true;
    }
    Plan.Created.push_back({Directory.st_dev, Directory.st_ino, File.Line});
    return false;
}

// What the run does at a free path.
Plan_Line Plan_New_File(Planner& Plan, const Output_File& File) {
    const std::string& Path = File.Path;
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
    if (Created_Before(Plan, File, Directory)) {
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

Plan_Line Plan_File(Planner& Plan, const Output_File& File) {
    const std::string& Path = File.Path;
    Output_Path Look = Look_At_Output_Path(Path);
    if (Look.Holds_File || (Look.Blocked && Leads_To_Created(Plan, Path))) {
        return {Plan_Action::Exists, Path, {}, Look.Holds_File && Look.Empty};
    }
    if (Look.Blocked) {
        return {Plan_Action::Error, Path, std::move(Look.Blocked->Message)};
    }
    return Plan_New_File(Plan, File);
}

} // namespace

void Make_Plan(const Run_Record& Record, bool Licence_Read,
               const std::function<void(const Plan_Line&)>& Visit) {
    const auto Files = static_cast<std::size_t>(std::max(Record.Line_Count, Root_Line));
    Planner Plan{Record, Licence_Read};
    Plan.Created.reserve(Files);
    Plan.Created_Keys = Create_Number_Set(Files);
    Each_Output_File(Record, [&](const Output_File& File) { Visit(Plan_File(Plan, File)); });
}

} // namespace adaskel
