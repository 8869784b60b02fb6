// The crossing sweep beside a comparison of every pair of pieces on the same
// exact test, on outlines built to be hard: small integer grids give
// collinear runs, T's, touches at ends, vertical and zero-length pieces.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "GroundBoxSearch.h"
#include "GroundCrossings.h"
#include "GroundGeometry.h"
#include "GroundSweep.h"
#include "MeetingRecorder.h"

namespace {

using Pairs = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

SweepPiece piece(GroundPoint a, GroundPoint b) {
    return {std::min(a, b, lexicographicLess), std::max(a, b, lexicographicLess)};
}

Pairs everyPairThatMeets(const std::vector<SweepPiece>& pieces) {
    Pairs pairs;
    for (std::uint32_t a = 0; a < pieces.size(); ++a)
        for (std::uint32_t b = a + 1; b < pieces.size(); ++b)
            if (meetingOf(pieces[a].low, pieces[a].high, pieces[b].low, pieces[b].high).kind !=
                PieceMeeting::Kind::none)
                pairs.emplace_back(a, b);
    return pairs;
}

// Every two pieces of a group, once.
Pairs pairsOf(const MeetingGroups& groups) {
    Pairs pairs;
    std::size_t from = 0;
    for (const std::size_t end : groups.ends) {
        for (std::size_t a = from; a < end; ++a)
            for (std::size_t b = a + 1; b < end; ++b)
                pairs.push_back(std::minmax(groups.members[a], groups.members[b]));
        from = end;
    }
    std::sort(pairs.begin(), pairs.end());
    pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
    return pairs;
}

Pairs sweep(const std::vector<SweepPiece>& pieces) {
    MeetingGroups groups;
    EXPECT_EQ(findMeetingGroups(pieces, {1000000, 20000}, groups), SweepEnd::complete);
    return pairsOf(groups);
}

// Shapes whose every meeting is known.
TEST(GroundSweep, SmallShapes) {
    const struct {
        const char* name;
        std::vector<SweepPiece> pieces;
        Pairs pairs;
    } cases[] = {
        {"a touch at an end point",
         {piece({0, 0}, {4, 4}), piece({4, 4}, {8, 0}), piece({2, 6}, {4, 4})},
         {{0, 1}, {0, 2}, {1, 2}}},
        {"a T", {piece({0, 0}, {6, 0}), piece({3, 0}, {3, 5}), piece({0, 1}, {6, 1})}, {{0, 1}, {1, 2}}},
        {"three collinear pieces overlapping",
         {piece({0, 0}, {4, 2}), piece({2, 1}, {8, 4}), piece({6, 3}, {10, 5}), piece({0, 1}, {10, 6})},
         {{0, 1}, {1, 2}}},
        {"a vertical piece crossing a horizontal one at its end",
         {piece({2, -3}, {2, 3}), piece({2, 0}, {7, 0}), piece({5, -1}, {5, 1})},
         {{0, 1}, {1, 2}}},
        {"a vertical piece on another",
         {piece({1, 0}, {1, 5}), piece({1, 2}, {1, 9}), piece({1, 9}, {1, 12})},
         {{0, 1}, {1, 2}}},
        {"a point on a piece and a point apart",
         {piece({0, 0}, {6, 6}), piece({3, 3}, {3, 3}), piece({4, 3}, {4, 3})},
         {{0, 1}}},
        {"a crossing beside a touch that comes first",
         {piece({0, 0}, {10, 10}), piece({0, 10}, {10, 0}), piece({1, 1}, {1, 8}), piece({9, 2}, {20, 2})},
         {{0, 1}, {0, 2}}},
        {"five lines through one point",
         {piece({0, 0}, {4, 4}), piece({0, 4}, {4, 0}), piece({2, 0}, {2, 4}), piece({0, 2}, {4, 2}),
          piece({1, 0}, {3, 4})},
         {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sweep(c.pieces), c.pairs) << c.name;
        EXPECT_EQ(everyPairThatMeets(c.pieces), c.pairs) << c.name;
    }
}

// Seeded outlines: chains that jump now and then, on grids from 0..1 to
// 0..1000, with repeated points for pieces that are one point.
TEST(GroundSweep, FindsWhatComparingEveryPairFinds) {
    const struct {
        int grid;
        int pieces;
        int outlines;
    } cases[] = {{1, 12, 300}, {3, 20, 300}, {6, 8, 1000}, {6, 40, 300}, {6, 120, 20}, {1000, 100, 20}};
    for (const auto& c : cases) {
        std::mt19937 random(static_cast<unsigned>(c.grid * 1000 + c.pieces));
        std::uniform_int_distribution<int> coordinate(0, c.grid), chance(0, 9);
        std::size_t meetings = 0;
        for (int outline = 0; outline < c.outlines; ++outline) {
            std::vector<SweepPiece> pieces;
            GroundPoint at{double(coordinate(random)), double(coordinate(random))};
            for (int k = 0; k < c.pieces; ++k) {
                const int roll = chance(random);
                if (roll == 0) at = {double(coordinate(random)), double(coordinate(random))};
                const GroundPoint next =
                    roll == 1 ? at : GroundPoint{double(coordinate(random)), double(coordinate(random))};
                pieces.push_back(piece(at, next));
                at = next;
            }
            const Pairs expected = everyPairThatMeets(pieces);
            meetings += expected.size();
            ASSERT_EQ(sweep(pieces), expected) << "grid " << c.grid << ", outline " << outline;
        }
        // The outlines meet themselves in plenty: the comparison is not of empty lists.
        EXPECT_GT(meetings, static_cast<std::size_t>(c.outlines * c.pieces)) << "grid " << c.grid;
    }
}

// Past its budget the sweep gives up and says so. The 40 pieces of a star
// meet at one point: one group of 40, where their pairs are 780.
TEST(GroundSweep, StopsPastItsBudget) {
    std::vector<SweepPiece> star;
    for (int k = 0; k < 40; ++k) star.push_back(piece({double(k), 0}, {double(40 - k), 40}));
    MeetingGroups groups;
    EXPECT_EQ(findMeetingGroups(star, {39, 1000}, groups), SweepEnd::overBudget);
    EXPECT_LE(groups.members.size(), 39u);
    EXPECT_EQ(findMeetingGroups(star, {40, 1000}, groups), SweepEnd::complete);
    EXPECT_EQ(groups.ends, std::vector<std::size_t>{40});
    EXPECT_EQ(pairsOf(groups), everyPairThatMeets(star));
    // Keeping the lowest pieces' groups, it gives up past four times its budget of members met.
    EXPECT_EQ(findMeetingGroups(star, {9, 1000, true}, groups), SweepEnd::overBudget);
    EXPECT_EQ(findMeetingGroups(star, {10, 1000, true}, groups), SweepEnd::complete);
    EXPECT_EQ(groups.completeBelow, 0u);
    EXPECT_TRUE(groups.members.empty());
}

// With too small a budget to keep every group, the sweep keeps those of its
// lowest pieces: every pair that meets with a piece below completeBelow, on
// seeded tangles and one crossing grid, and nothing that does not meet.
TEST(GroundSweep, KeepsTheGroupsOfItsLowestPiecesPastItsBudget) {
    std::size_t cut = 0;
    for (int outline = 0; outline < 60; ++outline) {
        std::mt19937 random(static_cast<unsigned>(outline));
        const int grid = outline % 3 == 0 ? 4 : 50;
        std::uniform_int_distribution<int> coordinate(0, grid);
        std::vector<SweepPiece> pieces;
        for (int k = 0; k < 80; ++k)
            pieces.push_back(piece({double(coordinate(random)), double(coordinate(random))},
                                   {double(coordinate(random)), double(coordinate(random))}));
        if (outline == 0)  // ten upright lines across ten level ones: the groups of the first are kept
            for (int k = 0; k < 10; ++k)
                pieces[k] = piece({k + 0.5, 0}, {k + 0.5, 11}),
                pieces[10 + k] = piece({0, k + 0.5}, {11, k + 0.5});
        const Pairs all = everyPairThatMeets(pieces);
        const std::size_t budget = (all.size() + outline) / 2 + 10;
        MeetingGroups groups;
        ASSERT_EQ(findMeetingGroups(pieces, {budget, 20000, true}, groups), SweepEnd::complete) << outline;
        EXPECT_LE(groups.members.size(), budget);
        Pairs below;
        for (const auto& pair : all)
            if (pair.first < groups.completeBelow) below.push_back(pair);
        const Pairs kept = pairsOf(groups);
        EXPECT_TRUE(std::includes(all.begin(), all.end(), kept.begin(), kept.end())) << outline;
        EXPECT_TRUE(std::includes(kept.begin(), kept.end(), below.begin(), below.end())) << outline;
        cut += groups.completeBelow < pieces.size();
    }
    EXPECT_GT(cut, 30u) << "the budgets left out too few groups";
}

}  // namespace

namespace {

// A meeting as the comparisons below see it: pieces, points, as printed.
using Found = std::tuple<std::size_t, std::size_t, double, double, double, double, double, double>;
std::vector<Found> listed(const std::vector<Meeting>& meetings) {
    std::vector<Found> list;
    for (const Meeting& m : meetings)
        list.emplace_back(m.i, m.j, m.a.x, m.a.y, m.b.x, m.b.y, m.printed.x, m.printed.y);
    return list;
}

}  // namespace

// The three ways the crossing search can go (the boxes within their budget,
// the sweep, the boxes unbounded) find the same meetings and stop at the
// same place, on seeded outlines of every kind: grids that touch and run
// along themselves, and tangles of more than maxCrossings crossings.
TEST(GroundSweep, TheSearchByBoxesAndTheSweepFindTheSame) {
    const struct {
        int grid;
        int points;
        int outlines;
    } cases[] = {{3, 30, 200}, {6, 60, 100}, {1000, 200, 20}, {1000000, 400, 3}, {4, 600, 2}};
    std::size_t stops = 0;
    for (const auto& c : cases) {
        std::mt19937 random(static_cast<unsigned>(c.grid + c.points));
        std::uniform_int_distribution<int> coordinate(0, c.grid);
        for (int outline = 0; outline < c.outlines; ++outline) {
            std::vector<GroundPoint> points;
            for (int k = 0; k < c.points; ++k)
                points.push_back({double(coordinate(random)), double(coordinate(random))});
            const Meetings boxes = findMeetingsByBoxes(points);
            const Meetings swept = findMeetingsBySweep(points);
            Meetings within;
            ASSERT_TRUE(findMeetingsByBoxesWithin(points, nullptr, SIZE_MAX / 2, within));
            for (const Meetings* other : {&swept, static_cast<const Meetings*>(&within)}) {
                ASSERT_EQ(listed(other->points), listed(boxes.points))
                    << "grid " << c.grid << ", outline " << outline;
                ASSERT_EQ(listed(other->overlaps), listed(boxes.overlaps)) << "grid " << c.grid;
                EXPECT_EQ(other->stopped, boxes.stopped);
                EXPECT_EQ(other->overlapsCut, boxes.overlapsCut);
            }
            stops += boxes.stopped || boxes.overlapsCut;
        }
    }
    EXPECT_GT(stops, 0u) << "no outline made the search stop early";
    // A tangle whose boxes meet in bulk overruns a small budget and says so.
    std::vector<GroundPoint> tangle;
    for (int k = 0; k < 2000; ++k) tangle.push_back({double(k % 2 ? k + 1000 : k), double(k % 2 ? 100 : 0)});
    Meetings cut;
    EXPECT_FALSE(findMeetingsByBoxesWithin(tangle, nullptr, 10000, cut));
    EXPECT_TRUE(findMeetingsByBoxesWithin(tangle, nullptr, SIZE_MAX / 2, cut));
}

namespace {

// What comparing every pair of pieces finds, run after run of pieces in
// outline order, stopping where the recorder says to, as every search must.
Meetings everyPairInOutlineOrder(const std::vector<GroundPoint>& points) {
    const std::size_t m = points.size();
    MeetingRecorder recorder(points);
    std::vector<bool> inRangePiece(m, false);
    const std::vector<PieceRun> runs = pieceRuns(points);
    for (const PieceRun& run : runs)
        for (std::size_t k = run.first; k < run.first + run.count; ++k) inRangePiece[k] = true;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        if (recorder.mustStop()) break;
        for (std::size_t i = runs[r].first; i < runs[r].first + runs[r].count; ++i) {
            if (i + 1 < m && inRangePiece[i + 1]) recorder.compareNeighbours(i, i + 1);
            if (i == 0 && inRangePiece[m - 1]) recorder.compareNeighbours(0, m - 1);
            for (std::size_t j = i + 2; j < m; ++j)
                if (inRangePiece[j] && !recorder.neighbours(i, j)) recorder.record(i, j, false);
        }
    }
    return recorder.finish();
}

}  // namespace

// Outlines past the sweep's budget of crossings placed exactly: a star of
// diameters through one point, each crossing there worked out exactly, after
// a seeded tangle and before another, on them or far to their right or left
// (where the sweep takes the tangles again, from the left or from the right,
// and the search by boxes the star). What the crossing search then finds is
// what every pair finds, with the same stop.
TEST(GroundSweep, TheLastSearchByBoxesFindsWhatComparingEveryPairFinds) {
    const struct {
        int grid;
        int before;
        int spokes;
        int after;
        double apart;
    } cases[] = {{5, 40, 110, 40, 0},     {1000, 300, 120, 0, 0}, {20, 0, 130, 200, 0},
                 {3, 500, 100, 500, 0},   {6, 300, 110, 0, 1e6},  {1000, 0, 160, 60, 1e6},
                 {6, 100, 110, 100, 1e6}, {6, 300, 110, 0, -1e6}};
    std::size_t stops = 0;
    for (const auto& c : cases) {
        std::mt19937 random(static_cast<unsigned>(c.grid + c.spokes));
        std::uniform_int_distribution<int> coordinate(0, c.grid), spoke(-100000, 100000);
        std::vector<GroundPoint> points;
        for (int k = 0; k < c.before; ++k)
            points.push_back({double(coordinate(random)), double(coordinate(random))});
        const GroundPoint centre{c.apart + double(c.grid) / 2 + 0.5, double(c.grid) / 2};
        for (int k = 0; k < c.spokes; ++k) {
            const double dx = spoke(random) / 8.0, dy = spoke(random) / 8.0, side = k % 2 ? 1 : -1;
            points.push_back({centre.x + side * dx, centre.y + side * dy});
            points.push_back({centre.x - side * dx, centre.y - side * dy});
        }
        for (int k = 0; k < c.after; ++k)
            points.push_back({double(coordinate(random)), double(coordinate(random))});
        std::vector<SweepPiece> pieces;
        for (std::size_t k = 0; k < points.size(); ++k)
            pieces.push_back(piece(points[k], points[(k + 1) % points.size()]));
        // The crossing search's own budget for the sweep: past it, as meant.
        MeetingGroups groups;
        ASSERT_EQ(findMeetingGroups(
                      pieces, {400000 + 16 * pieces.size(), 4000 + 2 * pieces.size() / 50, true}, groups),
                  SweepEnd::overBudget)
            << "grid " << c.grid;
        const Meetings expected = everyPairInOutlineOrder(points);
        const Meetings found = findMeetingsBySweep(points);
        ASSERT_EQ(listed(found.points), listed(expected.points)) << "grid " << c.grid;
        ASSERT_EQ(listed(found.overlaps), listed(expected.overlaps)) << "grid " << c.grid;
        EXPECT_EQ(found.stopped, expected.stopped) << "grid " << c.grid;
        EXPECT_EQ(found.overlapsCut, expected.overlapsCut) << "grid " << c.grid;
        stops += expected.stopped;
    }
    EXPECT_GE(stops, 3u) << "the cap of crossings is reached too seldom";
}
