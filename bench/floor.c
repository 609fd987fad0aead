/* Benchmark floor: the least work the file system itself needs for adaskel's job, to
 * measure adaskel against. For each line "PATH SIZE" of LIST, in order, it tests PATH with
 * stat and, when nothing is there, creates it and writes SIZE bytes in one write.
 *
 *   floor atomic LIST   open(dir, O_TMPFILE) + write + linkat(/proc/self/fd/N) + close
 *   floor plain LIST    open(O_CREAT|O_EXCL) + write + close
 *   floor stat LIST     stat only: what a run costs when every file is already there
 *   floor durable LIST [BATCH]
 *                       as atomic, but BATCH files (default 64) are written before one
 *                       syncfs makes their data durable and they are linked; a last
 *                       syncfs makes the names durable: what a power loss cannot undo
 *   floor guarded LIST  as durable, but each file's directory is opened once (O_PATH),
 *                       the file is created and linked relative to that descriptor, and
 *                       its file system is noted with fstat: what a writer needs that
 *                       never writes through a link swapped in while it runs, and makes
 *                       every file system it writes to durable
 *
 * Paths are used as written, relative to the current directory. Any failure ends the run
 * with a message on standard error and status 1; the last line on standard output says
 * how many files were created.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum mode { ATOMIC, PLAIN, STAT_ONLY, DURABLE, GUARDED };

static void die(const char *what, const char *path) {
    fprintf(stderr, "floor: %s '%s': %s\n", what, path, strerror(errno));
    exit(1);
}

/* The whole list in one buffer; lines are cut in place. */
static char *read_list(const char *name, size_t *length) {
    const int fd = open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        die("cannot open", name);
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        die("cannot stat", name);
    }
    char *text = malloc((size_t)info.st_size + 1);
    size_t done = 0;
    while (text != NULL && done < (size_t)info.st_size) {
        const ssize_t got = read(fd, text + done, (size_t)info.st_size - done);
        if (got <= 0) {
            die("cannot read", name);
        }
        done += (size_t)got;
    }
    if (text == NULL) {
        die("out of memory for", name);
    }
    close(fd);
    text[done] = '\0';
    *length = done;
    return text;
}

static void write_whole(int fd, const char *bytes, size_t size, const char *path) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 || (size_t)written != size) {
        die("cannot write", path);
    }
}

/* An unnamed file in the directory of path, holding size bytes. */
static int write_unnamed(const char *path, const char *bytes, size_t size) {
    char directory[4096];
    const char *slash = strrchr(path, '/');
    if (slash == NULL) {
        strcpy(directory, ".");
    } else {
        const size_t length = (size_t)(slash - path);
        memcpy(directory, path, length);
        directory[length] = '\0';
    }
    const int fd = open(directory, O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        die("cannot open an unnamed file in", directory);
    }
    write_whole(fd, bytes, size, path);
    return fd;
}

/* The guarded way: the directory of path opened once, every later step relative to it. */
static int write_guarded(const char *path, const char *bytes, size_t size, int *directory) {
    char name[4096];
    const char *slash = strrchr(path, '/');
    const size_t length = slash == NULL ? 1 : (size_t)(slash - path);
    memcpy(name, slash == NULL ? "." : path, length);
    name[length] = '\0';
    *directory = open(name, O_PATH | O_DIRECTORY | O_CLOEXEC);
    const int fd = openat(*directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    struct stat info;
    if (*directory < 0 || fd < 0 || fstat(fd, &info) != 0) {
        die("cannot open an unnamed file in", name);
    }
    write_whole(fd, bytes, size, path);
    return fd;
}

static void link_guarded(int fd, int directory, const char *path) {
    char name[64];
    snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    const char *slash = strrchr(path, '/');
    if (linkat(AT_FDCWD, name, directory, slash == NULL ? path : slash + 1, AT_SYMLINK_FOLLOW) !=
        0) {
        die("cannot link", path);
    }
    if (close(fd) != 0 || close(directory) != 0) {
        die("cannot close", path);
    }
}

static void link_unnamed(int fd, const char *path) {
    char name[64];
    snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, name, AT_FDCWD, path, AT_SYMLINK_FOLLOW) != 0) {
        die("cannot link", path);
    }
    if (close(fd) != 0) {
        die("cannot close", path);
    }
}

static void create_atomic(const char *path, const char *bytes, size_t size) {
    link_unnamed(write_unnamed(path, bytes, size), path);
}

/* The durable way: files written and waiting for their sync, then linked in order. The
 * tree is on the file system of the current directory, which syncfs is given. */
static int *pending_fds;
static int *pending_directories; /* guarded: each file's directory, or -1 */
static const char **pending_paths;
static size_t pending, batch = 64;
static int here = -1;

static void sync_here(void) {
    if (syncfs(here) != 0) {
        die("cannot sync", ".");
    }
}

static void publish_pending(void) {
    if (pending == 0) {
        return;
    }
    sync_here();
    for (size_t i = 0; i < pending; ++i) {
        if (pending_directories[i] >= 0) {
            link_guarded(pending_fds[i], pending_directories[i], pending_paths[i]);
        } else {
            link_unnamed(pending_fds[i], pending_paths[i]);
        }
    }
    pending = 0;
}

static void create_durable(const char *path, const char *bytes, size_t size, int guarded) {
    pending_directories[pending] = -1;
    pending_fds[pending] = guarded ? write_guarded(path, bytes, size, &pending_directories[pending])
                                   : write_unnamed(path, bytes, size);
    pending_paths[pending++] = path;
    if (pending == batch) {
        publish_pending();
    }
}

static void create_plain(const char *path, const char *bytes, size_t size) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        die("cannot create", path);
    }
    write_whole(fd, bytes, size, path);
    if (close(fd) != 0) {
        die("cannot close", path);
    }
}

int main(int argc, char **argv) {
    if (argc != 3 && !(argc == 4 && strcmp(argv[1], "durable") == 0)) {
        fprintf(stderr,
                "usage: floor atomic|plain|stat|guarded LIST, or floor durable LIST [BATCH]\n");
        return 2;
    }
    enum mode mode;
    if (strcmp(argv[1], "atomic") == 0) {
        mode = ATOMIC;
    } else if (strcmp(argv[1], "plain") == 0) {
        mode = PLAIN;
    } else if (strcmp(argv[1], "stat") == 0) {
        mode = STAT_ONLY;
    } else if (strcmp(argv[1], "durable") == 0 || strcmp(argv[1], "guarded") == 0) {
        mode = strcmp(argv[1], "durable") == 0 ? DURABLE : GUARDED;
        batch = argc == 4 ? strtoul(argv[3], NULL, 10) : batch;
        pending_fds = malloc((batch ? batch : 1) * sizeof *pending_fds);
        pending_paths = malloc((batch ? batch : 1) * sizeof *pending_paths);
        pending_directories = malloc((batch ? batch : 1) * sizeof *pending_directories);
        here = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (batch == 0 || pending_fds == NULL || pending_paths == NULL ||
            pending_directories == NULL || here < 0) {
            fprintf(stderr, "floor: bad batch size, no current directory or no memory\n");
            return 2;
        }
    } else {
        fprintf(stderr, "floor: unknown mode '%s'\n", argv[1]);
        return 2;
    }
    size_t length;
    char *list = read_list(argv[2], &length);

    /* Cut the list into paths and sizes first, so the loop below does only file work. */
    size_t count = 0;
    for (size_t i = 0; i < length; ++i) {
        count += list[i] == '\n';
    }
    count += length > 0 && list[length - 1] != '\n';
    char **paths = malloc((count + 1) * sizeof *paths);
    size_t *sizes = malloc((count + 1) * sizeof *sizes);
    if (paths == NULL || sizes == NULL) {
        fprintf(stderr, "floor: out of memory\n");
        return 1;
    }
    size_t largest = 0;
    size_t n = 0;
    for (char *line = list; line < list + length; ++n) {
        char *end = strchr(line, '\n');
        if (end != NULL) {
            *end = '\0';
        }
        char *blank = strrchr(line, ' ');
        if (blank == NULL) {
            fprintf(stderr, "floor: list line without a size: '%s'\n", line);
            return 1;
        }
        *blank = '\0';
        paths[n] = line;
        sizes[n] = strtoul(blank + 1, NULL, 10);
        largest = sizes[n] > largest ? sizes[n] : largest;
        line = end == NULL ? list + length : end + 1;
    }

    /* One buffer as large as the largest file; what the bytes are does not matter. */
    char *bytes = malloc(largest + 1);
    if (bytes == NULL) {
        fprintf(stderr, "floor: out of memory\n");
        return 1;
    }
    memset(bytes, 'x', largest + 1);

    long created = 0;
    for (size_t i = 0; i < n; ++i) {
        struct stat info;
        if (stat(paths[i], &info) == 0) {
            continue;
        }
        if (errno != ENOENT) {
            die("cannot stat", paths[i]);
        }
        if (mode == ATOMIC) {
            create_atomic(paths[i], bytes, sizes[i]);
            ++created;
        } else if (mode == PLAIN) {
            create_plain(paths[i], bytes, sizes[i]);
            ++created;
        } else if (mode == DURABLE || mode == GUARDED) {
            create_durable(paths[i], bytes, sizes[i], mode == GUARDED);
            ++created;
        }
    }
    if ((mode == DURABLE || mode == GUARDED) && created > 0) {
        publish_pending();
        sync_here(); /* the names, now */
    }
    printf("created %ld files\n", created);
    return 0;
}
