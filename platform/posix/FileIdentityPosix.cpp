#include <sys/stat.h>

#include "FileIdentity.h"

std::optional<FileIdentity> fileIdentity(const char* path) {
    struct stat info;
    if (::lstat(path, &info) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
