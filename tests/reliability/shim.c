// Preloaded into the programs by the reliability tests. SHIM_NO_TMPFILE=1: every O_TMPFILE
// open fails with EOPNOTSUPP. SHIM_NO_LINK=1: every link fails with EPERM, as on FAT.
// SHIM_NO_RENAME=1: every rename without replacing fails with EINVAL. PLANT_PATH (relative
// to the working directory): another process takes that path just before a link or a
// rename there, with a regular file when PLANT_KIND=file, else a dangling symbolic link.
// SHIM_CLOCK=N: the clock reads N seconds since the epoch.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#define REAL(name)                                                                         \
    static __typeof__(name) *real;                                                         \
    if (real == NULL) *(void **)&real = dlsym(RTLD_NEXT, #name)

// Every open variant ends here; the mode is there only when the flags say so.
static int pass(int dir, const char *path, int flags, va_list args) {
    int tmpfile = (flags & O_TMPFILE) == O_TMPFILE;
    mode_t mode = (flags & O_CREAT) || tmpfile ? (mode_t)va_arg(args, int) : 0;
    if (tmpfile && getenv("SHIM_NO_TMPFILE") != NULL) return errno = EOPNOTSUPP, -1;
    REAL(openat);
    return real(dir, path, flags, mode);
}
#define FORWARD(dir)                                                                       \
    va_list args;                                                                          \
    va_start(args, flags);                                                                 \
    int fd = pass(dir, path, flags, args);                                                 \
    return va_end(args), fd
int open(const char *path, int flags, ...) { FORWARD(AT_FDCWD); }
int open64(const char *path, int flags, ...) { FORWARD(AT_FDCWD); }
int openat(int dir, const char *path, int flags, ...) { FORWARD(dir); }
int openat64(int dir, const char *path, int flags, ...) { FORWARD(dir); }

// The path of name in dir, relative to the working directory where it is below it.
static void whole(int dir, const char *name, char *out) {
    char where[PATH_MAX] = ".", cwd[PATH_MAX] = "";
    char link[64];
    ssize_t n = 0;
    if (dir != AT_FDCWD && name[0] != '/') {
        snprintf(link, sizeof link, "/proc/self/fd/%d", dir);
        n = readlink(link, where, sizeof where - 1);
        where[n > 0 ? n : 0] = '\0';
    }
    size_t c = getcwd(cwd, sizeof cwd) ? strlen(cwd) : 0;
    if (dir == AT_FDCWD || name[0] == '/') snprintf(out, PATH_MAX, "%s", name);
    else if (c > 0 && strncmp(where, cwd, c) == 0 && where[c] == '/')
        snprintf(out, PATH_MAX, "%s/%s", where + c + 1, name);
    else snprintf(out, PATH_MAX, "%s/%s", where, name);
}

static void plant(int dir, const char *name) {
    static int planted;
    const char *wanted = getenv("PLANT_PATH"), *kind = getenv("PLANT_KIND");
    char path[PATH_MAX];
    int fd;
    if (planted || wanted == NULL) return;
    whole(dir, name, path);
    if (strcmp(path, wanted) != 0) return;
    planted = 1;
    if (kind == NULL || strcmp(kind, "file") != 0) {
        (void)!symlink("nowhere", path);
    } else if ((fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644)) >= 0) {
        (void)!write(fd, "planted\n", 8);
        close(fd);
    }
}
int linkat(int old_dir, const char *old_path, int new_dir, const char *new_path, int flags) {
    REAL(linkat);
    plant(new_dir, new_path);
    if (getenv("SHIM_NO_LINK") != NULL) return errno = EPERM, -1;
    return real(old_dir, old_path, new_dir, new_path, flags);
}
int link(const char *old_path, const char *new_path) {
    return linkat(AT_FDCWD, old_path, AT_FDCWD, new_path, 0);
}
int renameat2(int old_dir, const char *old_path, int new_dir, const char *new_path,
              unsigned flags) {
    REAL(renameat2);
    plant(new_dir, new_path);
    if (getenv("SHIM_NO_RENAME") != NULL) return errno = EINVAL, -1;
    return real(old_dir, old_path, new_dir, new_path, flags);
}

time_t time(time_t *out) {
    const char *clock = getenv("SHIM_CLOCK");
    struct timespec now;
    if (clock == NULL) clock_gettime(CLOCK_REALTIME, &now);
    else now.tv_sec = (time_t)strtoll(clock, NULL, 10);
    if (out != NULL) *out = now.tv_sec;
    return now.tv_sec;
}
