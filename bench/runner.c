/* Benchmark runner: starts one program, waits for it with wait4 and prints its wall time,
 * processor time, peak resident memory and exit status. Timing from C rather than from the
 * shell keeps the shell's own fork and exec out of the numbers, and a small runner keeps
 * its own memory out of the child's peak (posix_spawn shares it until the exec).
 *
 *   runner [-l SECONDS] STDOUT_FILE PROGRAM [ARGUMENT...]
 *
 * The program's standard output goes to STDOUT_FILE (truncated), standard input comes from
 * /dev/null, standard error is inherited. One line is printed on standard output:
 *
 *   WALL_MICROSECONDS MAXRSS_KIB STATUS CPU_MICROSECONDS
 *
 * CPU is user plus system time: unlike wall time it leaves out the waits for a processor
 * that other work on a shared machine causes. STATUS is the exit status, or 128 + the
 * signal number when the program was killed. The runner's own status is 0 whenever it
 * could start and wait for the program.
 *
 * With -l the program is killed (SIGKILL) once it has run SECONDS seconds, and STATUS is
 * the word "limit": a program that is far too slow still lets the benchmark finish.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>

extern char **environ;

static long long now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static volatile sig_atomic_t over_limit;

static void on_alarm(int signal_number) {
    (void)signal_number;
    over_limit = 1;
}

/* SIGALRM after seconds, then every second: each one breaks the wait, so one that comes
 * just before the wait starts is not lost. */
static void start_limit(long seconds) {
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = on_alarm;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, NULL); /* no SA_RESTART: wait4 returns EINTR */
    struct itimerval timer = {.it_interval = {.tv_sec = 1}, .it_value = {.tv_sec = seconds}};
    setitimer(ITIMER_REAL, &timer, NULL);
}

int main(int argc, char **argv) {
    long limit = 0;
    if (argc >= 3 && strcmp(argv[1], "-l") == 0) {
        limit = strtol(argv[2], NULL, 10);
        argc -= 2;
        argv += 2;
    }
    if (argc < 3 || limit < 0) {
        fprintf(stderr, "usage: runner [-l SECONDS] STDOUT_FILE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, argv[1], O_WRONLY | O_CREAT | O_TRUNC, 0666);

    const long long start = now_ns();
    pid_t child;
    const int error = posix_spawnp(&child, argv[2], &actions, NULL, argv + 2, environ);
    if (error != 0) {
        fprintf(stderr, "runner: cannot start %s: %s\n", argv[2], strerror(error));
        return 1;
    }
    if (limit > 0) {
        start_limit(limit);
    }
    int status = 0;
    struct rusage usage;
    pid_t waited;
    int killed = 0;
    do {
        if (over_limit && !killed) {
            kill(child, SIGKILL);
            killed = 1;
        }
        waited = wait4(child, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    const long long stop = now_ns();
    if (limit > 0) {
        const struct itimerval off = {{0, 0}, {0, 0}};
        setitimer(ITIMER_REAL, &off, NULL);
    }
    if (waited < 0) {
        fprintf(stderr, "runner: wait4: %s\n", strerror(errno));
        return 1;
    }
    posix_spawn_file_actions_destroy(&actions);

    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    const long long cpu = (long long)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                          usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    if (killed && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) {
        printf("%lld %ld limit %lld\n", (stop - start) / 1000, usage.ru_maxrss, cpu);
    } else {
        printf("%lld %ld %d %lld\n", (stop - start) / 1000, usage.ru_maxrss, code, cpu);
    }
    return 0;
}
