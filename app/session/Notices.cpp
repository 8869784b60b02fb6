#include "Notices.h"

#include "TickCounter.h"

void Notices::post(std::string text, std::uint32_t now) {
    // A notice that has gone by itself counts nothing any more.
    if (!shown(now)) count = 0;
    line = std::move(text);
    ++count;
    postedAt = now;
    ++changes;
}

void Notices::dismiss() {
    if (count == 0) return;
    count = 0;
    ++changes;
}

bool Notices::shown(std::uint32_t now) const { return count > 0 && !intervalPassed(now, postedAt, lifetime - 1); }

std::string Notices::fitted(std::string_view text, std::size_t columns) {
    if (text.size() <= columns) return std::string(text);
    if (columns < 3) return std::string(columns, '.');
    return std::string(text.substr(0, columns - 3)) + "...";
}

bool isWarningReport(std::string_view line) { return line.substr(0, 8) == "Warning:"; }
