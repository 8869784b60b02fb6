#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Segment.h"

// The ground points file "gnd.pts": the sampled profile as a closed outline
// for the simulator, y negated, each point written once:
//   X0-0.5 -400.00000 0.0000000 0.000000      left foot
//   X0 -Y0 0.000000 0.00000                   first segment's start point
//   x -y -0.00000 1.00000                     each segment's samples after its first
//   XN+0.5 -400.00000 0.000000 0.00000        right foot

// The start-point listing: for each segment i in chain order, the indices j
// (ascending, i itself included) of every segment whose start point equals
// that of i in x and in y, one per line. Exact double comparison, so -0 and 0
// are equal and a NaN start point matches nothing, not even itself. Runs in
// time proportional to the number of segments plus the length of the listing.
// The listing can be far longer than the chain (k segments sharing a start
// point give k * k lines), so it is handed to `write` as it is made, in
// pieces of whole lines of at most listingPieceSize bytes; it stops early when
// `write` returns false.
constexpr std::size_t listingPieceSize = 32 * 1024;
void writeSharedStartPointListing(const std::vector<Segment>& segments,
                                  const std::function<bool(std::string_view)>& write);
// The whole listing as one text.
std::string sharedStartPointListing(const std::vector<Segment>& segments);

// A point of the outline in the simulator's frame, as the file prints it.
struct GroundPoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const GroundPoint& other) const { return x == other.x && y == other.y; }
};

// The kinds of line of the ground points file, each one point of the outline.
enum class OutlineLine { leftFoot, startPoint, profile, rightFoot };

// The y of both foot points in the simulator's frame, written as "-400.00000".
constexpr double footY = -400.0;

// Calls visit(line, segment, x, y) for every line of the ground points file of
// `segments` (not empty), in file order: the left foot, the first segment's
// start point, each segment's samples after its first, the right foot. x and
// y are the values the line prints, in the simulator's frame (y negated);
// `segment` is the index of the segment the point comes from, the first for
// the left foot and the last for the right foot. The writer and the outline
// check both walk the file through this one function.
template <class Visit>
void forEachOutlinePoint(const std::vector<Segment>& segments, Visit&& visit) {
    const ControlPoint& first = segments.front().getStartPoint();
    const ControlPoint& last = segments.back().getEndPoint();
    visit(OutlineLine::leftFoot, std::size_t{0}, first.x - 0.5, footY);
    visit(OutlineLine::startPoint, std::size_t{0}, first.x, -first.y);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        // The first sample is the start point, already written as the end of
        // the segment before (or as the start line).
        const std::vector<ControlPoint>& samples = segments[i].getSamples();
        for (std::size_t k = 1; k < samples.size(); ++k)
            visit(OutlineLine::profile, i, samples[k].x, -samples[k].y);
    }
    visit(OutlineLine::rightFoot, segments.size() - 1, last.x + 0.5, footY);
}

// The lines of the ground points file of `segments` (not empty): the feet,
// the start point and every sample after each segment's first.
std::size_t groundLineCount(const std::vector<Segment>& segments);

// Appends the ground points file of `segments`, which must not be empty, to
// `text`. Returns the point total of the count message: every sample of every
// segment, the left-out first samples included. With `printed`, also puts
// there the point of every line as a reader of the file gets it back, read
// from the line's own text: what the ground check checks.
long long appendGroundFile(std::string& text, const std::vector<Segment>& segments,
                           std::vector<GroundPoint>* printed = nullptr);

// The point of every line of the ground points file of `segments` (not
// empty), as appendGroundFile's `printed` holds them, without keeping the text.
std::vector<GroundPoint> printedGroundPoints(const std::vector<Segment>& segments);
