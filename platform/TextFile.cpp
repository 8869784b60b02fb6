// The parts of the file code that are the same on every platform.
#include "TextFile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "TempFileName.h"

std::string tempStemOf(const std::string& base) {
    return fittingStemOf(base, sizeof tempInfix - 1 + tempSuffixLength);
}

std::string fittingStemOf(const std::string& base, std::size_t added) {
    if (base.size() + added <= maxFileNameLength) return base;
    // FNV-1a: the same digits on every platform and in every run.
    std::uint32_t hash = 2166136261u;
    for (const char c : base) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char digits[10];
    std::snprintf(digits, sizeof digits, "~%08x", static_cast<unsigned>(hash));
    std::size_t keep = maxFileNameLength - added - (sizeof digits - 1);
    // Not inside a character: the continuation bytes of UTF-8 are 10xxxxxx.
    while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
    return base.substr(0, keep) + digits;
}

bool isTempNameOf(const std::string& name, const std::string& base) {
    constexpr std::size_t infixLength = sizeof tempInfix - 1;
    const std::string stem = tempStemOf(base);
    if (name.size() != stem.size() + infixLength + tempSuffixLength ||
        name.compare(0, stem.size(), stem) != 0 || name.compare(stem.size(), infixLength, tempInfix) != 0)
        return false;
    for (std::size_t i = stem.size() + infixLength; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

bool readWholeFile(const char* path, std::string& text, ReadError* error, std::string* reason) {
    std::string systemReason;
    const ReadError result = readRegularFile(path, text, systemReason);
    if (error != nullptr) *error = result;
    if (reason != nullptr) {
        const char* refusal = readErrorReason(result);
        *reason = refusal != nullptr ? refusal : systemReason;
    }
    return result == ReadError::none;
}

bool readStandardInput(std::string& text, std::string* reason) {
    readStandardInputAsBytes();
    std::string result;
    char buffer[1 << 16];
    ReadError error = ReadError::none;
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin);
        result.append(buffer, got);
        if (result.size() > maxReadFileSize) {
            error = ReadError::tooLarge;
            break;
        }
        if (got < sizeof buffer) {
            if (std::ferror(stdin)) error = ReadError::readFailed;
            break;
        }
    }
    if (error == ReadError::none) {
        text = std::move(result);
        return true;
    }
    if (reason != nullptr)
        *reason = error == ReadError::tooLarge ? readErrorReason(error) : std::strerror(errno);
    return false;
}

// The refusal message names the limit.
static_assert(maxReadFileSize == std::uint64_t{256} << 20);

const char* readErrorReason(ReadError error) {
    switch (error) {
        case ReadError::notRegularFile:
            return notRegularFileReason;
        case ReadError::tooLarge:
            return "larger than 256 MiB";
        default:
            return nullptr;
    }
}

FileWrite storeFile(const std::string& target, std::string_view content, TempFileFactory createTemp) {
    FileWrite write;
    write.result = replaceFile(target, content, createTemp, &write.reason);
    return write;
}
