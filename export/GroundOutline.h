#pragma once

#include <cstddef>
#include <vector>

#include "GroundCheck.h"
#include "GroundFile.h"
#include "Segment.h"

// The ground check's first job: the outline exactly as the ground points file
// prints it (six significant digits, y negated, the feet and the closing
// line), with the problems that the printed points alone show.

// Whether both coordinates are finite and within maxCheckedCoordinate.
bool inRange(const GroundPoint& p);

// The outline as the file prints it, consecutive equal points taken as one
// (and the right foot's run joined to the left foot's, the outline being
// closed): its distinct points in outline order, each with the run of file
// lines that print it.
class PrintedOutline {
public:
    // Takes over `lines`, the point of every line of the ground points file
    // of `segments` in file order, and keeps its distinct points in the same
    // storage. Adds to `problems` the runs of lines that print the same point
    // and the runs that print coordinates out of range.
    PrintedOutline(const std::vector<Segment>& segments, std::vector<GroundPoint> lines, GroundProblems& problems);

    // The distinct points; the piece k of the outline runs from point k to
    // point k + 1, the last one back to point 0.
    const std::vector<GroundPoint>& points() const { return at; }
    // The last of the file lines that print point k. Point 0's lines may
    // begin at the right foot and go on at the left one: its last line is
    // then counted on past the file's end.
    std::size_t lastLine(std::size_t k) const { return firstLine[k] + lineCount[k] - 1; }
    // The part of the outline that reaches point k from the point before.
    OutlinePart arrival(std::size_t k) const;

private:
    // The segment a file line comes from: the first for the left foot and
    // the start point, the last for the right foot.
    std::size_t segmentOfLine(std::size_t line) const;

    std::vector<GroundPoint> at;
    std::vector<std::size_t> firstLine;
    std::vector<std::size_t> lineCount;
    // The first profile line of each segment, and the right foot's line.
    std::vector<std::size_t> lineStart;
};

// Adds to `problems` every segment that does not start where the one before
// it ends, as printed.
void findGaps(const std::vector<Segment>& segments, GroundProblems& problems);
