// Preloaded into adaskel by the reliability tests. SHIM_NO_TMPFILE=1: every O_TMPFILE open
// fails with EOPNOTSUPP. PLANT_PATH: another process takes that path just before a link
// there, with a regular file when PLANT_KIND=file, else a dangling symbolic link.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
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

static void plant(const char *path) {
    static int planted;
    const char *wanted = getenv("PLANT_PATH"), *kind = getenv("PLANT_KIND");
    int fd;
    if (planted || wanted == NULL || strcmp(path, wanted) != 0) return;
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
    return plant(new_path), real(old_dir, old_path, new_dir, new_path, flags);
}
int link(const char *old_path, const char *new_path) {
    REAL(link);
    return plant(new_path), real(old_path, new_path);
}
