#pragma once

// What the Windows batch runner makes of its batch file's output, apart for
// the tests.

#include <string>

// A piece of what cmd wrote (a line) as UTF-8. cmd writes to a pipe in
// `codePage`; a piece that is valid UTF-8 already stays as it is, so that a
// batch file that switched the code page to UTF-8 (chcp 65001) reads right
// too. A character the code page lacks was written by cmd as "?".
std::string batchOutputText(const std::string& bytes, unsigned codePage);
