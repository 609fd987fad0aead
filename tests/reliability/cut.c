// Power loss for crash.sh: runs PROGRAM and shuts the file system at MOUNT down under it
// without flushing the journal, DELAY microseconds after the start ("during") or after
// the exit ("after"). Prints the program's status (128 + the signal when killed).
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

#define SHUTDOWN _IOR('X', 125, __u32) /* the ext4 and XFS "going down" ioctl */
#define NO_LOG_FLUSH 2u

extern char **environ;

static int status_of(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int main(int argc, char **argv) {
    const int after = argc >= 5 && strcmp(argv[2], "after") == 0;
    if (argc < 5 || (!after && strcmp(argv[2], "during") != 0)) return 2;
    const int mount = open(argv[1], O_RDONLY | O_DIRECTORY);
    const long delay = atol(argv[3]);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    pid_t child;
    if (mount < 0 || posix_spawn(&child, argv[4], &quiet, NULL, argv + 4, environ) != 0)
        return perror("cut"), 2;
    const int status = after ? status_of(child) : -1;
    struct timespec t = {delay / 1000000, (delay % 1000000) * 1000};
    while (nanosleep(&t, &t) != 0) {}
    __u32 flags = NO_LOG_FLUSH;
    if (ioctl(mount, SHUTDOWN, &flags) != 0) return perror("cut: shutdown"), 2;
    printf("%d\n", after ? status : status_of(child));
    return 0;
}
