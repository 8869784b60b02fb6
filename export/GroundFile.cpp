#include "GroundFile.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "NumberFormat.h"

namespace {

// The bits of a start point, with -0 folded onto 0 so that equal keys mean
// equal coordinates under ==.
struct PointKey {
    std::uint64_t x;
    std::uint64_t y;
    bool operator==(const PointKey& other) const { return x == other.x && y == other.y; }
};

std::uint64_t bitsOf(double v) {
    if (v == 0.0) v = 0.0;
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

struct PointKeyHash {
    std::size_t operator()(const PointKey& k) const {
        // Mixes both halves; the multiplier is the 64-bit golden ratio.
        std::uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 32) ^ k.y;
        h *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// One line of two numbers and the fixed text `rest` (a literal, its line end included).
template <std::size_t N>
void appendPoint(std::string& text, double x, double y, const char (&rest)[N]) {
    char line[2 * maxNumberLength + N];
    char* w = formatNumber(line, x);
    *w++ = ' ';
    w = formatNumber(w, y);
    std::memcpy(w, rest, N - 1);
    text.append(line, w + (N - 1));
}

}  // namespace

void writeSharedStartPointListing(const std::vector<Segment>& segments,
                                  const std::function<bool(std::string_view)>& write) {
    // Segments sharing a start point form a group, kept as a list threaded
    // through `next` in ascending index order; groupOf[i] is the first member
    // of segment i's group, or -1 for a NaN start point, which equals nothing.
    const int count = static_cast<int>(segments.size());
    std::vector<int> groupOf(count, -1);
    std::vector<int> next(count, -1);
    std::vector<int> lastOf(count, -1);
    std::unordered_map<PointKey, int, PointKeyHash> firstAt;
    firstAt.reserve(segments.size());
    for (int i = 0; i < count; ++i) {
        const ControlPoint& p = segments[i].getStartPoint();
        if (std::isnan(p.x) || std::isnan(p.y)) continue;
        const auto found = firstAt.try_emplace(PointKey{bitsOf(p.x), bitsOf(p.y)}, i);
        const int first = found.first->second;
        groupOf[i] = first;
        if (!found.second) next[lastOf[first]] = i;
        lastOf[first] = i;
    }

    // Room for one more line (an int and its line end) at every step.
    constexpr std::size_t maxLine = 12;
    std::string piece;
    piece.reserve(listingPieceSize);
    char number[maxLine];
    for (int i = 0; i < count; ++i) {
        for (int j = groupOf[i]; j >= 0; j = next[j]) {
            char* w = std::to_chars(number, number + sizeof number, j).ptr;
            *w++ = '\n';
            piece.append(number, w);
            if (piece.size() > listingPieceSize - maxLine) {
                if (!write(piece)) return;
                piece.clear();
            }
        }
    }
    if (!piece.empty()) write(piece);
}

std::string sharedStartPointListing(const std::vector<Segment>& segments) {
    std::string listing;
    writeSharedStartPointListing(segments, [&listing](std::string_view piece) {
        listing += piece;
        return true;
    });
    return listing;
}

long long appendGroundFile(std::string& text, const std::vector<Segment>& segments) {
    assert(!segments.empty());
    forEachOutlinePoint(segments, [&text](OutlineLine line, std::size_t, double x, double y) {
        switch (line) {
            case OutlineLine::leftFoot:
                appendNumber(text, x);
                text.append(" -400.00000 0.0000000 0.000000\n");
                break;
            case OutlineLine::startPoint:
                appendPoint(text, x, y, " 0.000000 0.00000\n");
                break;
            case OutlineLine::profile:
                appendPoint(text, x, y, " -0.00000 1.00000\n");
                break;
            case OutlineLine::rightFoot:
                appendNumber(text, x);
                text.append(" -400.00000 0.000000 0.00000\n");
                break;
        }
    });
    long long pointTotal = 0;
    for (const Segment& s : segments) pointTotal += static_cast<long long>(s.getSamples().size());
    return pointTotal;
}
