#pragma once

// Runs the batch file at `path` with the command interpreter /bin/sh and waits
// for it to end. The shell reads the file itself: no program found on the
// PATH is ever run in its place, and the file needs no execute permission.
// `path` should contain a slash ("./copy.bat"), since a shell given a bare
// name may look for it on the PATH. The batch file's exit status is not
// examined, and when it is missing the shell's complaint is its own output.
// Returns false only when the shell could not be started.
bool runBatchFile(const char* path);
