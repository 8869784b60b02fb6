#pragma once

#include <cstdio>
#include <string_view>

// Makes every message written to standard output or standard error reach it
// at once and in one write, even when it goes to a file or a pipe: each
// writer formats a whole message into the stream's buffer and flushes it.
// - POSIX: line buffering with a buffer that holds any message.
// - Windows: the C runtime has no line buffering (_IOLBF means full
//   buffering there) and writes an unbuffered stream a byte at a time, so
//   both streams are fully buffered and each message's flush writes it.
void writeMessagesAtOnce();

// Makes the standard streams safe to write whatever the editor was started
// with. POSIX: descriptors 0, 1 and 2 are opened on /dev/null where they were
// closed (else the first file or connection opened would take their place and
// receive the messages), and a write to a closed pipe fails instead of ending
// the process. Windows: a stream without a usable handle (started from
// Explorer, a shortcut or "start") is opened on NUL.
void guardStandardStreams();

// Whether anything written to standard output so far failed to reach it
// (flushing what is buffered first): a full disk, a closed pipe.
bool standardOutputFailed();

// Writes `text` (UTF-8) to `stream` and flushes it; false when it did not all
// get there. Windows: to a console the text goes as UTF-16 (WriteConsoleW),
// so that the console shows every name as typed whatever its code page;
// "\n" ends a line there as CRLF, as the C runtime writes it elsewhere.
bool writeMessage(std::FILE* stream, std::string_view text);
