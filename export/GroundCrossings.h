#pragma once

#include <vector>

#include "GroundCheck.h"
#include "GroundOutline.h"

// The ground check's second job: the search for the places where the printed
// outline meets itself. Adds to `problems` every crossing, touch and overlap
// of two pieces that are not neighbours, and every overlap of neighbours (the
// outline folding back on itself), each point or stretch once, in outline
// order; past maxCrossings the search stops and sets moreCrossings, past
// maxOverlappingPairs it stops and sets overlapsCut. Runs in O(n log n) time
// for n points plus the pairs of pieces whose boxes meet: runs of pieces go
// into an R-tree and only pieces whose boxes meet are compared. Asks `stop`
// (when not null) between runs of pieces; when it says so, the search ends
// with problems.interrupted set.
void findCrossings(const PrintedOutline& outline, GroundProblems& problems, GroundCheckStop stop = nullptr);
