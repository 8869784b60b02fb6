#include "GroundCrossings.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

#include "GroundBoxSearch.h"
#include "GroundGeometry.h"
#include "GroundSweep.h"
#include "KeyNumbers.h"
#include "MeetingRecorder.h"

namespace {

// The sweep keeps at most 400,000 and 16 a piece of pieces listed at the
// points where pieces meet (64 bytes a piece, in proportion to the map; a
// pair that meets alone takes two), past that only the groups of the pieces
// earliest in outline order, enough where the findings' cap is reached
// among those (a grid's million crossings after a long course). It gives
// way to the search by boxes, which can stop after the first meetings in
// outline order, where the cap is not reached among them, past four times
// as many pieces listed, or past a fiftieth of 200,000 and two
// a piece of crossings placed exactly: those are crowded within rounding
// errors of each other, as in a star's middle, and cost microseconds each.
// An outline whose printed numbers run into one another (past 100,000 six
// digits keep no fraction, past 1,000,000 whole numbers print alike by tens)
// meets itself at nearly every piece and stays within the budget.
constexpr std::size_t membersBase = 400000;
constexpr std::size_t membersPerPiece = 16;
constexpr std::size_t exactPlacesBase = 200000 / 50;

// The search by boxes goes first, and the sweep only when it has compared
// more than this many pairs of pieces and runs whose boxes meet, 16 a piece:
// an outline whose boxes meet only near its own neighbours, as a course's
// do, is done well within that, without the sweep's lists of groups.
constexpr std::size_t boxWorkBase = 100000;
constexpr std::size_t boxWorkPerPiece = 16;

// For each outline piece, the groups it belongs to: piece i's are
// groupsOf[first[i]] up to groupsOf[first[i + 1]].
struct GroupsOfPieces {
    std::vector<std::size_t> first;
    std::vector<std::uint32_t> groupsOf;

    GroupsOfPieces(const MeetingGroups& groups, const std::vector<std::uint32_t>& pieceOf, std::size_t m)
        : first(m + 1, 0), groupsOf(groups.members.size()) {
        for (const std::uint32_t p : groups.members) ++first[pieceOf[p] + 1];
        for (std::size_t i = 0; i < m; ++i) first[i + 1] += first[i];
        std::vector<std::size_t> next(first.begin(), first.end() - 1);
        std::size_t k = 0;
        for (std::size_t g = 0; g < groups.ends.size(); ++g)
            for (; k < groups.ends[g]; ++k)
                groupsOf[next[pieceOf[groups.members[k]]]++] = static_cast<std::uint32_t>(g);
    }

    // Records piece i with each later piece it meets in a group, once
    // (with `leftOut`, only pairs with a piece left out there).
    void recordLater(std::size_t i, const MeetingGroups& groups, const std::vector<std::uint32_t>& pieceOf,
                     MeetingRecorder& recorder, const std::vector<bool>* leftOut) {
        later.clear();
        for (std::size_t k = first[i]; k < first[i + 1]; ++k) {
            const std::size_t g = groupsOf[k];
            for (std::size_t e = g == 0 ? 0 : groups.ends[g - 1]; e < groups.ends[g]; ++e) {
                const std::uint32_t j = pieceOf[groups.members[e]];
                if (j > i && !recorder.neighbours(i, j) && (!leftOut || (*leftOut)[i] || (*leftOut)[j]))
                    later.push_back(j);
            }
        }
        std::sort(later.begin(), later.end());
        later.erase(std::unique(later.begin(), later.end()), later.end());
        for (const std::uint32_t j : later) recorder.record(i, j, false);
    }
    std::vector<std::uint32_t> later;
};

// Past the sweep's budget, where the pieces wholly left of some x (below
// where the sweep gave up) are crossed by at most a few others there: the
// sweep again on those and the few, which finds every pair with one of them
// within its budget, and the search by boxes for the pairs of the rest, so
// that pieces whose boxes overlap in bulk on the left are not compared in
// pairs. With `sign` -1 the same from the right, x for -x, where the sweep
// that way gave up at -sweptTo (and done when it did not give up). Outlines
// with no such x either way go to the search by boxes alone.
Meetings findMeetingsSplit(const std::vector<GroundPoint>& points, const std::vector<PieceRun>& runs,
                           double sweptTo, double sign, GroundCheckStop stop) {
    constexpr std::size_t mostAcross = 8;
    const std::size_t m = points.size();
    const auto end = [&](std::size_t k, double s) {
        return GroundPoint{s * points[k < m ? k : 0].x, points[k < m ? k : 0].y};
    };
    const auto low = [&](std::size_t k) { return std::min(end(k, sign).x, end(k + 1, sign).x); };
    const auto high = [&](std::size_t k) { return std::max(end(k, sign).x, end(k + 1, sign).x); };
    std::vector<double> lows, highs;
    for (const PieceRun& run : runs)
        for (std::size_t k = run.first; k < run.first + run.count; ++k)
            lows.push_back(low(k)), highs.push_back(high(k));
    std::sort(lows.begin(), lows.end());
    std::sort(highs.begin(), highs.end());
    // The rightmost end of a piece before sweptTo that at most mostAcross pieces pass.
    double cut = 0;
    bool found = false;
    for (auto h = std::lower_bound(highs.begin(), highs.end(), sweptTo); h != highs.begin() && !found;) {
        --h;
        const std::size_t leftOf = std::upper_bound(highs.begin(), highs.end(), *h) - highs.begin();
        const std::size_t started = std::upper_bound(lows.begin(), lows.end(), *h) - lows.begin();
        if (leftOf < highs.size() && started - leftOf <= mostAcross) cut = *h, found = true;
    }
    if (!found && sign < 0) return findMeetingsByBoxes(points, stop);
    // No x from the left: the whole outline from the right, to find where that sweep gives up.
    const double mirror = found ? sign : -1.0;
    std::vector<bool> left(m, false);
    std::vector<SweepPiece> pieces;
    std::vector<std::uint32_t> pieceOf;
    for (const PieceRun& run : runs) {
        for (std::size_t k = run.first; k < run.first + run.count; ++k) {
            if (found && low(k) > cut) continue;
            left[k] = found && high(k) <= cut;
            const GroundPoint a = end(k, mirror), b = end(k + 1, mirror);
            pieces.push_back({std::min(a, b, lexicographicLess), std::max(a, b, lexicographicLess)});
            pieceOf.push_back(static_cast<std::uint32_t>(k));
        }
    }
    MeetingGroups groups;
    const SweepBudget budget{membersBase + membersPerPiece * pieces.size(),
                             exactPlacesBase + 2 * pieces.size() / 50, false};
    switch (findMeetingGroups(pieces, budget, groups, stop)) {
        case SweepEnd::complete:
            break;
        case SweepEnd::overBudget:
            return found ? findMeetingsByBoxes(points, stop)
                         : findMeetingsSplit(points, runs, groups.sweptTo, -1, stop);
        case SweepEnd::stopped: {
            Meetings none;
            none.interrupted = true;
            return none;
        }
    }
    // The sweep from the right did not give up: it found every pair.
    if (!found) left.assign(m, true);
    GroupsOfPieces of(groups, pieceOf, m);
    return findMeetingsByBoxesBeside(points, stop, left, [&](const PieceRun& run, MeetingRecorder& recorder) {
        for (std::size_t i = run.first; i < run.first + run.count; ++i)
            of.recordLater(i, groups, pieceOf, recorder, &left);
    });
}

}  // namespace

Meetings findMeetingsBySweep(const std::vector<GroundPoint>& points, GroundCheckStop stop) {
    const std::size_t m = points.size();
    const std::vector<PieceRun> runs = pieceRuns(points);
    std::vector<SweepPiece> pieces;
    std::vector<std::uint32_t> pieceOf;
    std::vector<bool> inRangePiece(m, false);
    for (const PieceRun& run : runs) {
        for (std::size_t k = run.first; k < run.first + run.count; ++k) {
            const GroundPoint& a = points[k];
            const GroundPoint& b = points[k + 1 < m ? k + 1 : 0];
            pieces.push_back({std::min(a, b, lexicographicLess), std::max(a, b, lexicographicLess)});
            pieceOf.push_back(static_cast<std::uint32_t>(k));
            inRangePiece[k] = true;
        }
    }
    MeetingGroups groups;
    const SweepBudget budget{membersBase + membersPerPiece * pieces.size(),
                             exactPlacesBase + 2 * pieces.size() / 50, true};
    switch (findMeetingGroups(pieces, budget, groups, stop)) {
        case SweepEnd::complete:
            break;
        case SweepEnd::overBudget:
            return findMeetingsSplit(points, runs, groups.sweptTo, 1, stop);
        case SweepEnd::stopped: {
            Meetings none;
            none.interrupted = true;
            return none;
        }
    }

    GroupsOfPieces of(groups, pieceOf, m);
    MeetingRecorder recorder(points, stop);
    for (std::size_t r = 0, sweepEnd = 0; r < runs.size(); ++r) {
        if (recorder.mustStop()) break;
        // The sweep kept the groups of its lowest pieces only, and the stop
        // came after them: the search by boxes finds the rest.
        if ((sweepEnd += runs[r].count) > groups.completeBelow) return findMeetingsByBoxes(points, stop);
        const std::size_t end = runs[r].first + runs[r].count;
        for (std::size_t i = runs[r].first; i < end; ++i)
            if (i + 1 < m && inRangePiece[i + 1]) recorder.compareNeighbours(i, i + 1);
        if (r == 0 && inRangePiece[0] && inRangePiece[m - 1]) recorder.compareNeighbours(0, m - 1);
        for (std::size_t i = runs[r].first; i < end; ++i)
            of.recordLater(i, groups, pieceOf, recorder, nullptr);
    }
    return recorder.finish();
}

namespace {

// The search by boxes first, within its budget; the sweep otherwise.
Meetings findMeetings(const std::vector<GroundPoint>& points, GroundCheckStop stop) {
    if (Meetings found;
        findMeetingsByBoxesWithin(points, stop, boxWorkBase + boxWorkPerPiece * points.size(), found))
        return found;
    return findMeetingsBySweep(points, stop);
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
