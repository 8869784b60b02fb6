#pragma once

// Helpers for tests of the file code, which uses fixed file names in the
// working directory: a fresh directory to work in, and whole-file access.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>

// Makes a fresh temporary directory the working directory for its lifetime;
// afterwards the previous working directory is restored and the directory removed.
class ScratchDir {
public:
    ScratchDir() {
        // A new name in the system's temporary folder; create_directory is
        // false when the name is taken.
        const auto base = std::filesystem::temp_directory_path();
        auto seed =
            static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            const auto candidate = base / ("mapeditor-io-" + std::to_string(seed >> 40));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) dir = candidate.string();
        }
        EXPECT_FALSE(dir.empty());
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    ~ScratchDir() {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return dir; }

private:
    std::string dir;
    std::filesystem::path previous;
};

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::string& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// Names of the entries of the working directory.
inline std::set<std::string> directoryEntries() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("."))
        names.insert(entry.path().filename().string());
    return names;
}
