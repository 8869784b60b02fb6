#pragma once

// Makes every message written to standard output reach it at once, even when
// it goes to a file or a pipe, as each message is written in one call.
// - POSIX: line buffering.
// - Windows: the C runtime has no line buffering (_IOLBF means full
//   buffering there), so standard output is unbuffered.
void writeMessagesAtOnce();
