#include "TextFile.h"

#include <cerrno>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool readWholeFile(const char* path, std::string& text) {
    if (path == nullptr) return false;
    std::FILE* in = std::fopen(path, "r");
    if (in == nullptr) return false;
    std::string result;
    char buffer[1 << 16];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) result.append(buffer, got);
    // A directory opens on this platform but fails on the first read.
    const bool ok = !std::ferror(in);
    std::fclose(in);
    if (ok) text = std::move(result);
    return ok;
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

}  // namespace

// A writer holds an exclusive lock on its temporary file until it is renamed
// or removed; the lock goes with the process, so a temporary file nobody holds
// was left by a writer that was killed or crashed.

namespace {

// A temporary file is named after its target: "map.mef.saving-" and six
// characters of mkstemp's; no other name is ever taken for one.
constexpr char tempInfix[] = ".saving-";
constexpr std::size_t tempInfixLength = sizeof tempInfix - 1;
constexpr std::size_t tempSuffixLength = 6;

bool isTempNameOf(const std::string& name, const std::string& base) {
    if (name.size() != base.size() + tempInfixLength + tempSuffixLength ||
        name.compare(0, base.size(), base) != 0 || name.compare(base.size(), tempInfixLength, tempInfix) != 0)
        return false;
    for (std::size_t i = base.size() + tempInfixLength; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

// Removes the temporary files beside `target` that no living writer holds.
void removeAbandonedTemps(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr) return;
    while (const dirent* entry = ::readdir(listing)) {
        if (!isTempNameOf(entry->d_name, base)) continue;
        const std::string path = (slash == std::string::npos ? "" : dir) + entry->d_name;
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
    for (int attempt = 0; attempt < 8; ++attempt) {
        TempFile temp;
        temp.path = target + tempInfix + "XXXXXX";
        // mkostemp fills in the X's of the name in place.
        const int fd = ::mkostemp(temp.path.data(), O_CLOEXEC);
        if (fd < 0) return {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !stillNamed(fd, temp.path)) {
            // Taken for abandoned by a cleaning writer in the instant before the lock.
            ::close(fd);
            continue;
        }
        ::fchmod(fd, newFileMode());
        temp.stream = ::fdopen(fd, "w");
        if (temp.stream == nullptr) {
            std::remove(temp.path.c_str());
            ::close(fd);
            return {};
        }
        return temp;
    }
    return {};
}

bool replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    TempFile temp = createTemp(target);
    if (temp.stream == nullptr) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), temp.stream) == content.size();
    ok = flushSync(temp.stream) && ok;
    // Renamed while still open and locked, so that no other writer takes it for
    // abandoned; once the bytes are synced, closing can lose nothing.
    if (ok) ok = std::rename(temp.path.c_str(), target.c_str()) == 0;
    std::fclose(temp.stream);
    if (!ok) std::remove(temp.path.c_str());
    // What a killed earlier write left beside the target would otherwise stay for good.
    if (ok) removeAbandonedTemps(target);
    return ok;
}
