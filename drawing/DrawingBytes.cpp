#include "DrawingBytes.h"

#include <string_view>

#include "Gunzip.h"
#include "TextFile.h"

namespace {

// `code` as UTF-8 at the end of `out`.
void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The UTF-16 text after its mark as UTF-8, or why it is not UTF-16.
std::string fromUtf16(std::string_view units, bool bigEndian, std::string& out) {
    if (units.size() % 2 != 0) return "the drawing is UTF-16 but ends in half a character";
    out.clear();
    out.reserve(units.size() / 2 + units.size() / 4);
    auto unit = [&](std::size_t i) {
        const auto high = static_cast<unsigned char>(units[bigEndian ? i : i + 1]);
        const auto low = static_cast<unsigned char>(units[bigEndian ? i + 1 : i]);
        return static_cast<char32_t>(high << 8 | low);
    };
    for (std::size_t i = 0; i < units.size(); i += 2) {
        char32_t code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 2 < units.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            return "the drawing is UTF-16 but has a lone surrogate at byte " + std::to_string(i + 3);
        }
        appendUtf8(out, code);
    }
    return {};
}

}  // namespace

std::string drawingTextOf(std::string& bytes) {
    if (isGzip(bytes)) {
        std::string unpacked;
        if (std::string problem = gunzip(bytes, maxReadFileSize, unpacked); !problem.empty()) return problem;
        bytes.swap(unpacked);
    }
    const std::string_view text(bytes);
    // UTF-32's marks first: the little-endian one begins as UTF-16's does.
    if (text.substr(0, 4) == std::string_view("\xFF\xFE\0\0", 4) ||
        text.substr(0, 4) == std::string_view("\0\0\xFE\xFF", 4))
        return "the drawing is UTF-32, which is not read: save it as UTF-8";
    const bool little = text.substr(0, 2) == "\xFF\xFE", big = text.substr(0, 2) == "\xFE\xFF";
    if (!little && !big) return {};
    std::string utf8;
    if (std::string problem = fromUtf16(text.substr(2), big, utf8); !problem.empty()) return problem;
    bytes.swap(utf8);
    return {};
}
