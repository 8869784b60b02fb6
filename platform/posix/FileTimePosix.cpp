#include <sys/stat.h>

#include <ctime>

#include "FileTime.h"

std::string fileModifiedLocalTime(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return {};
    std::tm local{};
    if (::localtime_r(&info.st_mtime, &local) == nullptr) return {};
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) return {};
    return text;
}
