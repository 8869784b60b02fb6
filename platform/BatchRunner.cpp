// What the batch runners of every platform share.
#include "BatchRunner.h"

#include <utility>

namespace {
EndSignalSource batchEndSignalSource = nullptr;
}  // namespace

void watchEndSignalsDuringBatch(EndSignalSource source) { batchEndSignalSource = source; }

EndSignalSource endSignalsWatchedDuringBatch() { return batchEndSignalSource; }

namespace {

// A line of spaces, tabs and carriage returns says nothing.
bool blank(const std::string& line) { return line.find_first_not_of(" \t\r") == std::string::npos; }

// Longer lines keep their start: a reason rarely fits a notice anyway.
constexpr std::size_t longestKeptLine = 4096;

}  // namespace

void LastLineKeeper::feed(const char* bytes, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (bytes[i] == '\n') {
            if (!blank(current)) last = std::move(current);
            current.clear();
        } else if (current.size() < longestKeptLine) {
            current += bytes[i];
        }
    }
}

std::string LastLineKeeper::line() const {
    std::string shown = blank(current) ? last : current;
    while (!shown.empty() && (shown.back() == '\r' || shown.back() == ' ' || shown.back() == '\t')) shown.pop_back();
    return shown;
}
