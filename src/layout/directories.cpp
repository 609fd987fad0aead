// Walking down a relative path by descriptors. O_PATH opens a level for use as the base
// of the next *at call only, so a directory needs no read permission to be passed
// through; O_NOFOLLOW with O_DIRECTORY refuses a symbolic link as it refuses a file.
#include "layout/directories.hpp"

#include "base/failure.hpp"
#include "base/owned_fd.hpp"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

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

// Name in Parent, made when missing, opened as the base of the next level.
Owned_Fd Enter(Console& Out, const std::string& Path, int Parent, const std::string& Name,
               const std::string& Level) {
    if (::mkdirat(Parent, Name.c_str(), 0777) == 0) {
        Put_Line(Out, "created " + Escape(Level) + "/");
    } else if (errno != EEXIST) {
        Raise_System_Failure("cannot create directory", Level, errno);
    }
    Owned_Fd Entered(::openat(Parent, Name.c_str(), Level_Flags));
    if (Entered.Value < 0) {
        Raise_Blocked(Path, Parent, Name, Level, errno);
    }
    return Entered;
}

} // namespace

void Make_Directory(Console& Out, const std::string& Path) {
    Owned_Fd Parent(::open(".", Level_Flags));
    if (Parent.Value < 0) {
        Raise_System_Failure("cannot open directory", ".", errno);
    }
    for (std::size_t Start = 0; Start <= Path.size();) {
        const std::size_t Slash = std::min(Path.find('/', Start), Path.size());
        Parent = Enter(Out, Path, Parent.Value, Path.substr(Start, Slash - Start),
                       Path.substr(0, Slash));
        Start = Slash + 1;
    }
}

} // namespace adaskel
