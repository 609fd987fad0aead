// Test shim: a file system without unnamed files. Every open asking for O_TMPFILE fails
// with EOPNOTSUPP, so the program has to publish through its hidden temporary names.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>

static int refused(int flags) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return 1;
    }
    return 0;
}

// The mode argument is read only when the flags say it was passed.
static mode_t mode_of(int flags, va_list args) {
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? (mode_t)va_arg(args, int) : 0;
}

#define PASS_OPEN(name)                                                                    \
    int name(const char *path, int flags, ...) {                                           \
        static int (*real)(const char *, int, ...);                                        \
        va_list args;                                                                      \
        va_start(args, flags);                                                             \
        mode_t mode = mode_of(flags, args);                                                \
        va_end(args);                                                                      \
        if (refused(flags)) {                                                              \
            return -1;                                                                     \
        }                                                                                  \
        if (real == 0) {                                                                   \
            *(void **)&real = dlsym(RTLD_NEXT, #name);                                     \
        }                                                                                  \
        return real(path, flags, mode);                                                    \
    }

#define PASS_OPENAT(name)                                                                  \
    int name(int dir, const char *path, int flags, ...) {                                  \
        static int (*real)(int, const char *, int, ...);                                   \
        va_list args;                                                                      \
        va_start(args, flags);                                                             \
        mode_t mode = mode_of(flags, args);                                                \
        va_end(args);                                                                      \
        if (refused(flags)) {                                                              \
            return -1;                                                                     \
        }                                                                                  \
        if (real == 0) {                                                                   \
            *(void **)&real = dlsym(RTLD_NEXT, #name);                                     \
        }                                                                                  \
        return real(dir, path, flags, mode);                                               \
    }

PASS_OPEN(open)
PASS_OPEN(open64)
PASS_OPENAT(openat)
PASS_OPENAT(openat64)
