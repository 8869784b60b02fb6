#include "GroundCrossings.h"

#include <algorithm>
#include <iterator>
#include <numeric>
#include <cstdint>
#include <tuple>
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
    GroundPoint b;        // the other end of an overlap
    GroundPoint printed;  // a meeting at a point: the point as the report prints it
};

// Numbers given to keys in the order they first come, found again by
// open addressing in one flat table: a look-up touches one or two places in
// memory, where std::unordered_map follows a pointer for every entry.
template <class Key, class Hash>
class KeyNumbers {
public:
    // The number of `key`, and whether it is new: a new key gets the next number.
    std::pair<std::size_t, bool> number(const Key& key) {
        if (2 * (count + 1) > slots.size()) grow();
        const std::size_t mask = slots.size() - 1;
        for (std::size_t k = Hash()(key) & mask;; k = (k + 1) & mask) {
            Slot& slot = slots[k];
            if (slot.number == 0) {
                slot = {key, ++count};
                return {count - 1, true};
            }
            if (slot.key == key) return {slot.number - 1, false};
        }
    }
    std::size_t size() const { return count; }

private:
    struct Slot {
        Key key{};
        std::size_t number = 0;  // from 1; 0 for an empty slot
    };
    void grow() {
        std::vector<Slot> old(std::max<std::size_t>(64, 2 * slots.size()));
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.number == 0) continue;
            std::size_t k = Hash()(slot.key) & mask;
            while (slots[k].number != 0) k = (k + 1) & mask;
            slots[k] = slot;
        }
    }
    std::vector<Slot> slots;
    std::size_t count = 0;
};

struct StretchHash {
    std::size_t operator()(const std::pair<GroundPoint, GroundPoint>& ends) const {
        return PointHash()(ends.first) * 31 + PointHash()(ends.second);
    }
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
    // The search stopped early, at the end of a run: it had met more than
    // maxOverlappingPairs pairs of pieces running along each other.
    bool overlapsCut = false;
    // `stop` said so, at the end of a run.
    bool interrupted = false;
};

// A box of the outline, edges included.
struct Bounds {
    double minX, minY, maxX, maxY;

    static Bounds of(const GroundPoint& a, const GroundPoint& b) {
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    void expand(const Bounds& o) {
        minX = std::min(minX, o.minX);
        minY = std::min(minY, o.minY);
        maxX = std::max(maxX, o.maxX);
        maxY = std::max(maxY, o.maxY);
    }
    bool meets(const Bounds& o) const {
        return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
    }
    Box box() const { return Box(Point(minX, minY), Point(maxX, maxY)); }
};

// Finds every meeting of two outline pieces that are not neighbours, and
// every overlap of two neighbours (the outline folding back on itself), in
// outline order of the first piece, until the points found are more than
// maxCrossings crossings, however the overlaps found later group them.
// Pieces are taken in runs of up to `runLength` consecutive ones, and
// consecutive runs in blocks of up to `runsPerBlock`; the blocks go into an
// R-tree by their boxes, packed at once from the whole list. Consecutive
// pieces always meet, so a tree of single pieces would hand back each
// piece's neighbours on every query anyway: a tree of blocks is many times
// smaller and quicker to build and to ask. Each block asks the tree once;
// its runs then compare their pieces with those of the runs, in the blocks
// found, whose boxes meet theirs, and within two such runs only the pieces
// whose own boxes meet each other's boxes. The search may stop only between
// two runs.
Meetings findMeetings(const std::vector<GroundPoint>& points, GroundCheckStop stop) {
    constexpr std::size_t runLength = 8;
    constexpr std::size_t runsPerBlock = 4;
    const std::size_t m = points.size();
    // Point k for k up to m + 1, the outline being closed.
    const auto at = [&](std::size_t k) -> const GroundPoint& { return points[k < m ? k : k - m]; };
    const auto pieceBounds = [&](std::size_t k) { return Bounds::of(at(k), at(k + 1)); };

    // Each run holds the pieces [first, first + count), all with ends in range.
    struct Run {
        std::size_t first = 0;
        std::size_t count = 0;
        Bounds bounds{};
    };
    std::vector<Run> runs;
    runs.reserve(m / runLength + 1);
    bool previousInRange = inRange(at(0));
    for (std::size_t k = 0; k < m; ++k) {
        const bool nextInRange = inRange(at(k + 1));
        const bool pieceInRange = previousInRange && nextInRange;
        previousInRange = nextInRange;
        if (!pieceInRange) continue;
        const Bounds bounds = pieceBounds(k);
        if (runs.empty() || runs.back().count == runLength || runs.back().first + runs.back().count != k) {
            runs.push_back({k, 0, bounds});
        }
        ++runs.back().count;
        runs.back().bounds.expand(bounds);
    }
    // Block b holds the runs [b * runsPerBlock, (b + 1) * runsPerBlock).
    std::vector<Entry> blocks;
    blocks.reserve(runs.size() / runsPerBlock + 1);
    for (std::size_t r = 0; r < runs.size(); r += runsPerBlock) {
        Bounds bounds = runs[r].bounds;
        for (std::size_t o = r + 1; o < std::min(r + runsPerBlock, runs.size()); ++o) bounds.expand(runs[o].bounds);
        blocks.emplace_back(bounds.box(), r / runsPerBlock);
    }
    const bgi::rtree<Entry, bgi::rstar<16>> tree(blocks.begin(), blocks.end());

    Meetings found;
    // For each point as printed, the meeting there of the earliest pair.
    KeyNumbers<GroundPoint, PointHash> pointNumbers;
    std::vector<Meeting>& pointMeetings = found.points;
    // Overlaps with the same ends are one stretch: only the earliest is kept,
    // so that a zigzag along one line is not kept once per pair of its pieces.
    KeyNumbers<std::pair<GroundPoint, GroundPoint>, StretchHash> overlapNumbers;
    std::vector<Meeting>& overlapMeetings = found.overlaps;
    const auto keep = [](std::vector<Meeting>& list, std::pair<std::size_t, bool> number, const Meeting& m) {
        if (number.second)
            list.push_back(m);
        else if (byPieces(m, list[number.first]))
            list[number.first] = m;
    };
    // Records how pieces i < j meet; of neighbours, only an overlap.
    std::size_t overlappingPairs = 0;
    const auto record = [&](std::size_t i, std::size_t j, bool neighbours) {
        const PieceMeeting meeting = meetingOf(at(i), at(i + 1), at(j), at(j + 1));
        if (meeting.kind == PieceMeeting::Kind::overlap) {
            ++overlappingPairs;
            keep(overlapMeetings, overlapNumbers.number(std::pair(meeting.a, meeting.b)), {i, j, meeting.a, meeting.b, {}});
        } else if (meeting.kind == PieceMeeting::Kind::point && !neighbours) {
            const GroundPoint printed = meeting.atEnds ? printedEnd(meeting.a) : printedPoint(meeting.a);
            keep(pointMeetings, pointNumbers.number(printed), {i, j, meeting.a, {}, printed});
        }
    };
    // Neighbours share their common point; only running along each other
    // beyond it is a fault, which needs the three points on one line.
    const auto compareNeighbours = [&](std::size_t i, std::size_t j) {
        const std::size_t before = j == i + 1 ? i : j;
        if (orientation(at(before), at(before + 1), at(before + 2)) == 0) record(i, j, true);
    };
    const auto neighbours = [&](std::size_t i, std::size_t j) { return j == i + 1 || (i == 0 && j == m - 1); };
    // Piece m - 1 and piece 0 meet at point 0: they are neighbours too.
    const bool closingPair = !runs.empty() && runs.front().first == 0 &&
                             runs.back().first + runs.back().count == m;

    Bounds pieces[runLength], otherPieces[runLength];
    std::size_t near[runLength], nearOther[runLength];
    // The pieces of run r against those of a later run o whose box meets its box.
    const auto compareRuns = [&](const Run& run, const Run& other) {
        // Only pieces that meet the other run's box can meet its pieces.
        std::size_t nearCount = 0, nearOtherCount = 0;
        for (std::size_t k = 0; k < run.count; ++k)
            if (pieces[k].meets(other.bounds)) near[nearCount++] = k;
        if (nearCount == 0) return;
        for (std::size_t k = 0; k < other.count; ++k) {
            otherPieces[k] = pieceBounds(other.first + k);
            if (otherPieces[k].meets(run.bounds)) nearOther[nearOtherCount++] = k;
        }
        for (std::size_t a = 0; a < nearCount; ++a) {
            const std::size_t i = run.first + near[a];
            for (std::size_t b = 0; b < nearOtherCount; ++b) {
                const std::size_t j = other.first + nearOther[b];
                if (!neighbours(i, j) && pieces[near[a]].meets(otherPieces[nearOther[b]])) record(i, j, false);
            }
        }
    };

    std::vector<Entry> candidates;
    for (const Entry& block : blocks) {
        candidates.clear();
        tree.query(bgi::intersects(block.first), std::back_inserter(candidates));
        const std::size_t firstRun = block.second * runsPerBlock;
        for (std::size_t r = firstRun; r < std::min(firstRun + runsPerBlock, runs.size()); ++r) {
            // Each overlap found can take in at most two of the points as its ends.
            if (pointMeetings.size() > maxCrossings + 2 * overlapMeetings.size()) {
                found.stopped = true;
                break;
            }
            if (overlappingPairs > maxOverlappingPairs) {
                found.overlapsCut = true;
                break;
            }
            if (stop && stop()) {
                found.interrupted = true;
                break;
            }
            const Run& run = runs[r];
            const std::size_t end = run.first + run.count;
            for (std::size_t k = 0; k < run.count; ++k) pieces[k] = pieceBounds(run.first + k);
            // Each piece with the next one, in this run or at the start of the next.
            for (std::size_t i = run.first; i < end; ++i)
                if (i + 1 < end || (r + 1 < runs.size() && runs[r + 1].first == end)) compareNeighbours(i, i + 1);
            if (closingPair && r == 0 && m - 1 > 1) compareNeighbours(0, m - 1);
            // Pieces of this run apart from each other.
            for (std::size_t a = 0; a < run.count; ++a)
                for (std::size_t b = a + 2; b < run.count; ++b)
                    if (!neighbours(run.first + a, run.first + b) && pieces[a].meets(pieces[b]))
                        record(run.first + a, run.first + b, false);
            // And against the later runs whose boxes meet this run's box.
            for (const Entry& candidate : candidates) {
                const std::size_t candidateFirst = candidate.second * runsPerBlock;
                const std::size_t candidateEnd = std::min(candidateFirst + runsPerBlock, runs.size());
                for (std::size_t o = std::max(candidateFirst, r + 1); o < candidateEnd; ++o)
                    if (run.bounds.meets(runs[o].bounds)) compareRuns(run, runs[o]);
            }
        }
        if (found.stopped || found.overlapsCut || found.interrupted) break;
    }
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
    // Every end of every overlap, those at one point together, each point's
    // in the order of their overlaps.
    struct End {
        GroundPoint at;
        std::size_t overlap;
    };
    std::vector<End> ends;
    ends.reserve(2 * overlaps.size());
    for (std::size_t k = 0; k < overlaps.size(); ++k) {
        ends.push_back({overlaps[k].a, k});
        ends.push_back({overlaps[k].b, k});
    }
    std::stable_sort(ends.begin(), ends.end(),
                     [](const End& x, const End& y) { return lexicographicLess(x.at, y.at); });
    for (std::size_t first = 0; first < ends.size();) {
        std::size_t last = first + 1;
        while (last < ends.size() && ends[last].at == ends[first].at) ++last;
        // Each overlap joins the first earlier one at the point that lies on its line.
        for (std::size_t k = first + 1; k < last; ++k) {
            for (std::size_t other = first; other < k; ++other) {
                if (onOneLine(ends[other].overlap, ends[k].overlap)) {
                    // The earlier overlap stays the root, so a group is named after its first member.
                    const std::size_t r1 = root(ends[other].overlap), r2 = root(ends[k].overlap);
                    if (r1 != r2) parent[std::max(r1, r2)] = std::min(r1, r2);
                    break;
                }
            }
        }
        first = last;
    }
    std::vector<std::size_t> group(overlaps.size());
    for (std::size_t k = 0; k < overlaps.size(); ++k) group[k] = root(k);
    return group;
}

}  // namespace

void findCrossings(const PrintedOutline& outline, GroundProblems& problems, GroundCheckStop stop) {
    // Three points at least make an area; fewer come only from merged points,
    // which are reported already.
    const std::size_t m = outline.points().size();
    if (m < 3) return;
    const Meetings found = findMeetings(outline.points(), stop);
    if (found.interrupted) {
        problems.interrupted = true;
        return;
    }
    const std::vector<Meeting>& points = found.points;
    const std::vector<Meeting>& overlaps = found.overlaps;

    const auto crossingOf = [&](const Meeting& meeting) {
        GroundCrossing c;
        c.position = outline.lastLine(meeting.i);
        c.first = outline.arrival((meeting.i + 1) % m);
        c.second = outline.arrival((meeting.j + 1) % m);
        c.at = meeting.a;
        return c;
    };

    // One crossing per stretch along which the outline runs along itself,
    // from its lowest end to its highest (in x, then y).
    const std::vector<std::size_t> group = groupOverlaps(overlaps);
    // Crossings are told apart as the report prints them: a third strand
    // across two that run along each other meets both at one point, which
    // the two computations may place a rounding error apart.
    KeyNumbers<GroundPoint, PointHash> seen;
    // The crossing of each group, by the group's first overlap.
    constexpr std::size_t none = SIZE_MAX;
    std::vector<std::size_t> crossingOfGroup(overlaps.size(), none);
    for (std::size_t k = 0; k < overlaps.size(); ++k) {
        const Meeting& o = overlaps[k];
        seen.number(printedEnd(o.a));
        seen.number(printedEnd(o.b));
        const GroundPoint low = std::min(o.a, o.b, lexicographicLess);
        const GroundPoint high = std::max(o.a, o.b, lexicographicLess);
        std::size_t& known = crossingOfGroup[group[k]];
        if (known == none) {
            known = problems.crossings.size();
            GroundCrossing c = crossingOf(o);
            c.overlap = true;
            c.at = low;
            c.to = high;
            problems.crossings.push_back(c);
        } else {
            GroundCrossing& c = problems.crossings[known];
            c.at = std::min(c.at, low, lexicographicLess);
            c.to = std::max(c.to, high, lexicographicLess);
        }
    }
    // One crossing per point: pieces meeting at a vertex are found once for
    // each piece there, and the ends of an overlap belong to the overlap.
    for (const Meeting& p : points)
        if (seen.number(p.printed).second) problems.crossings.push_back(crossingOf(p));
    std::stable_sort(
        problems.crossings.begin(), problems.crossings.end(),
        [](const GroundCrossing& a, const GroundCrossing& b) { return a.position < b.position; });
    // The search stopped once it had found more than maxCrossings; those it
    // found are the first in outline order, and the first maxCrossings are kept.
    if (found.stopped) {
        problems.moreCrossings = true;
        if (problems.crossings.size() > maxCrossings) problems.crossings.resize(maxCrossings);
    }
    problems.overlapsCut = found.overlapsCut;
}
