#include "MapFileWatch.h"

#include <filesystem>
#include <system_error>

#include "TextFile.h"

namespace {

std::string shownName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

void MapFileWatch::remember(const std::string& path) {
    std::string text;
    if (readWholeFile(path.c_str(), text))
        known = std::move(text);
    else
        known.reset();
}

std::string MapFileWatch::replacingLoses(const std::string& path) const {
    std::error_code failure;
    if (!std::filesystem::exists(std::filesystem::path(path), failure) && !failure) return {};
    std::string now;
    const bool read = readWholeFile(path.c_str(), now);
    if (!known) return shownName(path) + " holds a map this window did not read (or could not); Yes replaces it";
    if (!read || now != *known) return shownName(path) + " changed on disk since it was read; Yes replaces it";
    return {};
}
