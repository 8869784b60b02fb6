#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "GroundCheck.h"

// The ground check's third job: its findings in words, points as the file
// prints them.

// One line per problem, in outline order, without line ends, in the form
// "NAME: segment N: ..." or "NAME: segments N and M: ...", segments counted
// from 1; only the first `limit` lines when given.
std::vector<std::string> groundProblemLines(const GroundProblems& problems, const std::string& name,
                                            std::size_t limit = SIZE_MAX);

// How many lines groundProblemLines gives without a limit.
std::size_t groundProblemCount(const GroundProblems& problems);

// At most one line per kind of problem, each naming the first occurrence and
// how many there are in all, without line ends: "Warning: the ground crosses
// itself at (x, y), segments N and M (K crossings in all)" ("(more than 10000
// crossings in all)" past maxCrossings, "(K crossings found before the
// search stopped)" past maxOverlappingPairs) and the like.
std::vector<std::string> groundWarnings(const GroundProblems& problems);
