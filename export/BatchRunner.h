#pragma once

// Runs the batch file at `path` with the system's command interpreter and
// waits for it to end. The interpreter reads the file itself: no program
// found on the PATH is ever run in its place. `path` names the file relative
// to the working directory with a leading "./" ("./copy.bat").
// - POSIX: /bin/sh reads the file; it needs no execute permission.
// - Windows: %ComSpec% (else cmd.exe in the system folder) runs it as
//   ".\copy.bat" with /d /c, so a copy.bat elsewhere on the PATH never runs.
// When the file is missing, the interpreter's complaint is its own output.
// Returns the batch file's exit status (0..255; a POSIX child killed by
// signal N gives 128 + N), or -1 when the interpreter could not be started
// or its end could not be waited for.
int runBatchFile(const char* path);
