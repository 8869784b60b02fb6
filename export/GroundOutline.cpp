#include "GroundOutline.h"

#include <algorithm>
#include <cmath>

#include "GroundFile.h"
#include "NumberFormat.h"

bool inRange(const GroundPoint& p) {
    // NaN fails both comparisons.
    return std::fabs(p.x) <= maxCheckedCoordinate && std::fabs(p.y) <= maxCheckedCoordinate;
}

namespace {

// The part of the outline that reaches a line of the file from the line before.
OutlinePart arrivalAt(OutlineLine line, std::size_t segment, std::size_t lastSegment) {
    switch (line) {
        case OutlineLine::leftFoot:
            return {OutlinePart::Kind::closingLine, lastSegment};
        case OutlineLine::startPoint:
            return {OutlinePart::Kind::leftFoot, 0};
        case OutlineLine::profile:
            return {OutlinePart::Kind::segment, segment};
        case OutlineLine::rightFoot:
            break;
    }
    return {OutlinePart::Kind::rightFoot, lastSegment};
}

}  // namespace

std::vector<Vertex> printedOutline(const std::vector<Segment>& segments, GroundProblems& problems) {
    std::size_t lineCount = 3;
    for (const Segment& s : segments) lineCount += s.getSamples().size() - 1;
    std::vector<Vertex> vertices;
    vertices.reserve(lineCount);
    const std::size_t lastSegment = segments.size() - 1;
    std::size_t line = 0;
    forEachOutlinePoint(segments, [&](OutlineLine kind, std::size_t segment, double x, double y) {
        const GroundPoint at{printedValue(x), printedValue(y)};
        if (!inRange(at)) {
            std::vector<OutOfRangePoints>& runs = problems.outOfRange;
            if (!runs.empty() && runs.back().position + runs.back().count == line)
                ++runs.back().count;
            else
                runs.push_back({line, segment, 1, at});
        }
        if (!vertices.empty() && vertices.back().at == at) {
            ++vertices.back().lineCount;
            vertices.back().lastSegment = segment;
        } else {
            vertices.push_back({at, line, 1, segment, segment, arrivalAt(kind, segment, lastSegment)});
        }
        ++line;
    });
    // The outline is closed: the right foot's run and the left foot's are
    // consecutive too.
    if (vertices.size() > 1 && vertices.back().at == vertices.front().at) {
        Vertex& front = vertices.front();
        const Vertex& back = vertices.back();
        front.firstLine = back.firstLine;
        front.lineCount += back.lineCount;
        front.firstSegment = back.firstSegment;
        front.arrival = back.arrival;
        vertices.pop_back();
    }
    for (const Vertex& v : vertices)
        if (v.lineCount > 1)
            problems.merged.push_back({v.firstLine, v.firstSegment, v.lastSegment, v.lineCount, v.at});
    std::sort(problems.merged.begin(), problems.merged.end(),
              [](const MergedPoints& a, const MergedPoints& b) { return a.position < b.position; });
    return vertices;
}

void findGaps(const std::vector<Segment>& segments, GroundProblems& problems) {
    const auto printed = [](const ControlPoint& p) {
        return GroundPoint{printedValue(p.x), printedValue(-p.y)};
    };
    // Line 1 is the start point; each segment adds a line per sample after its first.
    std::size_t line = 2;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        if (s > 0) {
            const GroundPoint end = printed(segments[s - 1].getEndPoint());
            const GroundPoint start = printed(segments[s].getStartPoint());
            if (!(end == start)) problems.gaps.push_back({line, s, end, start});
        }
        line += segments[s].getSamples().size() - 1;
    }
}
