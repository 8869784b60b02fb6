#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "GroundCheck.h"
#include "SweepQueue.h"

// The pieces that meet at each point where the sweep stopped, a group for
// each point: group g holds members[ends[g - 1]] up to members[ends[g]]
// (from 0 for the first). Every two pieces of a group meet; two pieces that
// run along each other are in the groups at both ends of their common stretch.
// A star of n pieces through one point is one group of n, where its pairs
// would be n (n - 1) / 2.
// Where the groups would hold too many pieces, those whose lowest piece is
// completeBelow or past it are left out: every group of a lower piece is kept.
struct MeetingGroups {
    std::vector<std::uint32_t> members;
    std::vector<std::size_t> ends;
    std::size_t completeBelow = SIZE_MAX;
    // Where the sweep gave up over its budget, the x it had come to.
    double sweptTo = 0;
};

// Every group of pieces that meet (cross, touch or run along each other),
// found by a plane sweep (Bentley and Ottmann's) on the exact orientation
// test: the sweep line passes the ends of the pieces and the points where
// two cross in order of x, then y, and keeps the pieces it cuts in their
// order along it, so that only pieces next to each other there are compared.
// Takes O((n + k) log n) time for n pieces and k points where pieces meet.
//
// `groups` gets the pieces (indices into `pieces`) meeting at each point, in
// the order the sweep reaches the points. Returns overBudget, with `groups`
// incomplete, when the groups would hold more than `budget.members` pieces
// in all (with `budget.keepLowest`, the groups of the highest pieces are
// left out past that, and the sweep gives up only when the groups found
// would hold four times as many), or when the sweep had to work out more than `budget.exactPlaces`
// crossings exactly (crossings within rounding errors of each other, as in
// a star's middle, cost microseconds each); stopped when `stop` (asked at
// every point the sweep passes, when not null) said so.
struct SweepBudget {
    std::size_t members = 0;
    std::size_t exactPlaces = 0;
    bool keepLowest = false;
};
enum class SweepEnd { complete, overBudget, stopped };
SweepEnd findMeetingGroups(const std::vector<SweepPiece>& pieces, SweepBudget budget, MeetingGroups& groups,
                           GroundCheckStop stop = nullptr);
