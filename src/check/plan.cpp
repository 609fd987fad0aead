// Working out the plan with the run's own tests: what is at each path, whether its
// directory takes a new file (the open-files limit, and publishing tried once in each
// directory under a hidden name), and whether a header can be formed. Files the run would
// have created earlier in the same run are remembered, by directory and name, so that
// a unit listed twice (or under two spellings of one path) is skipped the second time,
// and a symbolic link that leads to one of them is a link to a file by then.
//
// What is remembered costs a few bytes a file: each directory tried once is an entry of
// its identity and of the first file created there, the other files created there are
// entries of a directory number and a project line, and one table of numbers finds both
// kinds (names are formed again from the project lines when compared).
#include "check/plan.hpp"

#include "base/number_set.hpp"
#include "base/path_parts.hpp"
#include "inputs/project_file.hpp"
#include "writers/durable_batch.hpp"
#include "writers/header.hpp"
#include "writers/output_path.hpp"

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

// The First_Line of a directory where no file is created yet, and of one where publishing
// fails (whose problem is kept aside: there are few such directories, if any).
constexpr std::int32_t No_File_Yet = 0;
constexpr std::int32_t Cannot_Publish = -1;

// A directory where the run has tried publishing: its identity (its device by the
// device's index in Devices), and the project line of the first file the run creates
// there.
struct Directory_Entry {
    ino_t Inode = 0;
    std::uint32_t Device = 0;
    std::int32_t First_Line = No_File_Yet;
};

// Another file the run creates in a directory, after the first one there.
struct Later_File {
    std::uint32_t Directory = 0; // its index in Directories
    std::int32_t Line = 0;       // the project line whose file it is
};

// The numbers in Keys: a directory's index in Directories, or Later_Mark with a later
// file's index in Later_Files. Each file planned adds at most one entry (its directory,
// met for the first time, or itself as a later file), so Keys never holds more entries
// than there are files.
constexpr std::uint32_t Later_Mark = 0x80000000U;

struct Planner {
    const Run_Record& Record;
    bool Licence_Read;
    std::map<dev_t, std::uint32_t> Devices{}; // few: the file systems the tree spans
    std::vector<Directory_Entry> Directories{};
    std::vector<Later_File> Later_Files{};
    Number_Set Keys{}; // directories by identity, later files by directory and name
    std::map<std::uint32_t, Problem> Problems{}; // by directory, where publishing fails
};

std::size_t Directory_Hash(const struct stat& Directory) {
    return Mix_Hash(Directory.st_dev * 0x9e3779b97f4a7c15U + Directory.st_ino);
}

std::size_t File_Hash(std::uint32_t Directory, std::string_view Name) {
    return Mix_Hash(Directory) ^ std::hash<std::string_view>{}(Name);
}

// Whether the file of project line Line is called Name.
bool Is_Named(const Planner& Plan, std::int32_t Line, std::string_view Name) {
    return Base_Name(Output_File_Of(Plan.Record, Line).Path) == Name;
}

// Whether Keys entry Number is the directory of Inode on the device of index Device.
bool Is_Directory(const Planner& Plan, std::uint32_t Number, std::uint32_t Device, ino_t Inode) {
    return Number < Later_Mark && Plan.Directories[Number].Inode == Inode &&
           Plan.Directories[Number].Device == Device;
}

// Whether Keys entry Number is a later file called Name in directory Directory.
bool Is_Later_File(const Planner& Plan, std::uint32_t Number, std::uint32_t Directory,
                   std::string_view Name) {
    if (Number < Later_Mark) {
        return false;
    }
    const Later_File& File = Plan.Later_Files[Number - Later_Mark];
    return File.Directory == Directory && Is_Named(Plan, File.Line, Name);
}

// The index of Directory in Directories, if the run has tried publishing there.
std::optional<std::uint32_t> Find_Directory(const Planner& Plan, const struct stat& Directory) {
    const auto Device = Plan.Devices.find(Directory.st_dev);
    if (Device == Plan.Devices.end()) {
        return std::nullopt;
    }
    return Find_Number(Plan.Keys, Directory_Hash(Directory), [&](std::uint32_t Number) {
        return Is_Directory(Plan, Number, Device->second, Directory.st_ino);
    });
}

// The index in Directories of the directory of Path, whose identity is Directory; the
// first time, publishing is tried there.
std::uint32_t Directory_Index(Planner& Plan, const std::string& Path,
                              const struct stat& Directory) {
    const auto Device =
        Plan.Devices.try_emplace(Directory.st_dev, static_cast<std::uint32_t>(Plan.Devices.size()))
            .first->second;
    const auto Index = static_cast<std::uint32_t>(Plan.Directories.size());
    if (const auto Earlier =
            Add_Number(Plan.Keys, Index, Directory_Hash(Directory), [&](std::uint32_t Number) {
                return Is_Directory(Plan, Number, Device, Directory.st_ino);
            })) {
        return *Earlier;
    }
    Plan.Directories.push_back({Directory.st_ino, Device, No_File_Yet});
    if (auto Found = Publishing_Problem(Directory_Of(Path))) {
        Plan.Directories.back().First_Line = Cannot_Publish;
        Plan.Problems.emplace(Index, std::move(*Found));
    }
    return Index;
}

// Whether nothing is at Path now, but the run has created a file there by this point.
bool Is_Created(const Planner& Plan, const std::string& Path) {
    struct stat Directory {};
    if (::lstat(Path.c_str(), &Directory) == 0 || errno != ENOENT ||
        ::stat(Directory_Of(Path).c_str(), &Directory) != 0) {
        return false;
    }
    const auto Index = Find_Directory(Plan, Directory);
    if (!Index || Plan.Directories[*Index].First_Line <= No_File_Yet) {
        return false;
    }
    const std::string_view Name = Base_Name(Path);
    return Is_Named(Plan, Plan.Directories[*Index].First_Line, Name) ||
           Find_Number(Plan.Keys, File_Hash(*Index, Name), [&](std::uint32_t Number) {
               return Is_Later_File(Plan, Number, *Index, Name);
           }).has_value();
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

// Notes that the run creates File in directory Index (where publishing works), unless it
// has created it earlier; returns whether it had.
bool Created_Before(Planner& Plan, const Output_File& File, std::uint32_t Index) {
    std::int32_t& First_Line = Plan.Directories[Index].First_Line;
    if (First_Line == No_File_Yet) {
        First_Line = File.Line;
        return false;
    }
    const std::string_view Name = Base_Name(File.Path);
    if (Is_Named(Plan, First_Line, Name)) {
        return true;
    }
    const auto Number = static_cast<std::uint32_t>(Later_Mark + Plan.Later_Files.size());
    if (Add_Number(Plan.Keys, Number, File_Hash(Index, Name), [&](std::uint32_t Earlier) {
            return Is_Later_File(Plan, Earlier, Index, Name);
        })) {
        return true;
    }
    Plan.Later_Files.push_back({Index, File.Line});
    return false;
}

// What the run does at a free path.
Plan_Line Plan_New_File(Planner& Plan, const Output_File& File) {
    const std::string& Path = File.Path;
    struct stat Directory {};
    if (auto Found = Descriptor_Problem(Path)) {
        return {Plan_Action::Error, Path, std::move(*Found)};
    }
    if (auto Found = Creation_Problem(Path, Directory)) {
        return {Plan_Action::Error, Path, std::move(*Found)};
    }
    const std::uint32_t Index = Directory_Index(Plan, Path, Directory);
    if (Plan.Directories[Index].First_Line == Cannot_Publish) {
        return {Plan_Action::Error, Path, Plan.Problems.at(Index)};
    }
    if (Created_Before(Plan, File, Index)) {
        return {Plan_Action::Exists, Path, {}};
    }
    // The header's needs, as the run meets them; a licence text that could not be read
    // has no meaningful line count, and is an input error already.
    auto Found = Main_Unit_Problem(Plan.Record);
    if (!Found && Plan.Licence_Read) {
        Found = Excerpt_Problem(Plan.Record);
    }
    if (Found) {
        return {Plan_Action::Error, Path, std::move(*Found)};
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
        return {Plan_Action::Error, Path, std::move(*Look.Blocked)};
    }
    return Plan_New_File(Plan, File);
}

} // namespace

void Make_Plan(const Run_Record& Record, bool Licence_Read,
               const std::function<void(const Plan_Line&)>& Visit) {
    const auto Files = static_cast<std::size_t>(std::max(Record.Line_Count, Root_Line));
    Planner Plan{Record, Licence_Read};
    Plan.Directories.reserve(Files); // one a file when each unit has its own directory
    Plan.Keys = Create_Number_Set(Files);
    Each_Output_File(Record, [&](const Output_File& File) { Visit(Plan_File(Plan, File)); });
}

} // namespace adaskel
