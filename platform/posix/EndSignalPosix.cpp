#include <signal.h>

#include <initializer_list>

#include "EndSignal.h"

namespace {

volatile sig_atomic_t endSignal = 0;
// holdEndSignals was called: the final autosave is being written.
volatile sig_atomic_t endSignalsHeld = 0;

void recordEndSignal(int signal) {
    // Whichever thread it reaches (the GL driver has threads of its own).
    if (endSignalsHeld) return;
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

void holdEndSignals() { endSignalsHeld = 1; }

int pendingEndSignal() { return endSignal; }

// Signals reach a POSIX program by themselves.
void watchEndRequests() {}
