#include "GroundCheck.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <numeric>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "GroundFile.h"
#include "NumberFormat.h"

// Boost 1.74's R-tree includes a header of its own that Boost has since
// deprecated; that is not ours to change, so its notice is silenced.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>
#include <boost/multiprecision/cpp_int.hpp>

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {

using Point = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<Point>;
using Entry = std::pair<Box, std::size_t>;

// The outline as the file prints it.

// One distinct point of the outline: a run of consecutive file lines that
// print it, and the part of the outline that reaches it from the point before.
struct Vertex {
    GroundPoint at;
    std::size_t firstLine = 0;
    std::size_t lineCount = 1;
    std::size_t firstSegment = 0;
    std::size_t lastSegment = 0;
    OutlinePart arrival;
};

bool inRange(const GroundPoint& p) {
    // NaN fails both comparisons.
    return std::fabs(p.x) <= maxCheckedCoordinate && std::fabs(p.y) <= maxCheckedCoordinate;
}

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

bool lexicographicLess(const GroundPoint& a, const GroundPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y < b.y);
}

// The part of the outline that reaches a line of the file from the line before.
OutlinePart arrivalAt(OutlineLine line, std::size_t segment, std::size_t lastSegment) {
    switch (line) {
        case OutlineLine::leftFoot:
            return {OutlinePart::Kind::closingLine, lastSegment};
        case OutlineLine::startPoint:
            return {OutlinePart::Kind::leftFoot, 0};
        case OutlineLine::profile:
            return {OutlinePart::Kind::segment, segment};
        case OutlineLine::rightFoot:
            break;
    }
    return {OutlinePart::Kind::rightFoot, lastSegment};
}

// The outline as the file prints it, consecutive equal points taken as one,
// and the runs of lines that print coordinates out of range.
std::vector<Vertex> printedOutline(const std::vector<Segment>& segments, GroundProblems& problems) {
    std::size_t lineCount = 3;
    for (const Segment& s : segments) lineCount += s.getSamples().size() - 1;
    std::vector<Vertex> vertices;
    vertices.reserve(lineCount);
    const std::size_t lastSegment = segments.size() - 1;
    std::size_t line = 0;
    forEachOutlinePoint(segments, [&](OutlineLine kind, std::size_t segment, double x, double y) {
        const GroundPoint at{printedValue(x), printedValue(y)};
        if (!inRange(at)) {
            std::vector<OutOfRangePoints>& runs = problems.outOfRange;
            if (!runs.empty() && runs.back().position + runs.back().count == line)
                ++runs.back().count;
            else
                runs.push_back({line, segment, 1, at});
        }
        if (!vertices.empty() && vertices.back().at == at) {
            ++vertices.back().lineCount;
            vertices.back().lastSegment = segment;
        } else {
            vertices.push_back({at, line, 1, segment, segment, arrivalAt(kind, segment, lastSegment)});
        }
        ++line;
    });
    // The outline is closed: the right foot's run and the left foot's are
    // consecutive too.
    if (vertices.size() > 1 && vertices.back().at == vertices.front().at) {
        Vertex& front = vertices.front();
        const Vertex& back = vertices.back();
        front.firstLine = back.firstLine;
        front.lineCount += back.lineCount;
        front.firstSegment = back.firstSegment;
        front.arrival = back.arrival;
        vertices.pop_back();
    }
    for (const Vertex& v : vertices)
        if (v.lineCount > 1)
            problems.merged.push_back({v.firstLine, v.firstSegment, v.lastSegment, v.lineCount, v.at});
    std::sort(problems.merged.begin(), problems.merged.end(),
              [](const MergedPoints& a, const MergedPoints& b) { return a.position < b.position; });
    return vertices;
}

void findGaps(const std::vector<Segment>& segments, GroundProblems& problems) {
    const auto printed = [](const ControlPoint& p) {
        return GroundPoint{printedValue(p.x), printedValue(-p.y)};
    };
    // Line 1 is the start point; each segment adds a line per sample after its first.
    std::size_t line = 2;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        if (s > 0) {
            const GroundPoint end = printed(segments[s - 1].getEndPoint());
            const GroundPoint start = printed(segments[s].getStartPoint());
            if (!(end == start)) problems.gaps.push_back({line, s, end, start});
        }
        line += segments[s].getSamples().size() - 1;
    }
}

// The crossing search. Every verdict on how pieces meet (cross, touch, run
// along each other, or miss) is exact on the printed numbers, so that it is
// the same at every scale; the place of a proper crossing is worked out
// exactly too and then rounded to a double.

using boost::multiprecision::cpp_int;

// Every double is a whole number times a power of two. Scales `values` by
// the smallest such power (returned) to whole numbers, exactly.
template <std::size_t N>
int scaleExactly(const std::array<double, N>& values, std::array<cpp_int, N>& whole) {
    std::array<long long, N> mantissas{};
    std::array<int, N> exponents{};
    int lowest = 0;
    bool any = false;
    for (std::size_t k = 0; k < N; ++k) {
        int e = 0;
        const double fraction = std::frexp(values[k], &e);
        mantissas[k] = static_cast<long long>(std::ldexp(fraction, 53));
        exponents[k] = e - 53;
        if (mantissas[k] != 0 && (!any || exponents[k] < lowest)) lowest = exponents[k];
        any = any || mantissas[k] != 0;
    }
    for (std::size_t k = 0; k < N; ++k) {
        whole[k] = mantissas[k];
        if (mantissas[k] != 0) whole[k] <<= static_cast<unsigned>(exponents[k] - lowest);
    }
    return lowest;
}

// (a - c) x (b - c) on whole numbers: twice the signed area of the triangle.
cpp_int crossProduct(const cpp_int& ax, const cpp_int& ay, const cpp_int& bx, const cpp_int& by,
                     const cpp_int& cx, const cpp_int& cy) {
    return (ax - cx) * (by - cy) - (ay - cy) * (bx - cx);
}

// The orientation of c against the line from a to b on the exact values:
// 1 to the left, -1 to the right, 0 on the line.
int exactOrientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    std::array<cpp_int, 6> v;
    scaleExactly(std::array<double, 6>{a.x, a.y, b.x, b.y, c.x, c.y}, v);
    return crossProduct(v[0], v[1], v[2], v[3], v[4], v[5]).sign();
}

// numerator / denominator times 2^exponent, to about 60 bits before rounding
// to a double; the denominator is not zero.
double quotient(const cpp_int& numerator, const cpp_int& denominator, int exponent) {
    if (numerator == 0) return 0.0;
    const cpp_int n = abs(numerator), d = abs(denominator);
    const long shift = 62 - (static_cast<long>(msb(n)) - static_cast<long>(msb(d)));
    cpp_int q;
    if (shift >= 0)
        q = (n << static_cast<unsigned>(shift)) / d;
    else
        q = n / (d << static_cast<unsigned>(-shift));
    const double value = std::ldexp(q.convert_to<double>(), exponent - static_cast<int>(shift));
    return numerator.sign() * denominator.sign() < 0 ? -value : value;
}

// Where the pieces p1-p2 and q1-q2 cross, at a point inside both, computed on
// the exact values so that it is as good at every scale.
GroundPoint crossingPoint(const GroundPoint& p1, const GroundPoint& p2, const GroundPoint& q1,
                          const GroundPoint& q2) {
    std::array<cpp_int, 8> v;
    const int exponent =
        scaleExactly(std::array<double, 8>{p1.x, p1.y, p2.x, p2.y, q1.x, q1.y, q2.x, q2.y}, v);
    // The point divides p1-p2 in the ratio of the areas p1 and p2 span with q1-q2.
    const cpp_int s1 = crossProduct(v[4], v[5], v[6], v[7], v[0], v[1]);
    const cpp_int s2 = crossProduct(v[4], v[5], v[6], v[7], v[2], v[3]);
    const cpp_int denominator = s1 - s2;
    return {quotient(v[2] * s1 - v[0] * s2, denominator, exponent),
            quotient(v[3] * s1 - v[1] * s2, denominator, exponent)};
}

int orientation(const GroundPoint& a, const GroundPoint& b, const GroundPoint& c) {
    const double left = (a.x - c.x) * (b.y - c.y);
    const double right = (a.y - c.y) * (b.x - c.x);
    const double det = left - right;
    const double sum = std::fabs(left) + std::fabs(right);
    // Shewchuk's bound on the rounding error of the expression above, which
    // holds while the products stay clear of underflow; coordinates are in
    // range, so nothing overflows. Only near-ties take the exact way.
    constexpr double errorBound = (3.0 + 16.0 * 0x1p-53) * 0x1p-53;
    if (sum >= 0x1p-900 && std::fabs(det) > errorBound * sum) return det > 0 ? 1 : -1;
    return exactOrientation(a, b, c);
}

// How two pieces meet: not at all, at one point, or along a stretch from a to b.
struct PieceMeeting {
    enum class Kind { none, point, overlap };
    Kind kind = Kind::none;
    GroundPoint a;
    GroundPoint b;
};

PieceMeeting meetingOf(const GroundPoint& p1, const GroundPoint& p2, const GroundPoint& q1,
                       const GroundPoint& q2) {
    using Kind = PieceMeeting::Kind;
    const int d1 = orientation(q1, q2, p1), d2 = orientation(q1, q2, p2);
    if (d1 == d2 && d1 != 0) return {};
    const int d3 = orientation(p1, p2, q1), d4 = orientation(p1, p2, q2);
    if (d3 == d4 && d3 != 0) return {};
    if (d1 == 0 && d2 == 0) {
        // On one line: points on it are ordered as (x, y) pairs are.
        const GroundPoint pLow = std::min(p1, p2, lexicographicLess);
        const GroundPoint pHigh = std::max(p1, p2, lexicographicLess);
        const GroundPoint qLow = std::min(q1, q2, lexicographicLess);
        const GroundPoint qHigh = std::max(q1, q2, lexicographicLess);
        const GroundPoint low = std::max(pLow, qLow, lexicographicLess);
        const GroundPoint high = std::min(pHigh, qHigh, lexicographicLess);
        if (lexicographicLess(high, low)) return {};
        if (high == low) return {Kind::point, low, {}};
        return {Kind::overlap, low, high};
    }
    // Where an end of one piece lies on the other, the meeting is that end
    // exactly: the same vertex is then found as one crossing from every pair
    // of pieces at it.
    if (d1 == 0) return {Kind::point, p1, {}};
    if (d2 == 0) return {Kind::point, p2, {}};
    if (d3 == 0) return {Kind::point, q1, {}};
    if (d4 == 0) return {Kind::point, q2, {}};
    return {Kind::point, crossingPoint(p1, p2, q1, q2), {}};
}

GroundPoint printedPoint(const GroundPoint& p) { return {printedValue(p.x), printedValue(p.y)}; }

// Where two pieces of the outline (indices i < j) meet.
struct Meeting {
    std::size_t i = 0;
    std::size_t j = 0;
    GroundPoint a;
    GroundPoint b;  // the other end of an overlap
};

bool byPieces(const Meeting& x, const Meeting& y) { return std::tie(x.i, x.j) < std::tie(y.i, y.j); }

// What the search found: every overlap, and for each point (as printed) the
// meeting there of the earliest pair of pieces.
struct Meetings {
    std::vector<Meeting> points;
    std::vector<Meeting> overlaps;
    // The search stopped early, at the end of a run: there are more than
    // maxCrossings crossings, and all found are those of the earlier runs' pieces.
    bool stopped = false;
};

// Finds every meeting of two outline pieces that are not neighbours, and
// every overlap of two neighbours (the outline folding back on itself), in
// outline order of the first piece, until the points found are more than
// maxCrossings crossings, however the overlaps found later group them.
// Runs of up to `runLength` consecutive pieces go into an R-tree by their
// boxes: consecutive pieces always meet, so a tree of single pieces would
// hand back each piece's neighbours on every query anyway, and a tree of
// runs is a few times smaller and quicker to build and to ask. Within two
// runs whose boxes meet, only pieces whose own boxes meet are compared.
Meetings findMeetings(const std::vector<Vertex>& vertices) {
    constexpr std::size_t runLength = 8;
    const std::size_t m = vertices.size();
    const auto at = [&](std::size_t k) -> const GroundPoint& { return vertices[k % m].at; };

    // Each run holds the pieces [first, first + count), all with ends in range.
    struct Run {
        std::size_t first = 0;
        std::size_t count = 0;
    };
    std::vector<Box> boxes(m);
    std::vector<Run> runs;
    std::vector<Entry> entries;
    for (std::size_t k = 0; k < m; ++k) {
        const GroundPoint& a = at(k);
        const GroundPoint& b = at(k + 1);
        if (!inRange(a) || !inRange(b)) continue;
        boxes[k] =
            Box(Point(std::min(a.x, b.x), std::min(a.y, b.y)), Point(std::max(a.x, b.x), std::max(a.y, b.y)));
        if (runs.empty() || runs.back().count == runLength || runs.back().first + runs.back().count != k) {
            runs.push_back({k, 0});
            entries.emplace_back(boxes[k], runs.size() - 1);
        }
        ++runs.back().count;
        bg::expand(entries.back().first, boxes[k]);
    }
    const bgi::rtree<Entry, bgi::rstar<16>> tree(entries.begin(), entries.end());

    Meetings found;
    std::unordered_map<GroundPoint, Meeting, PointHash> pointAt;
    // Overlaps with the same ends are one stretch: only the earliest is kept,
    // so that a zigzag along one line is not kept once per pair of its pieces.
    const auto stretchHash = [](const std::pair<GroundPoint, GroundPoint>& ends) {
        return PointHash()(ends.first) * 31 + PointHash()(ends.second);
    };
    std::unordered_map<std::pair<GroundPoint, GroundPoint>, Meeting, decltype(stretchHash)> overlapAlong(
        0, stretchHash);
    const auto compare = [&](std::size_t i, std::size_t j) {
        const bool neighbours = j == i + 1 || (i == 0 && j == m - 1);
        if (neighbours) {
            // Neighbours share their common point; only running along each
            // other beyond it is a fault, which needs the three points on one line.
            const std::size_t before = j == i + 1 ? i : j;
            if (orientation(at(before), at(before + 1), at(before + 2)) != 0) return;
        } else if (!bg::intersects(boxes[i], boxes[j])) {
            return;
        }
        const PieceMeeting meeting = meetingOf(at(i), at(i + 1), at(j), at(j + 1));
        if (meeting.kind == PieceMeeting::Kind::overlap) {
            const Meeting overlap{i, j, meeting.a, meeting.b};
            const auto [known, added] = overlapAlong.emplace(std::pair(meeting.a, meeting.b), overlap);
            if (!added && byPieces(overlap, known->second)) known->second = overlap;
        } else if (meeting.kind == PieceMeeting::Kind::point && !neighbours) {
            const Meeting point{i, j, meeting.a, {}};
            const auto [known, added] = pointAt.emplace(printedPoint(meeting.a), point);
            if (!added && byPieces(point, known->second)) known->second = point;
        }
    };

    std::vector<Entry> candidates;
    for (const Entry& entry : entries) {
        const Run& run = runs[entry.second];
        // Each overlap found can take in at most two of the points as its ends.
        if (pointAt.size() > maxCrossings + 2 * overlapAlong.size()) {
            found.stopped = true;
            break;
        }
        candidates.clear();
        tree.query(bgi::intersects(entry.first), std::back_inserter(candidates));
        for (const Entry& candidate : candidates) {
            const Run& other = runs[candidate.second];
            if (other.first < run.first) continue;
            for (std::size_t i = run.first; i < run.first + run.count; ++i)
                for (std::size_t j = std::max(other.first, i + 1); j < other.first + other.count; ++j)
                    compare(i, j);
        }
    }
    found.points.reserve(pointAt.size());
    for (const auto& entry : pointAt) found.points.push_back(entry.second);
    found.overlaps.reserve(overlapAlong.size());
    for (const auto& entry : overlapAlong) found.overlaps.push_back(entry.second);
    std::sort(found.points.begin(), found.points.end(), byPieces);
    std::sort(found.overlaps.begin(), found.overlaps.end(), byPieces);
    return found;
}

// Groups overlaps that continue one another (an end in common, on one line)
// into one stretch each; returns the group of each overlap as the index of
// its earliest member.
std::vector<std::size_t> groupOverlaps(const std::vector<Meeting>& overlaps) {
    std::vector<std::size_t> parent(overlaps.size());
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    const auto root = [&parent](std::size_t k) {
        while (parent[k] != k) k = parent[k] = parent[parent[k]];
        return k;
    };
    const auto onOneLine = [&overlaps](std::size_t p, std::size_t q) {
        const GroundPoint& a = overlaps[p].a;
        const GroundPoint& b = overlaps[p].b;
        return orientation(a, b, overlaps[q].a) == 0 && orientation(a, b, overlaps[q].b) == 0;
    };
    std::unordered_map<GroundPoint, std::vector<std::size_t>, PointHash> atEnd;
    for (std::size_t k = 0; k < overlaps.size(); ++k) {
        for (const GroundPoint& end : {overlaps[k].a, overlaps[k].b}) {
            std::vector<std::size_t>& others = atEnd[end];
            for (std::size_t other : others) {
                if (onOneLine(other, k)) {
                    // The earlier overlap stays the root, so a group is named after its first member.
                    const std::size_t r1 = root(other), r2 = root(k);
                    if (r1 != r2) parent[std::max(r1, r2)] = std::min(r1, r2);
                    break;
                }
            }
            others.push_back(k);
        }
    }
    std::vector<std::size_t> group(overlaps.size());
    for (std::size_t k = 0; k < overlaps.size(); ++k) group[k] = root(k);
    return group;
}

void findCrossings(const std::vector<Vertex>& vertices, GroundProblems& problems) {
    // Three points at least make an area; fewer come only from merged points,
    // which are reported already.
    if (vertices.size() < 3) return;
    const Meetings found = findMeetings(vertices);
    const std::vector<Meeting>& points = found.points;
    const std::vector<Meeting>& overlaps = found.overlaps;

    const std::size_t m = vertices.size();
    const auto crossingOf = [&](const Meeting& meeting) {
        GroundCrossing c;
        c.position = vertices[meeting.i].firstLine + vertices[meeting.i].lineCount - 1;
        c.first = vertices[(meeting.i + 1) % m].arrival;
        c.second = vertices[(meeting.j + 1) % m].arrival;
        c.at = meeting.a;
        return c;
    };

    // One crossing per stretch along which the outline runs along itself,
    // from its lowest end to its highest (in x, then y).
    const std::vector<std::size_t> group = groupOverlaps(overlaps);
    // Crossings are told apart as the report prints them: a third strand
    // across two that run along each other meets both at one point, which
    // the two computations may place a rounding error apart.
    const auto printed = printedPoint;
    std::unordered_set<GroundPoint, PointHash> seen;
    std::unordered_map<std::size_t, std::size_t> crossingOfGroup;
    for (std::size_t k = 0; k < overlaps.size(); ++k) {
        const Meeting& o = overlaps[k];
        seen.insert(printed(o.a));
        seen.insert(printed(o.b));
        const GroundPoint low = std::min(o.a, o.b, lexicographicLess);
        const GroundPoint high = std::max(o.a, o.b, lexicographicLess);
        const auto known = crossingOfGroup.find(group[k]);
        if (known == crossingOfGroup.end()) {
            crossingOfGroup.emplace(group[k], problems.crossings.size());
            GroundCrossing c = crossingOf(o);
            c.overlap = true;
            c.at = low;
            c.to = high;
            problems.crossings.push_back(c);
        } else {
            GroundCrossing& c = problems.crossings[known->second];
            c.at = std::min(c.at, low, lexicographicLess);
            c.to = std::max(c.to, high, lexicographicLess);
        }
    }
    // One crossing per point: pieces meeting at a vertex are found once for
    // each piece there, and the ends of an overlap belong to the overlap.
    for (const Meeting& p : points)
        if (seen.insert(printed(p.a)).second) problems.crossings.push_back(crossingOf(p));
    std::stable_sort(
        problems.crossings.begin(), problems.crossings.end(),
        [](const GroundCrossing& a, const GroundCrossing& b) { return a.position < b.position; });
    // The search stopped once it had found more than maxCrossings; those it
    // found are the first in outline order, and the first maxCrossings are kept.
    if (found.stopped) {
        problems.moreCrossings = true;
        if (problems.crossings.size() > maxCrossings) problems.crossings.resize(maxCrossings);
    }
}

// Text of the reports.

std::string pointText(const GroundPoint& p) {
    return "(" + formatNumber(p.x) + ", " + formatNumber(p.y) + ")";
}

std::string segmentsText(std::size_t first, std::size_t last) {
    if (first == last) return "segment " + std::to_string(first + 1);
    return "segments " + std::to_string(first + 1) + " and " + std::to_string(last + 1);
}

std::string lineName(OutlinePart::Kind kind) {
    switch (kind) {
        case OutlinePart::Kind::leftFoot:
            return "the left foot line";
        case OutlinePart::Kind::rightFoot:
            return "the right foot line";
        case OutlinePart::Kind::closingLine:
            return "the closing line";
        case OutlinePart::Kind::segment:
            break;
    }
    return "the profile";
}

std::string whereText(const GroundCrossing& c) {
    return c.overlap ? "from " + pointText(c.at) + " to " + pointText(c.to) : "at " + pointText(c.at);
}

// "segments 2 and 5" and "cross at (x, y)", or the like.
std::pair<std::string, std::string> crossingText(const GroundCrossing& c) {
    using Kind = OutlinePart::Kind;
    const std::string verb = c.overlap ? "overlap" : "cross";
    const std::string verbs = c.overlap ? "overlaps" : "crosses";
    const std::string where = whereText(c);
    const bool firstIsSegment = c.first.kind == Kind::segment;
    const bool secondIsSegment = c.second.kind == Kind::segment;
    if (firstIsSegment && secondIsSegment) {
        if (c.first.segment == c.second.segment)
            return {segmentsText(c.first.segment, c.first.segment), verbs + " itself " + where};
        return {segmentsText(c.first.segment, c.second.segment), verb + " " + where};
    }
    if (firstIsSegment || secondIsSegment) {
        const OutlinePart& segment = firstIsSegment ? c.first : c.second;
        const OutlinePart& line = firstIsSegment ? c.second : c.first;
        return {segmentsText(segment.segment, segment.segment),
                verbs + " " + lineName(line.kind) + " " + where};
    }
    return {segmentsText(std::min(c.first.segment, c.second.segment),
                         std::max(c.first.segment, c.second.segment)),
            lineName(c.first.kind) + " " + verbs + " " + lineName(c.second.kind) + " " + where};
}

// "segments 2 and 5", "segment 3 and the closing line", "the left foot line and the closing line".
std::string crossingParts(const GroundCrossing& c) {
    using Kind = OutlinePart::Kind;
    const bool firstIsSegment = c.first.kind == Kind::segment;
    const bool secondIsSegment = c.second.kind == Kind::segment;
    if (firstIsSegment && secondIsSegment) return segmentsText(c.first.segment, c.second.segment);
    if (firstIsSegment)
        return segmentsText(c.first.segment, c.first.segment) + " and " + lineName(c.second.kind);
    if (secondIsSegment)
        return segmentsText(c.second.segment, c.second.segment) + " and " + lineName(c.first.kind);
    return lineName(c.first.kind) + " and " + lineName(c.second.kind);
}

std::string countText(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string gapText(const GroundGap& g) {
    return "segment " + std::to_string(g.segment) + " ends at " + pointText(g.previousEnd) + ", segment " +
           std::to_string(g.segment + 1) + " starts at " + pointText(g.start);
}

std::string outOfRangeText(const OutOfRangePoints& n) {
    if (n.count == 1) return "a point is out of range: " + pointText(n.at);
    return std::to_string(n.count) + " consecutive points are out of range, the first " + pointText(n.at);
}

}  // namespace

GroundProblems checkGround(const std::vector<Segment>& segments) {
    GroundProblems problems;
    const std::vector<Vertex> vertices = printedOutline(segments, problems);
    findGaps(segments, problems);
    findCrossings(vertices, problems);
    return problems;
}

std::vector<std::string> groundProblemLines(const GroundProblems& problems, const std::string& name) {
    std::vector<std::pair<std::size_t, std::string>> lines;
    for (const GroundCrossing& c : problems.crossings) {
        const auto text = crossingText(c);
        lines.emplace_back(c.position, name + ": " + text.first + ": " + text.second);
    }
    for (const GroundGap& g : problems.gaps)
        lines.emplace_back(
            g.position, name + ": " + segmentsText(g.segment - 1, g.segment) + ": not joined: " + gapText(g));
    for (const MergedPoints& r : problems.merged)
        lines.emplace_back(r.position, name + ": " + segmentsText(r.firstSegment, r.lastSegment) + ": " +
                                           std::to_string(r.count) + " consecutive points print as " +
                                           pointText(r.at));
    for (const OutOfRangePoints& n : problems.outOfRange)
        lines.emplace_back(n.position,
                           name + ": " + segmentsText(n.segment, n.segment) + ": " + outOfRangeText(n));
    std::stable_sort(lines.begin(), lines.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> result;
    result.reserve(lines.size());
    for (auto& line : lines) result.push_back(std::move(line.second));
    return result;
}

std::vector<std::string> groundWarnings(const GroundProblems& problems) {
    std::vector<std::string> warnings;
    if (!problems.crossings.empty()) {
        const GroundCrossing& c = problems.crossings.front();
        warnings.push_back("Warning: the ground " + std::string(c.overlap ? "runs along" : "crosses") +
                           " itself " + whereText(c) + ", " + crossingParts(c) + " (" +
                           (problems.moreCrossings
                                ? "more than " + std::to_string(maxCrossings) + " crossings"
                                : countText(problems.crossings.size(), "crossing", "crossings")) +
                           " in all)");
    }
    if (!problems.gaps.empty()) {
        const GroundGap& g = problems.gaps.front();
        warnings.push_back("Warning: segments " + std::to_string(g.segment) + " and " +
                           std::to_string(g.segment + 1) + " are not joined, " + gapText(g) + " (" +
                           countText(problems.gaps.size(), "gap", "gaps") + " in all)");
    }
    if (!problems.merged.empty()) {
        const MergedPoints& r = problems.merged.front();
        warnings.push_back("Warning: " + std::to_string(r.count) +
                           " consecutive points of the ground print as " + pointText(r.at) + ", " +
                           segmentsText(r.firstSegment, r.lastSegment) + " (" +
                           countText(problems.merged.size(), "such run", "such runs") + " in all)");
    }
    if (!problems.outOfRange.empty()) {
        const OutOfRangePoints& n = problems.outOfRange.front();
        warnings.push_back("Warning: the ground has points out of range, the first " + pointText(n.at) +
                           ", " + segmentsText(n.segment, n.segment) + " (" +
                           countText(problems.outOfRange.size(), "such run", "such runs") + " in all)");
    }
    return warnings;
}
