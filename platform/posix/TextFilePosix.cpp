// The file code on POSIX systems: reads through a descriptor that cannot
// block, replacement by rename(2) within the final file's folder.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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

namespace {

// The permissions open() with 0666 would give under the current umask;
// mkstemp itself creates 0600.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Reports whether every byte written through `stream` reached the disk.
bool flushSync(std::FILE* stream) {
    bool ok = std::fflush(stream) == 0;
    // fsync so that a crash after the rename cannot leave an empty target;
    // devices and some file systems do not support it, which is no write error.
    if (ok && ::fsync(::fileno(stream)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    return ok;
}

// The folder part of `path` with its final slash, or "" for a bare name.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a write to some name ends up in.
struct FinalFile {
    std::string path;     // no symbolic link as its last component
    bool exists = false;  // when false, `info` is not set
    struct stat info {};
};

// Linux gives up after 40 links as well.
constexpr int maxLinkHops = 40;

bool readLink(const std::string& path, std::string& target) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < buffer.size()) {
            target.assign(buffer, 0, static_cast<std::size_t>(n));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// Follows `path` through its chain of symbolic links, each relative one taken
// from the folder of the link that holds it. False (errno set) for a loop or
// a chain that cannot be read; a dangling chain ends at the missing name.
bool resolveLinks(const std::string& path, FinalFile& file) {
    std::string current = path;
    for (int hop = 0; hop <= maxLinkHops; ++hop) {
        struct stat info;
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return false;
            file.path = current;
            file.exists = false;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            file.path = current;
            file.exists = true;
            file.info = info;
            return true;
        }
        std::string link;
        if (!readLink(current, link) || link.empty()) return false;
        current = link[0] == '/' ? link : folderOf(current) + link;
    }
    errno = ELOOP;
    return false;
}

// Gives the new file `fd` the owner, group and permission bits of the file it
// replaces, as far as the process may.
void keepOwnerAndMode(int fd, const struct stat& old) {
    mode_t mode = old.st_mode & 07777;
    // Owner first: changing it clears the set-user-ID and set-group-ID bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // An ordinary user can still keep a group it belongs to, but must not
        // end up owning a set-ID file that someone else owned.
        if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
            // Not a member of that group: the file keeps the process's group.
        }
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    ::fchmod(fd, mode);
}

// Errors with which a folder refuses a new file although its files may be written.
bool folderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool writeAll(int fd, std::string_view content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reserves the disk space for the first `size` bytes of the regular file
// `fd`, whose size is `oldSize`; returns 0 or the errno of the failure. Where
// the file system cannot reserve (no fallocate, and glibc's emulation needs
// to read a file opened write-only) there is nothing to do but write.
int reserveSpace(int fd, std::size_t size, off_t oldSize) {
    if (size == 0) return 0;
    int error;
    do error = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
    while (error == EINTR);
    if (error == EOPNOTSUPP || error == EINVAL || error == EBADF) return 0;
    // A reservation that failed half-way may have grown the file; the
    // reservation's error is the one to report either way.
    if (error != 0 && ::ftruncate(fd, oldSize) != 0) return error;
    return error;
}

// Overwrites the regular file `path` with `content` the way a plain write
// works, used only where no temporary file can take its place. The space for
// the new content is reserved first, so that a disk too full for it leaves
// every old byte as it was; the file is cut to its new length only after the
// new bytes are written. Returns 0 or the errno of the failure.
int writeInPlace(const std::string& path, std::string_view content) {
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    // Readable where allowed, which glibc's emulation of fallocate needs.
    int fd = ::open(path.c_str(), O_RDWR | flags);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | flags);
    if (fd < 0) return errno;
    struct stat info;
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = EINVAL;
    else if ((error = reserveSpace(fd, content.size(), info.st_size)) != 0) {
    } else if (!writeAll(fd, content) || ::ftruncate(fd, static_cast<off_t>(content.size())) != 0 ||
               (::fsync(fd) != 0 && errno != EINVAL))
        error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    return error;
}

}  // namespace

// A writer holds an exclusive lock on its temporary file until it is renamed
// or removed; the lock goes with the process, so a temporary file nobody holds
// was left by a writer that was killed or crashed.

namespace {

// Removes the temporary files beside `target` that no living writer holds.
void removeAbandonedTemps(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string base = target.substr(folder.size());
    DIR* listing = ::opendir(folder.empty() ? "." : folder.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        if (!isTempNameOf(entry->d_name, base)) continue;
        const std::string path = folder + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat info;
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(listing);
}

// True when `path` still names the file open as `fd` (a cleaner may have
// removed it between its creation and the lock).
bool stillNamed(int fd, const std::string& path) {
    struct stat opened, named;
    return ::fstat(fd, &opened) == 0 && ::stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

}  // namespace

TempFile createTempFileBeside(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string stem = folder + tempStemOf(target.substr(folder.size()));
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = stem + tempInfix + "XXXXXX";
        // mkostemp fills in the X's of the name in place.
        const int fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
        if (fd < 0) return {nullptr, {}, errno};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillNamed(fd, temp.path)) {
            // Taken for abandoned by a cleaning writer in the instant before the lock.
            ::close(fd);
            continue;
        }
        ::fchmod(fd, newFileMode());
        temp.stream = ::fdopen(fd, "w");
        if (temp.stream == nullptr) {
            const int error = errno;
            std::remove(temp.path.c_str());
            ::close(fd);
            return {nullptr, {}, error};
        }
        return temp;
    }
    return {nullptr, {}, EEXIST};
}

namespace {

ReplaceResult failedBecause(std::string& reason, const char* why) {
    reason = why;
    return ReplaceResult::failed;
}

// The in-place write of `path`, taken because of `why`.
ReplaceResult rewriteInPlace(const std::string& path, std::string_view content, const char* why,
                             std::string& reason) {
    if (const int error = writeInPlace(path, content)) return failedBecause(reason, std::strerror(error));
    reason = why;
    return ReplaceResult::writtenInPlace;
}

}  // namespace

namespace {

// The file a write to `path` replaces when links are not followed: `path`
// itself, existing only when it is no symbolic link (a link is renamed over).
bool nameItself(const std::string& path, FinalFile& file) {
    file.path = path;
    file.exists = false;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    if (S_ISLNK(info.st_mode)) return true;
    file.exists = true;
    file.info = info;
    return true;
}

ReplaceResult replace(const std::string& target, std::string_view content, TempFileFactory createTemp,
                      std::string* reasonOut, bool followLinks) {
    std::string unused;
    std::string& reason = reasonOut != nullptr ? *reasonOut : unused;
    reason.clear();
    FinalFile file;
    if (!(followLinks ? resolveLinks(target, file) : nameItself(target, file)))
        return failedBecause(reason, std::strerror(errno));
    if (file.exists) {
        // What a plain write would refuse, the replacement refuses too; a
        // device or FIFO is not swapped for a regular file.
        if (!S_ISREG(file.info.st_mode)) return failedBecause(reason, notRegularFileReason);
        if (::faccessat(AT_FDCWD, file.path.c_str(), W_OK, AT_EACCESS) != 0)
            return failedBecause(reason, std::strerror(errno));
    }
    TempFile temp = createTemp(file.path);
    if (temp.stream == nullptr) {
        if (file.exists && folderRefusesNewFiles(temp.error))
            return rewriteInPlace(file.path, content, folderNotWritableReason, reason);
        return failedBecause(reason, std::strerror(temp.error));
    }
    // Only the file named temp.path gets the old file's owner and mode (a
    // substituted stream may write elsewhere).
    if (file.exists && stillNamed(::fileno(temp.stream), temp.path))
        keepOwnerAndMode(::fileno(temp.stream), file.info);
    // The first failure's errno; a stream error without one counts as EIO.
    int error = 0;
    errno = 0;
    if (std::fwrite(content.data(), 1, content.size(), temp.stream) != content.size())
        error = errno ? errno : EIO;
    if (!flushSync(temp.stream) && error == 0) error = errno ? errno : EIO;
    // Renamed while still open and locked, so that no other writer takes it for
    // abandoned; once the bytes are synced, closing can lose nothing.
    if (error == 0 && std::rename(temp.path.c_str(), file.path.c_str()) != 0) error = errno;
    std::fclose(temp.stream);
    if (error != 0) {
        std::remove(temp.path.c_str());
        // A file mounted on the name (a bind mount) cannot be renamed over,
        // but it can be written.
        if (error == EBUSY && file.exists)
            return rewriteInPlace(file.path, content, mountPointReason, reason);
        return failedBecause(reason, std::strerror(error));
    }
    // What a killed earlier write left beside the file would otherwise stay for good.
    removeAbandonedTemps(file.path);
    return ReplaceResult::replaced;
}

}  // namespace

ReplaceResult replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp,
                          std::string* reason) {
    return replace(target, content, createTemp, reason, true);
}

ReplaceResult replaceFileItself(const std::string& target, std::string_view content,
                                TempFileFactory createTemp, std::string* reason) {
    return replace(target, content, createTemp, reason, false);
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
