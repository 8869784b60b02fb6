#pragma once

#include <vector>

#include "GroundCheck.h"
#include "GroundOutline.h"
#include "MeetingRecorder.h"

// The ground check's second job: the search for the places where the printed
// outline meets itself. Adds to `problems` every crossing, touch and overlap
// of two pieces that are not neighbours, and every overlap of neighbours (the
// outline folding back on itself), each point or stretch once, in outline
// order; past maxCrossings the search stops and sets moreCrossings, past
// maxOverlappingPairs it stops and sets overlapsCut. The search by boxes
// goes first, as long as its boxes meet in proportion to the pieces; then a
// plane sweep finds the pairs of pieces that meet in O((n + k) log n) time
// for n points and k such pairs, and past its budget the search by boxes
// takes over again, unbounded. Both stop after the same first findings in
// outline order. Asks `stop` (when
// not null) as it goes; when it says so, the search ends with
// problems.interrupted set.
void findCrossings(const PrintedOutline& outline, GroundProblems& problems, GroundCheckStop stop = nullptr);

// The sweep's part of the search: every meeting of two outline pieces that
// are not neighbours, and every overlap of two neighbours (the outline
// folding back on itself), in outline order of the first piece, until the
// points found are more than maxCrossings crossings, however the overlaps
// found later group them. The sweep finds the groups of pieces that meet;
// their pairs are then recorded run after run of pieces, each piece's with
// the later pieces it meets, so that the search stops where the search by
// boxes would stop, with the same findings, and pairs past the stop are
// never made. Past the sweep's budget, the search by boxes instead.
// Asks `stop` as it goes.
Meetings findMeetingsBySweep(const std::vector<GroundPoint>& points, GroundCheckStop stop = nullptr);
