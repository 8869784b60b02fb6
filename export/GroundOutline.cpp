#include "GroundOutline.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "NumberFormat.h"

bool inRange(const GroundPoint& p) {
    // NaN fails both comparisons.
    return std::fabs(p.x) <= maxCheckedCoordinate && std::fabs(p.y) <= maxCheckedCoordinate;
}

PrintedOutline::PrintedOutline(const std::vector<Segment>& segments, std::vector<GroundPoint> lines,
                               GroundProblems& problems)
    : at(std::move(lines)) {
    // Line 0 is the left foot, line 1 the start point; each segment adds a
    // line per sample after its first; the right foot comes last.
    lineStart.reserve(segments.size() + 1);
    std::size_t line = 2;
    for (const Segment& s : segments) {
        lineStart.push_back(line);
        line += s.getSamples().size() - 1;
    }
    lineStart.push_back(line);
    const std::size_t lineTotal = line + 1;
    const std::size_t lastSegment = segments.size() - 1;

    // The distinct points are written over the lines, never ahead of the one read.
    firstLine.reserve(lineTotal);
    lineCount.reserve(lineTotal);
    std::size_t kept = 0;
    std::size_t segment = 0;
    std::vector<OutOfRangePoints>& outOfRange = problems.outOfRange;
    for (line = 0; line < lineTotal; ++line) {
        while (segment < lastSegment && line >= lineStart[segment + 1]) ++segment;
        const GroundPoint p = at[line];
        if (!inRange(p)) {
            if (!outOfRange.empty() && outOfRange.back().position + outOfRange.back().count == line)
                ++outOfRange.back().count;
            else
                outOfRange.push_back({line, segment, 1, p});
        }
        if (kept > 0 && at[kept - 1] == p) {
            ++lineCount.back();
        } else {
            at[kept++] = p;
            firstLine.push_back(line);
            lineCount.push_back(1);
        }
    }
    at.resize(kept);
    // The outline is closed: the right foot's run and the left foot's are
    // consecutive too.
    if (at.size() > 1 && at.back() == at.front()) {
        firstLine.front() = firstLine.back();
        lineCount.front() += lineCount.back();
        at.pop_back();
        firstLine.pop_back();
        lineCount.pop_back();
    }
    for (std::size_t k = 0; k < at.size(); ++k)
        if (lineCount[k] > 1)
            problems.merged.push_back({firstLine[k], segmentOfLine(firstLine[k]),
                                       segmentOfLine(lastLine(k) % lineTotal), lineCount[k], at[k]});
    std::sort(problems.merged.begin(), problems.merged.end(),
              [](const MergedPoints& a, const MergedPoints& b) { return a.position < b.position; });
}

std::size_t PrintedOutline::segmentOfLine(std::size_t line) const {
    if (line < lineStart.front()) return 0;
    const auto after = std::upper_bound(lineStart.begin(), lineStart.end() - 1, line);
    return static_cast<std::size_t>(after - lineStart.begin()) - 1;
}

OutlinePart PrintedOutline::arrival(std::size_t k) const {
    const std::size_t line = firstLine[k];
    const std::size_t lastSegment = lineStart.size() - 2;
    if (line == 0) return {OutlinePart::Kind::closingLine, lastSegment};
    if (line == 1) return {OutlinePart::Kind::leftFoot, 0};
    if (line == lineStart.back()) return {OutlinePart::Kind::rightFoot, lastSegment};
    return {OutlinePart::Kind::segment, segmentOfLine(line)};
}

void findGaps(const std::vector<Segment>& segments, GroundProblems& problems) {
    const auto printed = [](const ControlPoint& p) {
        return GroundPoint{printedValue(p.x), printedValue(-p.y)};
    };
    // Line 1 is the start point; each segment adds a line per sample after its first.
    std::size_t line = 2;
    for (std::size_t s = 0; s < segments.size(); ++s) {
        if (s > 0) {
            const ControlPoint& endPoint = segments[s - 1].getEndPoint();
            const ControlPoint& startPoint = segments[s].getStartPoint();
            // Equal numbers print the same; only others need printing.
            if (!(endPoint == startPoint)) {
                const GroundPoint end = printed(endPoint);
                const GroundPoint start = printed(startPoint);
                if (!(end == start)) problems.gaps.push_back({line, s, end, start});
            }
        }
        line += segments[s].getSamples().size() - 1;
    }
}
