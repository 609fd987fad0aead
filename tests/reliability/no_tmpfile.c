// Test shim: a file system without unnamed files. Every open asking for O_TMPFILE fails
// with EOPNOTSUPP, so the program has to publish through its hidden temporary names.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>

// Every open variant ends here and goes on, unless refused, to the real openat.
static int pass(int dir, const char *path, int flags, mode_t mode) {
    static int (*real)(int, const char *, int, ...);
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    if (real == 0) {
        *(void **)&real = dlsym(RTLD_NEXT, "openat");
    }
    return real(dir, path, flags, mode);
}

// The mode argument is read only when the flags say it was passed.
#define MODE_OF(flags, mode)                                                               \
    va_list args;                                                                          \
    va_start(args, flags);                                                                 \
    mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE                    \
                      ? (mode_t)va_arg(args, int)                                          \
                      : 0;                                                                 \
    va_end(args)

int open(const char *path, int flags, ...) {
    MODE_OF(flags, mode);
    return pass(AT_FDCWD, path, flags, mode);
}
int open64(const char *path, int flags, ...) {
    MODE_OF(flags, mode);
    return pass(AT_FDCWD, path, flags, mode);
}
int openat(int dir, const char *path, int flags, ...) {
    MODE_OF(flags, mode);
    return pass(dir, path, flags, mode);
}
int openat64(int dir, const char *path, int flags, ...) {
    MODE_OF(flags, mode);
    return pass(dir, path, flags, mode);
}
