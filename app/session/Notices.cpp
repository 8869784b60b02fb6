#include "Notices.h"

#include "TickCounter.h"

void Notices::post(std::string text, std::uint32_t now, std::string detail) {
    // A notice that has gone by itself counts nothing any more.
    if (!shown(now)) count = 0;
    line = std::move(text);
    second = std::move(detail);
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

namespace {

struct Span {
    std::size_t at = 0;
    std::size_t length = 0;
};

// The part of a message most likely to be a name: the longest quoted text,
// or the longest field between ": " separators before the last (the last is
// the reason).
Span longestName(std::string_view text) {
    Span best;
    const auto consider = [&best](std::size_t at, std::size_t length) {
        if (length > best.length) best = {at, length};
    };
    for (std::size_t open = text.find('"'); open != std::string_view::npos;) {
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) break;
        consider(open + 1, close - open - 1);
        open = text.find('"', close + 1);
    }
    for (std::size_t start = 0;;) {
        const std::size_t separator = text.find(": ", start);
        if (separator == std::string_view::npos) break;
        consider(start, separator - start);
        start = separator + 2;
    }
    return best;
}

// One code point decoded from the UTF-8 at `p`; `length` gets its bytes.
// Overlong forms, surrogates and values past U+10FFFF count as broken: -1
// with a length of one byte.
long decodeUtf8(const unsigned char* p, std::size_t left, std::size_t& length) {
    length = 1;
    const unsigned char lead = p[0];
    if (lead < 0x80) return lead;
    const std::size_t size = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (size == 0 || lead > 0xF4 || size > left) return -1;
    long value = lead & (0x7F >> size);
    for (std::size_t i = 1; i < size; ++i) {
        if ((p[i] & 0xC0) != 0x80) return -1;
        value = (value << 6) | (p[i] & 0x3F);
    }
    static constexpr long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[size] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
    length = size;
    return value;
}

}  // namespace

std::string Notices::fitted(std::string_view text, std::size_t columns) {
    if (text.size() <= columns) return std::string(text);
    const std::size_t excess = text.size() - columns;
    const Span name = longestName(text);
    // At least one character of the name on each side of the "...".
    if (name.length >= excess + 5) {
        const std::size_t kept = name.length - excess - 3;
        // The name's end (the file's own name) gets the odd character.
        const std::size_t head = kept / 2;
        return std::string(text.substr(0, name.at + head)) + "..." +
               std::string(text.substr(name.at + name.length - (kept - head)));
    }
    if (columns < 3) return std::string(columns, '.');
    return std::string(text.substr(0, columns - 3)) + "...";
}

std::string Notices::latin1(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t left = text.size(); left > 0;) {
        std::size_t length = 1;
        const long c = decodeUtf8(p, left, length);
        // The font's characters: printable ASCII and Latin-1 from U+00A0.
        const bool drawn = (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF);
        shown += drawn ? static_cast<char>(static_cast<unsigned char>(c)) : '?';
        p += length;
        left -= length;
    }
    return shown;
}

bool isWarningReport(std::string_view line) { return line.substr(0, 8) == "Warning:"; }
