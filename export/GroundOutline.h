#pragma once

#include <cstddef>
#include <vector>

#include "GroundCheck.h"
#include "Segment.h"

// The ground check's first job: the outline exactly as the ground points file
// prints it (six significant digits, y negated, the feet and the closing
// line), with the problems that the printed points alone show.

// One distinct point of the outline: a run of consecutive file lines that
// print it, and the part of the outline that reaches it from the point before.
struct Vertex {
    GroundPoint at;
    std::size_t firstLine = 0;
    std::size_t lineCount = 1;
    std::size_t firstSegment = 0;
    std::size_t lastSegment = 0;
    OutlinePart arrival;
};

// Whether both coordinates are finite and within maxCheckedCoordinate.
bool inRange(const GroundPoint& p);

// The outline as the file prints it, consecutive equal points taken as one
// (and the right foot's run joined to the left foot's, the outline being
// closed). Adds to `problems` the runs of lines that print the same point
// and the runs that print coordinates out of range.
std::vector<Vertex> printedOutline(const std::vector<Segment>& segments, GroundProblems& problems);

// Adds to `problems` every segment that does not start where the one before
// it ends, as printed.
void findGaps(const std::vector<Segment>& segments, GroundProblems& problems);
