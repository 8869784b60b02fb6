#include <csignal>
#include <initializer_list>

#include "EndSignal.h"

// Windows has no SIGHUP; Ctrl+C gives SIGINT and Ctrl+Break SIGBREAK, whose
// handlers the C library runs on a thread of their own.

namespace {

volatile std::sig_atomic_t endSignal = 0;

void recordEndSignal(int signal) {
    // The C library has reset the handler to the default already, so a
    // second signal ends the process at once.
    if (endSignal == 0) endSignal = signal;
}

}  // namespace

void installEndSignalHandlers() {
    for (int signal : {SIGTERM, SIGINT, SIGBREAK}) std::signal(signal, recordEndSignal);
}

int pendingEndSignal() { return endSignal; }
