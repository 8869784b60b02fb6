#include "BatchRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

void pause10ms() {
    const timespec pause{0, 10 * 1000 * 1000};
    ::nanosleep(&pause, nullptr);
}

// Polls for the end of `child`: true once it ended (`status` set) or the
// wait failed (`status` left), false when it still runs.
bool ended(pid_t child, int& status, bool& failed) {
    const pid_t got = ::waitpid(child, &status, WNOHANG);
    if (got == child) return true;
    failed = got < 0 && errno != EINTR;
    return failed;
}

// Waits for `child`, the leader of its own process group, while asking
// `endSignal` for an end signal; one that comes is passed on to the group.
bool waitWatching(pid_t child, EndSignalSource endSignal, int& status) {
    bool failed = false;
    for (;;) {
        if (ended(child, status, failed)) return !failed;
        if (const int signal = endSignal()) {
            ::kill(-child, signal);
            break;
        }
        pause10ms();
    }
    // Two seconds to end as the signal asks, then the group is killed.
    for (int waited = 0; waited < 200; ++waited) {
        if (ended(child, status, failed)) return !failed;
        pause10ms();
    }
    ::kill(-child, SIGKILL);
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

}  // namespace

std::string batchFolderRefusal() { return {}; }

std::optional<int> runBatchFile(const char* path) {
    // Our buffered messages must come out before anything the batch file prints.
    std::fflush(stdout);
    std::fflush(stderr);
    char shell[] = "sh";
    char* argv[] = {shell, const_cast<char*>(path), nullptr};
    const EndSignalSource endSignal = endSignalsWatchedDuringBatch();
    // The editor ignores SIGPIPE; the batch file's commands get the usual default.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGDEF;
    // A group of its own, so that an end signal can reach every process the
    // batch file started, and none but those.
    if (endSignal != nullptr) {
        ::posix_spawnattr_setpgroup(&attributes, 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    ::posix_spawnattr_setflags(&attributes, flags);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, "/bin/sh", nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    if (endSignal != nullptr) {
        if (!waitWatching(child, endSignal, status)) return std::nullopt;
    } else {
        while (::waitpid(child, &status, 0) < 0) {
            if (errno != EINTR) return std::nullopt;
        }
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return std::nullopt;
}
