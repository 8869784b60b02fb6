#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "GroundCheck.h"
#include "SweepQueue.h"

// Every pair of pieces that meet (cross, touch or run along each other),
// found by a plane sweep (Bentley and Ottmann's) on the exact orientation
// test: the sweep line passes the ends of the pieces and the points where
// two cross in order of x, then y, and keeps the pieces it cuts in their
// order along it, so that only pieces next to each other there are compared.
// Takes O((n + k) log n) time for n pieces and k meetings.
//
// `pairs` gets each pair (a, b), a < b, of indices into `pieces`, once, in
// order. Returns overBudget, with `pairs` incomplete, when the sweep met more
// than `budget.pairs` pairs (counted once at every point where they meet), or
// had to work out more than `budget.exactPlaces` crossings exactly (crossings
// within rounding errors of each other, as in a star's middle, cost
// microseconds each); stopped when `stop` (asked at every point the sweep
// passes, when not null) said so.
struct SweepBudget {
    std::size_t pairs = 0;
    std::size_t exactPlaces = 0;
};
enum class SweepEnd { complete, overBudget, stopped };
SweepEnd findMeetingPairs(const std::vector<SweepPiece>& pieces, SweepBudget budget,
                          std::vector<std::pair<std::uint32_t, std::uint32_t>>& pairs,
                          GroundCheckStop stop = nullptr);
