#pragma once

// The signals that ask the editor to end (SIGTERM, SIGHUP and SIGINT where the
// system has them). Their handler only records the signal; the frame loop
// asks for it and leaves through exit(), so that the autosave is written.

// Windows: starts a thread that turns the requests of the console companion
// (mapeditor.com) into end signals: Ctrl+C, Ctrl+Break and its console
// closed, and the companion's own end. Until installEndSignalHandlers,
// Ctrl+C and Ctrl+Break end the process at once. POSIX: nothing to do.
// Called first thing.
void watchEndRequests();

// Installs the handler (on Windows, the end of the session too). A second signal while the first is still pending ends
// the process at once, as if no handler were installed.
void installEndSignalHandlers();

// The editor is ending and writes its final autosave: from now on end
// signals are ignored, so that a second one cannot end the process before
// the autosave is written and its status claim one that was not.
void holdEndSignals();

// The signal number recorded by the handler, or 0 when none came.
int pendingEndSignal();

// The exit status after an end signal: 128 + its number, as a shell reports it.
inline int endSignalExitStatus(int signal) { return 128 + signal; }
