#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "GroundCheck.h"

// How two pieces of the printed outline meet, decided exactly: every verdict
// (cross, touch, run along each other, or miss) is exact on the printed
// numbers, so that it is the same at every scale; the place of a proper
// crossing is worked out exactly too and then rounded to a double.

// Points as hash keys, -0 folded onto 0 so that equal keys mean equal points.
struct PointHash {
    static std::uint64_t bits(double v) {
        if (v == 0.0) v = 0.0;
        std::uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        return b;
    }
    std::size_t operator()(const GroundPoint& p) const {
        std::uint64_t h = bits(p.x) * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 32) ^ bits(p.y);
        h *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// Orders points by x, then by y.
inline bool lexicographicLess(const GroundPoint& a, const GroundPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
}

// The orientation of c against the line from a to b: 1 to the left, -1 to
// the right, 0 on the line. Exact: quick in floating point where the result
// is certain, on whole numbers where it is a near-tie.
int orientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c);

// How two pieces meet: not at all, at one point, or along a stretch from a to b.
struct PieceMeeting {
    enum class Kind { none, point, overlap };
    Kind kind = Kind::none;
    GroundPoint a;
    GroundPoint b;
    // Whether a and b are ends of the pieces, rather than a crossing worked out between them.
    bool atEnds = false;
};

// How the pieces p1-p2 and q1-q2 meet; an overlap runs from a to b, and the
// point of a proper crossing is worked out on the exact values.
PieceMeeting meetingOf(const GroundPoint& p1, const GroundPoint& p2, const GroundPoint& q1,
                       const GroundPoint& q2);

// `p` with both coordinates as the ground points file prints them.
GroundPoint printedPoint(const GroundPoint& p);

// printedPoint of a point of the printed outline: most such points print as
// they are, and are not printed again.
GroundPoint printedEnd(const GroundPoint& p);
