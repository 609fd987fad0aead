/* Benchmark floor: the least work the file system itself needs for adaskel's job, to
 * measure adaskel against. For each line "PATH SIZE" of LIST, in order, it tests PATH with
 * stat and, when nothing is there, creates it and writes SIZE bytes in one write.
 *
 *   floor atomic LIST   open(dir, O_TMPFILE) + write + linkat(/proc/self/fd/N) + close
 *   floor plain LIST    open(O_CREAT|O_EXCL) + write + close
 *   floor stat LIST     stat only: what a run costs when every file is already there
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

enum mode { ATOMIC, PLAIN, STAT_ONLY };

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

static void create_atomic(const char *path, const char *bytes, size_t size) {
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
    char name[64];
    snprintf(name, sizeof name, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, name, AT_FDCWD, path, AT_SYMLINK_FOLLOW) != 0) {
        die("cannot link", path);
    }
    if (close(fd) != 0) {
        die("cannot close", path);
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
    if (argc != 3) {
        fprintf(stderr, "usage: floor atomic|plain|stat LIST\n");
        return 2;
    }
    enum mode mode;
    if (strcmp(argv[1], "atomic") == 0) {
        mode = ATOMIC;
    } else if (strcmp(argv[1], "plain") == 0) {
        mode = PLAIN;
    } else if (strcmp(argv[1], "stat") == 0) {
        mode = STAT_ONLY;
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
        }
    }
    printf("created %ld files\n", created);
    return 0;
}
