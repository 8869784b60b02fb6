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

// Shapes whose pieces' boxes overlap in bulk, all of straight segments of
// resolution 0, meeting themselves nowhere, even as printed at the point
// budget (x runs through the numbers that six digits write exactly, v(k)
// the k-th from 1 up):
// a sheared zigzag, down from (v(k), 0) to (v(k + count / 2), -100) and back
// up to (v(k + 1), 0) for each k;
std::vector<Segment> shearedZigzag(int count);
// the same zigzag followed, far to its right, by a grid of `lines` upright
// lines crossed by as many level ones, all in one chain (lines * lines
// crossings, past the sweep's budget: the check's search by boxes must find
// that the zigzag meets nothing without comparing its boxes in pairs; with
// 2,100 lines and up to 100,000 zigzag segments, past four times that
// budget, where the check gives way to its search by boxes unbounded);
std::vector<Segment> zigzagAndGrid(int count, int lines);
// a comb of vertical teeth 100 deep, joined at the bottom and at the top in turn;
std::vector<Segment> comb(int count);
// a spiral of 16 segments a turn, 4 apart, in to its middle and out again
// between its turns.
std::vector<Segment> spiral(int count);
