#pragma once

// Runs the batch file at `path` with the platform's command interpreter and
// waits for it to end. On POSIX systems that is /bin/sh, which reads the file
// itself: no program found on the PATH is ever run in its place, and the file
// needs no execute permission. `path` should contain a slash ("./copy.bat"),
// since a shell given a bare name may look for it on the PATH. When the file
// is missing, the interpreter's complaint is its own output (and its status).
// Returns the batch file's exit status, 0..255 (a child killed by signal N
// gives 128 + N), or -1 when the command interpreter could not be started
// or its end could not be waited for.
int runBatchFile(const char* path);
