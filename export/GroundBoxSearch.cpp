#include "GroundBoxSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <utility>

#include "GroundOutline.h"

// Boost 1.74's R-tree includes a header of its own that Boost has since
// deprecated; that is not ours to change, so its notice is silenced.
#define BOOST_ALLOW_DEPRECATED_HEADERS
#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;

namespace {

constexpr std::size_t runLength = 8;

using Point = bg::model::point<double, 2, bg::cs::cartesian>;
using Box = bg::model::box<Point>;
using Entry = std::pair<Box, std::size_t>;

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
    static Bounds none() { return {HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL}; }
    bool empty() const { return minX > maxX; }
    static bool emptyBox(const Box& b) { return b.min_corner().get<0>() > b.max_corner().get<0>(); }
    bool meets(const Bounds& o) const {
        return minX <= o.maxX && o.minX <= maxX && minY <= o.maxY && o.minY <= maxY;
    }
    Box box() const { return Box(Point(minX, minY), Point(maxX, maxY)); }
};

bool searchByBoxes(const std::vector<GroundPoint>& points, GroundCheckStop stop, std::size_t budget,
                   Meetings& found, const std::vector<bool>* leftOut, const OtherPairs* others);

}  // namespace

std::vector<PieceRun> pieceRuns(const std::vector<GroundPoint>& points) {
    const std::size_t m = points.size();
    std::vector<PieceRun> runs;
    runs.reserve(m / runLength + 1);
    bool previousInRange = inRange(points[0]);
    for (std::size_t k = 0; k < m; ++k) {
        const bool nextInRange = inRange(points[k + 1 < m ? k + 1 : 0]);
        const bool pieceInRange = previousInRange && nextInRange;
        previousInRange = nextInRange;
        if (!pieceInRange) continue;
        if (runs.empty() || runs.back().count == runLength || runs.back().first + runs.back().count != k)
            runs.push_back({k, 0});
        ++runs.back().count;
    }
    return runs;
}

// Consecutive runs go into blocks of up to `runsPerBlock`, and the blocks into
// an R-tree by their boxes, packed at once from the whole list. Consecutive
// pieces always meet, so a tree of single pieces would hand back each
// piece's neighbours on every query anyway: a tree of blocks is many times
// smaller and quicker to build and to ask. Within two runs whose boxes meet,
// only the pieces whose own boxes meet are compared.
Meetings findMeetingsByBoxes(const std::vector<GroundPoint>& points, GroundCheckStop stop) {
    Meetings found;
    findMeetingsByBoxesWithin(points, stop, SIZE_MAX, found);
    return found;
}

bool findMeetingsByBoxesWithin(const std::vector<GroundPoint>& points, GroundCheckStop stop,
                               std::size_t budget, Meetings& found) {
    return searchByBoxes(points, stop, budget, found, nullptr, nullptr);
}

Meetings findMeetingsByBoxesBeside(const std::vector<GroundPoint>& points, GroundCheckStop stop,
                                   const std::vector<bool>& leftOut, const OtherPairs& others) {
    Meetings found;
    searchByBoxes(points, stop, SIZE_MAX, found, &leftOut, &others);
    return found;
}

namespace {

// A left-out piece's box is empty: it meets no other.
bool searchByBoxes(const std::vector<GroundPoint>& points, GroundCheckStop stop, std::size_t budget,
                   Meetings& found, const std::vector<bool>* leftOut, const OtherPairs* others) {
    constexpr std::size_t runsPerBlock = 4;
    const std::size_t m = points.size();
    const auto at = [&](std::size_t k) -> const GroundPoint& { return points[k < m ? k : k - m]; };
    const auto pieceBounds = [&](std::size_t k) {
        return leftOut && (*leftOut)[k] ? Bounds::none() : Bounds::of(at(k), at(k + 1));
    };

    const std::vector<PieceRun> runs = pieceRuns(points);
    std::vector<Bounds> runBounds;
    runBounds.reserve(runs.size());
    for (const PieceRun& run : runs) {
        Bounds bounds = pieceBounds(run.first);
        for (std::size_t k = 1; k < run.count; ++k) bounds.expand(pieceBounds(run.first + k));
        runBounds.push_back(bounds);
    }
    std::vector<Entry> blocks, boxed;
    blocks.reserve(runs.size() / runsPerBlock + 1);
    for (std::size_t r = 0; r < runs.size(); r += runsPerBlock) {
        Bounds bounds = runBounds[r];
        for (std::size_t o = r + 1; o < std::min(r + runsPerBlock, runs.size()); ++o)
            bounds.expand(runBounds[o]);
        blocks.emplace_back(bounds.box(), r / runsPerBlock);
        if (!bounds.empty()) boxed.push_back(blocks.back());
    }
    const bgi::rtree<Entry, bgi::rstar<16>> tree(boxed.begin(), boxed.end());

    MeetingRecorder recorder(points, stop);
    std::size_t work = 0;
    // Piece m - 1 and piece 0 meet at point 0: they are neighbours too.
    const bool closingPair =
        !runs.empty() && runs.front().first == 0 && runs.back().first + runs.back().count == m;
    Bounds pieces[runLength], otherPieces[runLength];
    std::size_t near[runLength], nearOther[runLength];
    // The pieces of a run against those of a later run whose box meets its box.
    const auto compareRuns = [&](const PieceRun& run, const Bounds& bounds, const PieceRun& other,
                                 const Bounds& otherBounds) {
        // Only pieces that meet the other run's box can meet its pieces.
        std::size_t nearCount = 0, nearOtherCount = 0;
        for (std::size_t k = 0; k < run.count; ++k)
            if (pieces[k].meets(otherBounds)) near[nearCount++] = k;
        ++work;
        if (nearCount == 0) return;
        for (std::size_t k = 0; k < other.count; ++k) {
            otherPieces[k] = pieceBounds(other.first + k);
            if (otherPieces[k].meets(bounds)) nearOther[nearOtherCount++] = k;
        }
        work += nearCount * nearOtherCount;
        for (std::size_t a = 0; a < nearCount; ++a) {
            const std::size_t i = run.first + near[a];
            for (std::size_t b = 0; b < nearOtherCount; ++b) {
                const std::size_t j = other.first + nearOther[b];
                if (!recorder.neighbours(i, j) && pieces[near[a]].meets(otherPieces[nearOther[b]]))
                    recorder.record(i, j, false);
            }
        }
    };

    std::vector<Entry> candidates;
    bool stopped = false;
    for (const Entry& block : blocks) {
        candidates.clear();
        if (!Bounds::emptyBox(block.first))
            tree.query(bgi::intersects(block.first), std::back_inserter(candidates));
        work += candidates.size();
        if (work > budget) return false;
        const std::size_t firstRun = block.second * runsPerBlock;
        for (std::size_t r = firstRun; r < std::min(firstRun + runsPerBlock, runs.size()); ++r) {
            if (work > budget) return false;
            if ((stopped = recorder.mustStop())) break;
            const PieceRun& run = runs[r];
            const std::size_t end = run.first + run.count;
            for (std::size_t k = 0; k < run.count; ++k) pieces[k] = pieceBounds(run.first + k);
            // Each piece with the next one, in this run or at the start of the next.
            for (std::size_t i = run.first; i < end; ++i)
                if (i + 1 < end || (r + 1 < runs.size() && runs[r + 1].first == end))
                    recorder.compareNeighbours(i, i + 1);
            if (closingPair && r == 0 && m - 1 > 1) recorder.compareNeighbours(0, m - 1);
            if (others) (*others)(run, recorder);
            // Pieces of this run apart from each other.
            for (std::size_t a = 0; a < run.count; ++a)
                for (std::size_t b = a + 2; b < run.count; ++b)
                    if (!recorder.neighbours(run.first + a, run.first + b) && pieces[a].meets(pieces[b]))
                        recorder.record(run.first + a, run.first + b, false);
            // And against the later runs whose boxes meet this run's box.
            for (const Entry& candidate : candidates) {
                const std::size_t candidateFirst = candidate.second * runsPerBlock;
                const std::size_t candidateEnd = std::min(candidateFirst + runsPerBlock, runs.size());
                for (std::size_t o = std::max(candidateFirst, r + 1); o < candidateEnd; ++o)
                    if (runBounds[r].meets(runBounds[o]))
                        compareRuns(run, runBounds[r], runs[o], runBounds[o]);
            }
        }
        if (stopped) break;
    }
    found = recorder.finish();
    return work <= budget;
}

}  // namespace
