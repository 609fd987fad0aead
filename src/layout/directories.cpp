// Walking down a relative path by descriptors. O_PATH opens a level for use as the base
// of the next *at call only, so a directory needs no read permission to be passed
// through; O_NOFOLLOW with O_DIRECTORY refuses a symbolic link as it refuses a file.
#include "layout/directories.hpp"

#include "base/failure.hpp"
#include "writers/durable_batch.hpp"
#include "writers/output_path.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr int Level_Flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Level, the level of Path that is there, is a symbolic link or not a directory: the walk
// stops there.
Problem Blocked_Problem(const std::string& Path, const std::string& Level, bool Is_Link) {
    return Problem{Level, 0,
                   Quote(Level) + (Is_Link ? " is a symbolic link, which is not followed"
                                           : " is not a directory"),
                   "cannot create directory " + Quote(Path) + ": "};
}

// Why the entry Name of Parent, which is there, could not be entered as a directory.
[[noreturn]] void Raise_Blocked(const std::string& Path, int Parent, const std::string& Name,
                                const std::string& Level, int Error) {
    struct stat Status {};
    if (Error != ENOTDIR || ::fstatat(Parent, Name.c_str(), &Status, AT_SYMLINK_NOFOLLOW) != 0) {
        Raise_System_Failure("cannot open directory", Level, Error);
    }
    throw Run_Failure(Blocked_Problem(Path, Level, S_ISLNK(Status.st_mode)));
}

// What stops the walk down Path, if anything: its first level that is there but is no
// directory of its own. A missing level ends the look, as it and those below are made.
std::optional<Problem> Path_Blocked(const std::string& Path) {
    for (std::size_t Slash = 0; Slash != std::string::npos;) {
        Slash = Path.find('/', Slash + 1);
        const std::string Level = Path.substr(0, Slash);
        struct stat Status {};
        if (::lstat(Level.c_str(), &Status) != 0) {
            return std::nullopt;
        }
        if (!S_ISDIR(Status.st_mode)) {
            return Blocked_Problem(Path, Level, S_ISLNK(Status.st_mode));
        }
    }
    return std::nullopt;
}

// Notes the file system of the level open at Fd, keeping a descriptor for its syncfs.
void Note_Level(Walked_Tree& Tree, const Owned_Fd& Fd, const std::string& Level) {
    struct stat Status {};
    if (::fstat(Fd.Value, &Status) != 0) {
        Raise_System_Failure("cannot open directory", Level, errno);
    }
    if (std::find(Tree.Devices.begin(), Tree.Devices.end(), Status.st_dev) == Tree.Devices.end()) {
        Tree.Devices.push_back(Status.st_dev);
        Tree.Syncers.emplace_back(::openat(Fd.Value, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
}

// Name in Parent, made when missing, opened as the base of the next level. An open that
// crosses no mount point keeps to the parent's file system, noted already; any other (a
// mount crossed, a kernel without openat2, a failure) is done the plain way, whose error
// is the one reported, and its file system noted.
Owned_Fd Enter(Console& Out, Walked_Tree& Tree, const std::string& Path, int Parent,
               const std::string& Name, const std::string& Level) {
    if (::mkdirat(Parent, Name.c_str(), 0777) == 0) {
        Put_Line(Out, "created " + Escape(Level) + "/");
    } else if (errno != EEXIST) {
        Raise_System_Failure("cannot create directory", Level, errno);
    }
    Owned_Fd Entered(Open_Resolved(Parent, Name.c_str(), Level_Flags, RESOLVE_NO_XDEV));
    if (Entered.Value >= 0) {
        return Entered;
    }
    Entered = Owned_Fd(::openat(Parent, Name.c_str(), Level_Flags));
    if (Entered.Value < 0) {
        Raise_Blocked(Path, Parent, Name, Level, errno);
    }
    Note_Level(Tree, Entered, Level);
    return Entered;
}

// Syncs the directory or file at Path by its own descriptor.
void Sync_Path(const std::string& Path) {
    const Owned_Fd Fd(::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (Fd.Value < 0 || ::fsync(Fd.Value) != 0) {
        Raise_System_Failure("cannot sync", Path, errno);
    }
}

// Syncs each level of Path, deepest first, up to the first one in Done, noting each in
// Done: a name is durable once its directory is, and a level in Done has all its own
// levels there too.
void Sync_Levels(std::set<std::string>& Done, std::string Level) {
    while (Done.insert(Level).second) {
        Sync_Path(Level);
        const std::size_t Slash = Level.rfind('/');
        if (Slash == std::string::npos) {
            return;
        }
        Level.resize(Slash);
    }
}

// The current directory, opened as the base of a walk; noted as the tree's first level.
Owned_Fd Open_Current(Walked_Tree& Tree) {
    Owned_Fd Current(::open(".", Level_Flags));
    if (Current.Value < 0) {
        Raise_System_Failure("cannot open directory", ".", errno);
    }
    if (Tree.Devices.empty()) { // the tree's first level is made in the current directory
        Note_Level(Tree, Current, ".");
    }
    return Current;
}

// The number of levels Path shares, before the last of either, with Last, whose levels
// are Last_Levels.
std::size_t Shared_Levels(std::string_view Last, std::size_t Last_Levels, std::string_view Path) {
    std::size_t Shared = 0;
    for (std::size_t End = 0; Shared + 1 < Last_Levels; ++Shared) {
        const std::size_t Level_End = std::min(Last.find('/', End), Last.size());
        if (Level_End >= Path.size() || Path[Level_End] != '/' ||
            Path.substr(0, Level_End) != Last.substr(0, Level_End)) {
            break;
        }
        End = Level_End + 1;
    }
    return Shared;
}

// Enters each level of Path after its first Shared ones, which Levels holds after the
// current directory, keeping every level entered in Levels.
void Walk_Down(Console& Out, Walked_Tree& Tree, std::vector<Owned_Fd>& Levels,
               const std::string& Path, std::size_t Shared) {
    Levels.resize(Shared + 1);
    std::size_t Start = 0;
    for (std::size_t Level = 0; Level < Shared; ++Level) {
        Start = Path.find('/', Start) + 1; // each shared level is followed by a "/"
    }
    while (Start <= Path.size()) {
        const std::size_t Slash = std::min(Path.find('/', Start), Path.size());
        Levels.push_back(Enter(Out, Tree, Path, Levels.back().Value,
                               Path.substr(Start, Slash - Start), Path.substr(0, Slash)));
        Start = Slash + 1;
    }
}

} // namespace

Owned_Fd Make_Directory(Console& Out, Walked_Tree& Tree, const std::string& Path) {
    std::vector<Owned_Fd> Levels;
    Levels.push_back(Open_Current(Tree));
    Walk_Down(Out, Tree, Levels, Path, 0);
    return std::move(Levels.back());
}

void Make_Directories(Console& Out, Walked_Tree& Tree, const Path_Walk& Paths) {
    std::vector<Owned_Fd> Levels;
    Levels.push_back(Open_Current(Tree));
    std::string Last; // the path before, whose levels Levels holds: none at first
    Paths([&](const std::string& Path) {
        Walk_Down(Out, Tree, Levels, Path, Shared_Levels(Last, Levels.size(), Path));
        Last = Path;
    });
}

std::optional<Problem> Blocking_Level(const Path_Walk& Paths) {
    std::optional<Problem> Found;
    Paths([&](const std::string& Path) {
        if (!Found) {
            Found = Path_Blocked(Path);
        }
    });
    return Found;
}

void Make_Durable(const Walked_Tree& Tree, const Path_Walk& Paths) {
    if (Sync_File_Systems(Tree.Syncers)) {
        return;
    }
    // The paths are walked again rather than kept for this rare case; only the levels
    // synced are held, so that each is synced once.
    std::set<std::string> Done;
    Paths([&](const std::string& Path) { Sync_Levels(Done, Path); });
    Sync_Levels(Done, ".");
}

} // namespace adaskel
