#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Whole-file reads and all-or-nothing replacement of text files.

// Reads the whole file `path` into `text`; false when it cannot be opened or read.
bool readWholeFile(const char* path, std::string& text);

// A temporary file opened for writing: the stream and the name it has on disk.
struct TempFile {
    std::FILE* stream = nullptr;
    std::string path;
};

// Creates a new, uniquely named file `target`.saving-XXXXXX in the directory of
// `target` (so that a rename can move it over `target`) with the permissions a
// newly created file would get, locked (flock) for as long as it is open. On
// failure the stream is null and nothing was created.
TempFile createTempFileBeside(const std::string& target);

// How replaceFile obtains its temporary file; tests substitute one whose
// stream fails.
using TempFileFactory = TempFile (*)(const std::string& target);

// Replaces `target` with exactly `content`. The bytes go to a temporary file
// beside `target`, which is flushed and synced, every step checked, and only
// then renamed over `target`. On any failure the temporary file is removed,
// `target` is left as it was, and false is returned. A successful replacement
// also removes the temporary files beside `target` that writers killed in the
// middle left behind (those no living writer holds locked).
bool replaceFile(const std::string& target, std::string_view content,
                 TempFileFactory createTemp = createTempFileBeside);
