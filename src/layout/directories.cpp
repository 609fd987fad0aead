// Walking down a relative path by descriptors. O_PATH opens a level for use as the base
// of the next *at call only, so a directory needs no read permission to be passed
// through; O_NOFOLLOW with O_DIRECTORY refuses a symbolic link as it refuses a file.
#include "layout/directories.hpp"

#include "base/failure.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace adaskel {

namespace {

constexpr int Level_Flags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Why the entry Name of Parent, which is there, could not be entered as a directory.
[[noreturn]] void Raise_Blocked(const std::string& Path, int Parent, const std::string& Name,
                                const std::string& Level, int Error) {
    struct stat Status {};
    if (Error != ENOTDIR || ::fstatat(Parent, Name.c_str(), &Status, AT_SYMLINK_NOFOLLOW) != 0) {
        Raise_System_Failure("cannot open directory", Level, Error);
    }
    throw Run_Failure(Problem{Level, 0,
                              Quote(Level) + (S_ISLNK(Status.st_mode)
                                                  ? " is a symbolic link, which is not followed"
                                                  : " is not a directory"),
                              "cannot create directory " + Quote(Path) + ": "});
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

// Name in Parent, made when missing, opened as the base of the next level.
Owned_Fd Enter(Console& Out, Walked_Tree& Tree, const std::string& Path, int Parent,
               const std::string& Name, const std::string& Level) {
    if (::mkdirat(Parent, Name.c_str(), 0777) == 0) {
        Put_Line(Out, "created " + Escape(Level) + "/");
    } else if (errno != EEXIST) {
        Raise_System_Failure("cannot create directory", Level, errno);
    }
    Owned_Fd Entered(::openat(Parent, Name.c_str(), Level_Flags));
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

} // namespace

Owned_Fd Make_Directory(Console& Out, Walked_Tree& Tree, const std::string& Path) {
    Owned_Fd Parent(::open(".", Level_Flags));
    if (Parent.Value < 0) {
        Raise_System_Failure("cannot open directory", ".", errno);
    }
    if (Tree.Paths.empty()) { // the tree's first level is made in the current directory
        Note_Level(Tree, Parent, ".");
        Tree.Paths.emplace_back(".");
    }
    Tree.Paths.push_back(Path);
    for (std::size_t Start = 0; Start <= Path.size();) {
        const std::size_t Slash = std::min(Path.find('/', Start), Path.size());
        Parent = Enter(Out, Tree, Path, Parent.Value, Path.substr(Start, Slash - Start),
                       Path.substr(0, Slash));
        Start = Slash + 1;
    }
    return Parent;
}

void Make_Durable(const Walked_Tree& Tree) {
    bool Synced = true;
    for (const Owned_Fd& Syncer : Tree.Syncers) {
        Synced = ::syncfs(Syncer.Value) == 0 && Synced;
    }
    if (Synced) {
        return;
    }
    // Each level of each path once, deepest first: a name is durable once its directory is.
    std::set<std::string> Done;
    for (auto Path = Tree.Paths.rbegin(); Path != Tree.Paths.rend(); ++Path) {
        for (std::string Level = *Path; Done.insert(Level).second;) {
            Sync_Path(Level);
            const std::size_t Slash = Level.rfind('/');
            if (Slash == std::string::npos) {
                break;
            }
            Level.resize(Slash);
        }
    }
}

} // namespace adaskel
