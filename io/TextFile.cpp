// The parts of the file code that are the same on every platform.
#include "TextFile.h"

#include <cstdio>

#include "TempFileName.h"

bool isTempNameOf(const std::string& name, const std::string& base) {
    constexpr std::size_t infixLength = sizeof tempInfix - 1;
    if (name.size() != base.size() + infixLength + tempSuffixLength ||
        name.compare(0, base.size(), base) != 0 || name.compare(base.size(), infixLength, tempInfix) != 0)
        return false;
    for (std::size_t i = base.size() + infixLength; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

bool readWholeFile(const char* path, std::string& text, ReadError* error) {
    const ReadError result = readRegularFile(path, text);
    if (error != nullptr) *error = result;
    return result == ReadError::none;
}

// The refusal message names the limit.
static_assert(maxReadFileSize == std::uint64_t{256} << 20);

const char* readErrorReason(ReadError error) {
    switch (error) {
        case ReadError::notRegularFile:
            return "not a regular file";
        case ReadError::tooLarge:
            return "larger than 256 MiB";
        default:
            return nullptr;
    }
}

bool replaceFileReporting(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    const ReplaceResult result = replaceFile(target, content, createTemp);
    if (result == ReplaceResult::writtenInPlace) {
        std::printf("Warning: %s: folder not writable, saved in place\n", target.c_str());
        std::fflush(stdout);
    }
    return result != ReplaceResult::failed;
}
