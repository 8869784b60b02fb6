#include "GroundCrossings.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "GroundGeometry.h"

// Boost 1.74's R-tree includes a header of its own that Boost has since
// deprecated; that is not ours to change, so its notice is silenced.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {

using Point = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<Point>;
using Entry = std::pair<Box, std::size_t>;

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

}  // namespace

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
