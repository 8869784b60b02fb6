#pragma once

// Shared by the file code (TextFile.cpp, SafeSave.cpp and the platform
// files) beside the public interface of TextFile.h.

#include <string>

#include "TextFile.h"

// A temporary file is named after its target: "map.mef.saving-" and six
// letters or digits; no other name is ever taken for one, so that the cleanup
// of abandoned temporary files cannot remove anything else. A target name so
// long that the temporary's name would pass maxFileNameLength is shortened
// first (tempStemOf).

constexpr char tempInfix[] = ".saving-";
constexpr std::size_t tempSuffixLength = 6;

// What the name of a temporary file of `base` (a name without folder) starts
// with: fittingStemOf for the infix and suffix, so that the temporary's name
// fits in maxFileNameLength.
std::string tempStemOf(const std::string& base);

// True when `name` is a temporary file name of the file named `base` (both
// without folder).
bool isTempNameOf(const std::string& name, const std::string& base);

// The reasons the file code gives in its own words.
constexpr char notRegularFileReason[] = "not a regular file";
constexpr char folderNotWritableReason[] = "folder not writable";
constexpr char mountPointReason[] = "a mount point";

// Each platform's read of a whole regular file into `text` (left as it is on
// failure); readWholeFile reports its result. For cannotOpen and readFailed,
// `reason` gets the system's words for the failure.
ReadError readRegularFile(const char* path, std::string& text, std::string& reason);

// Makes standard input deliver its bytes untranslated (on Windows, no CRLF
// made LF and no Ctrl-Z taken for the end), unless it is a console: typed
// text ends on Windows with Ctrl+Z and Enter.
void readStandardInputAsBytes();
