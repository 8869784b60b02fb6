#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "GroundCheck.h"
#include "GroundGeometry.h"
#include "KeyNumbers.h"

// Where two pieces of the outline (indices i < j) meet.
struct Meeting {
    std::size_t i = 0;
    std::size_t j = 0;
    GroundPoint a;
    GroundPoint b;        // the other end of an overlap
    GroundPoint printed;  // a meeting at a point: the point as the report prints it
};

// What the crossing search found: every overlap, and for each point (as
// printed) the meeting there of the earliest pair of pieces, both in order of
// their pieces.
struct Meetings {
    std::vector<Meeting> points;
    std::vector<Meeting> overlaps;
    // The search stopped early, at the end of a run: there are more than
    // maxCrossings crossings, and all found are those of the earlier runs' pieces.
    bool stopped = false;
    // The search stopped early, at the end of a run: it had met more than
    // maxOverlappingPairs pairs of pieces running along each other.
    bool overlapsCut = false;
    // The search was asked to stop (GroundCheckStop): what it holds is incomplete.
    bool interrupted = false;
};

// Keeps the meetings of the outline's pieces as the crossing search finds
// them: the earliest pair of pieces at each point as printed and along each
// stretch, and when the search has found enough to stop.
class MeetingRecorder {
public:
    // `points` is the outline: piece k runs from point k to point k + 1.
    // `stop` (when not null) is asked at every mustStop.
    explicit MeetingRecorder(const std::vector<GroundPoint>& points, GroundCheckStop stop = nullptr)
        : points(points), stop(stop) {}

    // Records how pieces i < j meet; of neighbours, only an overlap.
    void record(std::size_t i, std::size_t j, bool neighbours);
    // Records an overlap of the neighbours i < j, which share their common point.
    void compareNeighbours(std::size_t i, std::size_t j);
    bool neighbours(std::size_t i, std::size_t j) const {
        return j == i + 1 || (i == 0 && j == points.size() - 1);
    }
    // Whether the search must stop here, having found more than
    // maxCrossings crossings or maxOverlappingPairs pairs running along each
    // other, or having been asked to stop.
    bool mustStop();
    // What was found, in order of the pieces.
    Meetings finish();

private:
    struct StretchHash {
        std::size_t operator()(const std::pair<GroundPoint, GroundPoint>& ends) const {
            return PointHash()(ends.first) * 31 + PointHash()(ends.second);
        }
    };
    const GroundPoint& at(std::size_t k) const { return points[k < points.size() ? k : k - points.size()]; }

    const std::vector<GroundPoint>& points;
    const GroundCheckStop stop;
    Meetings found;
    KeyNumbers<GroundPoint, PointHash> pointNumbers;
    // Overlaps with the same ends are one stretch: only the earliest is kept,
    // so that a zigzag along one line is not kept once per pair of its pieces.
    KeyNumbers<std::pair<GroundPoint, GroundPoint>, StretchHash> overlapNumbers;
    std::size_t overlappingPairs = 0;
};
