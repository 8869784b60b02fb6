#include "TextFile.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

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

// Closes `stream` and reports whether every byte written through it reached the file.
bool flushSyncClose(std::FILE* stream) {
    bool ok = std::fflush(stream) == 0;
    // fsync so that a crash after the rename cannot leave an empty target;
    // devices and some file systems do not support it, which is no write error.
    if (ok && ::fsync(::fileno(stream)) != 0 && errno != EINVAL && errno != EROFS) ok = false;
    if (std::fclose(stream) != 0) ok = false;
    return ok;
}

}  // namespace

TempFile createTempFileBeside(const std::string& target) {
    std::string name = target + ".XXXXXX";
    std::vector<char> templ(name.begin(), name.end());
    templ.push_back('\0');
    const int fd = ::mkstemp(templ.data());
    if (fd < 0) return {};
    TempFile temp;
    temp.path.assign(templ.data());
    ::fchmod(fd, newFileMode());
    temp.stream = ::fdopen(fd, "w");
    if (temp.stream == nullptr) {
        ::close(fd);
        std::remove(temp.path.c_str());
        return {};
    }
    return temp;
}

bool replaceFile(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    TempFile temp = createTemp(target);
    if (temp.stream == nullptr) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), temp.stream) == content.size();
    ok = flushSyncClose(temp.stream) && ok;
    if (ok) ok = std::rename(temp.path.c_str(), target.c_str()) == 0;
    if (!ok) std::remove(temp.path.c_str());
    return ok;
}
