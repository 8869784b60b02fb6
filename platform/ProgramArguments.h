#pragma once

#include <string>
#include <vector>

// The arguments that follow the program name, as UTF-8 strings, whatever the
// system's code page. `argc` and `argv` are main's.
// - POSIX: argv as given (file names are bytes there).
// - Windows: the process's wide command line (GetCommandLineW), split as the
//   C runtime splits it and converted to UTF-8 once; argv, which the C runtime
//   decodes in the ANSI code page, is not used.
std::vector<std::string> programArguments(int argc, char** argv);
