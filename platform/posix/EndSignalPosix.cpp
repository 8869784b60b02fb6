#include <signal.h>

#include <initializer_list>

#include "EndSignal.h"

namespace {

volatile sig_atomic_t endSignal = 0;

void recordEndSignal(int signal) {
    if (endSignal != 0) {
        // The editor did not end after the first one (a write that hangs):
        // this one ends it the system's way.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    endSignal = signal;
}

}  // namespace

void installEndSignalHandlers() {
    struct sigaction action {};
    action.sa_handler = recordEndSignal;
    sigemptyset(&action.sa_mask);
    // Restarted, so that no read, write or wait of the editor fails for it.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
}

void holdEndSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaddset(&signals, signal);
    // Blocked, not ignored: the process ends before they are delivered.
    ::sigprocmask(SIG_BLOCK, &signals, nullptr);
}

int pendingEndSignal() { return endSignal; }

// Signals reach a POSIX program by themselves.
void watchEndRequests() {}
