#pragma once

#include <cstdint>
#include <optional>

// Which file a name stands for: the device (volume) and the file's number on
// it. A file replaced by another one under the same name (a rename over it)
// has another identity; one rewritten in place keeps its own.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity& other) const { return device == other.device && file == other.file; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of the file `path` (UTF-8) names, a symbolic link itself
// rather than its target; nothing when there is nothing by that name or it
// cannot be looked at.
std::optional<FileIdentity> fileIdentity(const char* path);
