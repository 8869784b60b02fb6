// The file code on POSIX systems: reads through a descriptor that cannot
// block, and what names are. The safe save's steps are SaveStepsPosix.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "TempFileName.h"
#include "TextFile.h"

namespace {

// Reads all of `fd`, a regular file, refusing more than maxReadFileSize bytes
// even when the file grows while it is read.
ReadError readAll(int fd, std::size_t expected, std::string& text) {
    std::string result;
    result.reserve(expected);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadError::readFailed;
        if (got == 0) break;
        result.append(buffer, static_cast<std::size_t>(got));
        if (result.size() > maxReadFileSize) return ReadError::tooLarge;
    }
    text = std::move(result);
    return ReadError::none;
}

}  // namespace

ReadError readRegularFile(const char* path, std::string& text, std::string& reason) {
    if (path == nullptr) {
        reason = std::strerror(EINVAL);
        return ReadError::cannotOpen;
    }
    struct stat info;
    // Looked at before opening, since opening a device can have effects of its own.
    if (::stat(path, &info) == 0 && !S_ISREG(info.st_mode)) return ReadError::notRegularFile;
    // Non-blocking, so that a FIFO put in the file's place after the check
    // cannot hold the open up; it is refused below.
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        reason = std::strerror(errno);
        return ReadError::cannotOpen;
    }
    ReadError error = ReadError::readFailed;
    if (::fstat(fd, &info) == 0) {
        if (!S_ISREG(info.st_mode))
            error = ReadError::notRegularFile;
        else if (static_cast<std::uint64_t>(info.st_size) > maxReadFileSize)
            error = ReadError::tooLarge;
        else
            error = readAll(fd, static_cast<std::size_t>(info.st_size), text);
    }
    if (error == ReadError::readFailed) reason = std::strerror(errno);
    ::close(fd);
    return error;
}

std::string systemFileName(const std::string& path) { return path; }

// POSIX never translates what a stream reads.
void readStandardInputAsBytes() {}

PathKind pathKind(const char* path) {
    struct stat info;
    if (::stat(path, &info) == 0) return S_ISREG(info.st_mode) ? PathKind::regularFile : PathKind::other;
    return errno == ENOENT || errno == ENOTDIR ? PathKind::missing : PathKind::unknown;
}

bool enterFolderOf(std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return true;
    // "/map.mef" is in the root folder: its folder keeps the slash.
    if (::chdir(path.substr(0, slash + 1).c_str()) != 0) return false;
    path.erase(0, slash + 1);
    return true;
}

bool isSymbolicLink(const char* path) {
    struct stat info;
    return ::lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

PathKind pathKind(const char* path, std::string& reason) {
    const PathKind kind = pathKind(path);
    if (kind == PathKind::unknown) reason = std::strerror(errno);
    return kind;
}
