#pragma once

#include <vector>

#include "Segment.h"

// Seeded test courses for the benchmarks.

// A joined chain of `count` segments running to the right, 3 map units each,
// with random handles and heights (6 significant digits, as a saved map holds
// them) and the given resolution.
std::vector<Segment> longCourse(int count, int resolution, unsigned seed);

// `count` segments laid out row by row so that every one of them, squares
// included, lies inside the 800 x 600 window at view offset (1, 1).
std::vector<Segment> windowFullOfSegments(int count, int resolution, unsigned seed);
