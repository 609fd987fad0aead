// Test shim for the publish race: just before the program links a file at the path named
// by PLANT_PATH, it puts something there first (PLANT_KIND=file: a regular file holding
// "planted"; PLANT_KIND=dangling: a symbolic link to PLANT_TARGET, which does not exist),
// as another process could between the program's look at the path and its link.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static void plant(const char *path) {
    static int planted;
    const char *wanted = getenv("PLANT_PATH");
    const char *kind = getenv("PLANT_KIND");
    if (planted || wanted == NULL || kind == NULL || strcmp(path, wanted) != 0) {
        return;
    }
    planted = 1;
    if (strcmp(kind, "file") == 0) {
        int fd = open(path, O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            (void)!write(fd, "planted\n", 8);
            close(fd);
        }
    } else {
        const char *target = getenv("PLANT_TARGET");
        (void)!symlink(target != NULL ? target : "planted-target", path);
    }
}

int linkat(int old_dir, const char *old_path, int new_dir, const char *new_path, int flags) {
    static int (*real)(int, const char *, int, const char *, int);
    if (real == NULL) {
        *(void **)&real = dlsym(RTLD_NEXT, "linkat");
    }
    plant(new_path);
    return real(old_dir, old_path, new_dir, new_path, flags);
}

int link(const char *old_path, const char *new_path) {
    static int (*real)(const char *, const char *);
    if (real == NULL) {
        *(void **)&real = dlsym(RTLD_NEXT, "link");
    }
    plant(new_path);
    return real(old_path, new_path);
}
