#include "BatchRunner.h"

#include <cerrno>
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
    pid_t child = 0;
    if (::posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv, environ) != 0) return std::nullopt;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return std::nullopt;
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}
