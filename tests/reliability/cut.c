// Power loss for crash.sh: runs a program and shuts the file system at MOUNT down under
// it, as a sudden loss of power would: nothing more reaches the disk, the journal is not
// flushed. WHEN is "during" (DELAY microseconds after the start) or "after" (DELAY
// microseconds after the program exited). The program's standard output is discarded;
// its status (128 + the signal when it was killed) is printed.
//
//   cut MOUNT during|after DELAY PROGRAM [ARGUMENT...]
#define _GNU_SOURCE
#include <fcntl.h>
#include <linux/types.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#define SHUTDOWN _IOR('X', 125, __u32) /* the ext4 and XFS "going down" ioctl */
#define NO_LOG_FLUSH 2u

extern char **environ;

static void pause_for(long microseconds) {
    struct timespec t = {microseconds / 1000000, (microseconds % 1000000) * 1000};
    while (nanosleep(&t, &t) != 0) {}
}

static int status_of(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int main(int argc, char **argv) {
    if (argc < 5 || (strcmp(argv[2], "during") != 0 && strcmp(argv[2], "after") != 0)) {
        fprintf(stderr, "usage: cut MOUNT during|after DELAY PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const int mount = open(argv[1], O_RDONLY | O_DIRECTORY);
    const long delay = atol(argv[3]);
    posix_spawn_file_actions_t quiet; /* the program's console is not what is tested */
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t child;
    if (mount < 0 || posix_spawn(&child, argv[4], &quiet, NULL, argv + 4, environ) != 0) {
        perror("cut");
        return 2;
    }
    const int after = strcmp(argv[2], "after") == 0;
    const int status = after ? status_of(child) : -1;
    pause_for(delay);
    __u32 flags = NO_LOG_FLUSH;
    if (ioctl(mount, SHUTDOWN, &flags) != 0) {
        perror("cut: shutdown");
        return 2;
    }
    printf("%d\n", after ? status : status_of(child));
    return 0;
}
