#pragma once

#include <vector>

#include "GroundCheck.h"
#include "GroundOutline.h"

// The ground check's second job: the search for the places where the printed
// outline meets itself. Adds to `problems` every crossing, touch and overlap
// of two pieces that are not neighbours, and every overlap of neighbours (the
// outline folding back on itself), each point or stretch once, in outline
// order; past maxCrossings the search stops and sets moreCrossings, past
// maxOverlappingPairs it stops and sets overlapsCut. A plane sweep finds the
// pairs of pieces that meet in O((n + k) log n) time for n points and k such
// pairs; past 200,000 pairs besides neighbours the search by boxes takes
// over, which stops after the first ones in outline order. Asks `stop` (when
// not null) as it goes; when it says so, the search ends with
// problems.interrupted set.
void findCrossings(const PrintedOutline& outline, GroundProblems& problems, GroundCheckStop stop = nullptr);
