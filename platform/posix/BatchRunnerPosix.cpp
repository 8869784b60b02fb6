#include "BatchRunner.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The read end of the pipe that carries the batch file's standard error
// while it is captured, and what keeps its last line; -1 when not captured.
struct ErrorCapture {
    int fd = -1;
    LastLineKeeper keeper;
};
ErrorCapture capture;

// Passes on what the pipe holds now to our standard error, keeping its last line.
void pumpErrors() {
    if (capture.fd < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(capture.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        capture.keeper.feed(buffer, static_cast<std::size_t>(got));
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(2, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) break;
            done += put;
        }
    }
}

// Ten milliseconds, or less when the batch file writes to its standard error.
void pause10ms() {
    if (capture.fd >= 0) {
        pollfd watched{capture.fd, POLLIN, 0};
        ::poll(&watched, 1, 10);
        pumpErrors();
        return;
    }
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

namespace {

std::optional<int> runCapturing(const char* path, int errorWriteEnd);

}  // namespace

std::string exampleBatchFile() {
    constexpr const char* installed = "/usr/share/doc/mapeditor/examples/copy.bat";
    if (::access(installed, R_OK) == 0) return installed;
    return "packaging/linux/examples/copy.bat of the source";
}

std::optional<int> runBatchFile(const char* path, std::string* lastErrorLine) {
    if (lastErrorLine == nullptr) return runCapturing(path, -1);
    lastErrorLine->clear();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return runCapturing(path, -1);
    ::fcntl(ends[0], F_SETFL, ::fcntl(ends[0], F_GETFL) | O_NONBLOCK);
    capture.fd = ends[0];
    capture.keeper = LastLineKeeper();
    const std::optional<int> status = runCapturing(path, ends[1]);
    // What the batch file wrote just before it ended; a child it left running
    // that still holds the pipe is not waited for.
    pumpErrors();
    ::close(ends[0]);
    capture.fd = -1;
    *lastErrorLine = capture.keeper.line();
    return status;
}

namespace {

// Runs the batch file; `errorWriteEnd`, when not -1, becomes its standard
// error and is closed here once it started.
std::optional<int> runCapturing(const char* path, int errorWriteEnd) {
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
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (errorWriteEnd >= 0) ::posix_spawn_file_actions_adddup2(&actions, errorWriteEnd, 2);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, "/bin/sh", &actions, &attributes, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::posix_spawnattr_destroy(&attributes);
    if (errorWriteEnd >= 0) ::close(errorWriteEnd);
    if (spawned != 0) return std::nullopt;
    int status = 0;
    if (endSignal == nullptr && capture.fd >= 0) {
        // Polled, so that the pipe is emptied while the batch file runs.
        bool failed = false;
        while (!ended(child, status, failed)) pause10ms();
        if (failed) return std::nullopt;
    } else if (endSignal != nullptr) {
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

}  // namespace
