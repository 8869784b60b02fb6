#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "GroundCheck.h"
#include "MeetingRecorder.h"

// The outline's pieces that are in range, in runs of up to eight consecutive
// ones: the crossing search stops only between two runs, so that what it
// finds before it stops is the same however it searches.
struct PieceRun {
    std::size_t first = 0;
    std::size_t count = 0;
};
std::vector<PieceRun> pieceRuns(const std::vector<GroundPoint>& points);

// The crossing search by boxes, for outlines that meet themselves in bulk:
// runs of pieces go into an R-tree by their boxes, and each run compares its
// pieces with those of the later runs whose boxes meet its box, run after
// run, until the recorder says to stop. Takes time for every pair of pieces
// whose boxes meet until then.
// Asks `stop` (when not null) between runs.
Meetings findMeetingsByBoxes(const std::vector<GroundPoint>& points, GroundCheckStop stop = nullptr);

// The same search, given up once it has compared more than `budget` pairs
// of pieces (and runs) whose boxes meet: returns false then, with `found`
// incomplete. Where boxes meet only near the outline's own neighbours (a
// course running on to one side) it is done within a budget in proportion
// to the pieces, quicker than the sweep and without its lists of groups.
bool findMeetingsByBoxesWithin(const std::vector<GroundPoint>& points, GroundCheckStop stop,
                               std::size_t budget, Meetings& found);

// The search by boxes unbounded, for the pairs of pieces that are both not
// `leftOut` (and each piece with its neighbours); `others` records the
// pairs of each run's pieces with later ones that involve a left-out piece,
// run after run in the same order, so that the stop stays in outline order.
using OtherPairs = std::function<void(const PieceRun&, MeetingRecorder&)>;
Meetings findMeetingsByBoxesBeside(const std::vector<GroundPoint>& points, GroundCheckStop stop,
                                   const std::vector<bool>& leftOut, const OtherPairs& others);
