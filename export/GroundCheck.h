#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "GroundFile.h"
#include "Segment.h"

// What would keep the ground points file from being a simple closed polygon,
// found on the outline exactly as the file holds it: the printed numbers (six
// significant digits, y negated), the two feet, and the closing line from the
// right foot back to the left one. Every point and coordinate below is in the
// simulator's frame, as printed.

// A piece of the outline that a problem names: a segment's part of the profile
// (the straight join to it from the segment before included), one of the two
// foot lines, or the closing line along the bottom.
struct OutlinePart {
    enum class Kind { segment, leftFoot, rightFoot, closingLine };
    Kind kind = Kind::segment;
    // The segment's index from 0; the first segment for the left foot line,
    // the last for the right foot line and the closing line.
    std::size_t segment = 0;
};

// Every problem carries `position`, the index of the file line (from 0) where
// the outline reaches it, so that problems can be listed in outline order.

// Two parts of the outline meet where they are not neighbours: they cross,
// touch at a point, or run along each other (`overlap`, from `at` to `to`).
// Each point where the outline meets itself is one crossing, and each stretch
// where it runs along itself is one, however many pieces meet there.
struct GroundCrossing {
    std::size_t position = 0;
    OutlinePart first;
    OutlinePart second;
    GroundPoint at;
    bool overlap = false;
    GroundPoint to;
};

// Segment `segment` does not start where the one before it ends; the file
// joins them with a straight piece.
struct GroundGap {
    std::size_t position = 0;
    std::size_t segment = 0;
    GroundPoint previousEnd;
    GroundPoint start;
};

// `count` consecutive lines of the file (two or more) print the same point.
struct MergedPoints {
    std::size_t position = 0;
    std::size_t firstSegment = 0;
    std::size_t lastSegment = 0;
    std::size_t count = 0;
    GroundPoint at;
};

// Coordinates beyond this size are out of range: the crossing test's
// products of coordinate differences would overflow.
constexpr double maxCheckedCoordinate = 1e150;

// `count` consecutive lines print a coordinate that is not a finite number or
// lies beyond maxCheckedCoordinate; the outline's pieces at them are left out
// of the crossing test.
struct OutOfRangePoints {
    std::size_t position = 0;
    std::size_t segment = 0;
    std::size_t count = 0;
    GroundPoint at;
};

// The crossing search stops once it has found more than this many points
// where the outline meets itself: a map drawn as a star meets itself tens of
// millions of times, and listing them all would take minutes and gigabytes
// for nothing.
constexpr std::size_t maxCrossings = 10000;

// It also stops once it has met more than this many pairs of pieces running
// along each other: a ground drawn back and forth along one line runs along
// itself once for nearly every pair of its pieces, and 3,000 segments of it
// took a minute and a half and ten gigabytes before. The stretches those
// pairs make up can be few, so this says nothing of how many crossings there are.
constexpr std::size_t maxOverlappingPairs = 100000;

struct GroundProblems {
    // Every crossing, or the first maxCrossings in outline order when
    // `moreCrossings` is set.
    std::vector<GroundCrossing> crossings;
    // The search stopped early: the outline crosses itself more than
    // maxCrossings times.
    bool moreCrossings = false;
    // The search stopped after maxOverlappingPairs pairs of pieces running
    // along each other: the crossings are those found until then, and more
    // may follow.
    bool overlapsCut = false;
    std::vector<GroundGap> gaps;
    std::vector<MergedPoints> merged;
    std::vector<OutOfRangePoints> outOfRange;
    // The check was asked to stop (GroundCheckStop) before it was done: what
    // it holds is incomplete and says nothing about the outline.
    bool interrupted = false;

    bool empty() const { return crossings.empty() && gaps.empty() && merged.empty() && outOfRange.empty(); }
};

// Asked now and then while the check runs (at least every few milliseconds
// of its work): true stops it, with GroundProblems::interrupted set, so that
// a program asked to end need not wait for a long check. Null: never stops.
using GroundCheckStop = bool (*)();

// Checks the outline of `segments` (not empty). Consecutive points that print
// the same are taken as one for the crossing test. Whether and how two pieces
// meet is decided exactly on the printed numbers, at every scale. Runs in
// O((n + k) log n) time for n points and k points where pieces meet: a plane
// sweep finds the pieces that meet at each; their pairs are taken in outline
// order up to the stop, past maxCrossings crossing points or
// maxOverlappingPairs pairs running along each other, so memory stays in
// proportion to the map. An outline that meets itself at more points than 16
// a piece, or crowds its crossings within rounding errors of each other, is
// searched by boxes instead, which also stops after the first in outline order.
GroundProblems checkGround(const std::vector<Segment>& segments, GroundCheckStop stop = nullptr);

// The same check on `printedLines`, the point of every line of the ground
// points file of `segments` as appendGroundFile read them back from the text
// it wrote; the check takes them over as its own outline.
GroundProblems checkGround(const std::vector<Segment>& segments, std::vector<GroundPoint> printedLines,
                           GroundCheckStop stop = nullptr);
