#pragma once

#include <optional>

// Runs the batch file at `path` with the system's command interpreter and
// waits for it to end. The interpreter reads the file itself: no program
// found on the PATH is ever run in its place. `path` names the file relative
// to the working directory with a leading "./" ("./copy.bat").
// - POSIX: /bin/sh reads the file; it needs no execute permission.
// - Windows: %ComSpec% (else cmd.exe in the system folder) runs it as
//   ".\copy.bat" with /d /c, so a copy.bat elsewhere on the PATH never runs.
// When the file is missing, the interpreter's complaint is its own output.
// Returns the batch file's exit status, or nothing when the interpreter could
// not be started or its end could not be waited for.
// - POSIX: 0..255; a child killed by signal N gives 128 + N.
// - Windows: the whole 32-bit exit code as cmd shows it (`exit /b -256` gives
//   -256, 9009 stays 9009): any code but 0 is a failure, 256 included.
std::optional<int> runBatchFile(const char* path);
