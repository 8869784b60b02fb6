#pragma once

#include <cstddef>
#include <optional>
#include <string>

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
// When `lastErrorLine` is given, what the batch file writes to its standard
// error still goes to ours, and the last line of it that is not blank is
// kept there (without its line end), or empty when it wrote none.
// - Windows: what cmd writes in its code page (the output code page of the
//   console it shares with the editor, else the OEM code page) is passed on
//   as UTF-8, the editor's own encoding, and so is the line kept; output to
//   a console goes there as cmd writes it.
std::optional<int> runBatchFile(const char* path, std::string* lastErrorLine = nullptr);

// Where an example copy.bat is found, for a user who has none, in words.
// - POSIX: the package's doc folder when it is installed, else the folder
//   of the example in a source checkout.
// - Windows: the copy.bat.example the installer puts beside the program.
std::string exampleBatchFile();

// Keeps the last line of a stream that is not blank: the writer's half of
// runBatchFile's capture, fed the stream's bytes in pieces as they come.
class LastLineKeeper {
public:
    void feed(const char* bytes, std::size_t length);
    // The last line that is not blank, the one still being written included.
    std::string line() const;

private:
    std::string last;
    std::string current;
};

// Why the command interpreter cannot run a batch file in the working folder,
// in words, or empty when it can.
// - Windows: cmd.exe does not start in a folder whose path is longer than
//   258 characters, although the program itself works there.
// - POSIX: always empty.
std::string batchFolderRefusal();

// Where runBatchFile looks for an end signal while it waits: a function that
// returns the signal that asked the program to end, or 0 (null: none is
// looked for, as in the command-line modes).
using EndSignalSource = int (*)();
void watchEndSignalsDuringBatch(EndSignalSource source);
EndSignalSource endSignalsWatchedDuringBatch();
// - POSIX: while a source is set, the batch file runs in a process group of
//   its own (it can write to the terminal, not read from it). When an end
//   signal comes during the wait, the group gets the same signal; what is
//   still running two seconds later is killed (SIGKILL), and runBatchFile
//   returns at once after that, so that the program can end as the signal
//   asked. The status is then that of the killed batch file (128 + N).
// - Windows: a batch file in a console of its own (the editor's when it has
//   none) gets no signal to pass on: when an end signal comes, it and every
//   process it started are ended at once, and runBatchFile returns 128 + N.
//   Whatever way the program itself ends while it waits, they end with it;
//   what a batch file that ended by itself left running goes on.
