#include "BatchRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

std::optional<int> runBatchFile(const char* path) {
    // Our buffered messages must come out before anything the batch file prints.
    std::fflush(stdout);
    std::fflush(stderr);
    char shell[] = "sh";
    char* argv[] = {shell, const_cast<char*>(path), nullptr};
    // The editor ignores SIGPIPE; the batch file's commands get the usual default.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, "/bin/sh", nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}
