#include "GroundReport.h"

#include <algorithm>
#include <utility>

#include "NumberFormat.h"

namespace {

std::string pointText(const GroundPoint& p) {
    return "(" + formatNumber(p.x) + ", " + formatNumber(p.y) + ")";
}

std::string segmentsText(std::size_t first, std::size_t last) {
    if (first == last) return "segment " + std::to_string(first + 1);
    return "segments " + std::to_string(first + 1) + " and " + std::to_string(last + 1);
}

std::string lineName(OutlinePart::Kind kind) {
    switch (kind) {
        case OutlinePart::Kind::leftFoot:
            return "the left foot line";
        case OutlinePart::Kind::rightFoot:
            return "the right foot line";
        case OutlinePart::Kind::closingLine:
            return "the closing line";
        case OutlinePart::Kind::segment:
            break;
    }
    return "the profile";
}

std::string whereText(const GroundCrossing& c) {
    return c.overlap ? "from " + pointText(c.at) + " to " + pointText(c.to) : "at " + pointText(c.at);
}

// "segments 2 and 5" and "cross at (x, y)", or the like.
std::pair<std::string, std::string> crossingText(const GroundCrossing& c) {
    using Kind = OutlinePart::Kind;
    const std::string verb = c.overlap ? "overlap" : "cross";
    const std::string verbs = c.overlap ? "overlaps" : "crosses";
    const std::string where = whereText(c);
    const bool firstIsSegment = c.first.kind == Kind::segment;
    const bool secondIsSegment = c.second.kind == Kind::segment;
    if (firstIsSegment && secondIsSegment) {
        if (c.first.segment == c.second.segment)
            return {segmentsText(c.first.segment, c.first.segment), verbs + " itself " + where};
        return {segmentsText(c.first.segment, c.second.segment), verb + " " + where};
    }
    if (firstIsSegment || secondIsSegment) {
        const OutlinePart& segment = firstIsSegment ? c.first : c.second;
        const OutlinePart& line = firstIsSegment ? c.second : c.first;
        return {segmentsText(segment.segment, segment.segment),
                verbs + " " + lineName(line.kind) + " " + where};
    }
    return {segmentsText(std::min(c.first.segment, c.second.segment),
                         std::max(c.first.segment, c.second.segment)),
            lineName(c.first.kind) + " " + verbs + " " + lineName(c.second.kind) + " " + where};
}

// "segments 2 and 5", "segment 3 and the closing line", "the left foot line and the closing line".
std::string crossingParts(const GroundCrossing& c) {
    using Kind = OutlinePart::Kind;
    const bool firstIsSegment = c.first.kind == Kind::segment;
    const bool secondIsSegment = c.second.kind == Kind::segment;
    if (firstIsSegment && secondIsSegment) return segmentsText(c.first.segment, c.second.segment);
    if (firstIsSegment)
        return segmentsText(c.first.segment, c.first.segment) + " and " + lineName(c.second.kind);
    if (secondIsSegment)
        return segmentsText(c.second.segment, c.second.segment) + " and " + lineName(c.first.kind);
    return lineName(c.first.kind) + " and " + lineName(c.second.kind);
}

std::string countText(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string gapText(const GroundGap& g) {
    return "segment " + std::to_string(g.segment) + " ends at " + pointText(g.previousEnd) + ", segment " +
           std::to_string(g.segment + 1) + " starts at " + pointText(g.start);
}

std::string outOfRangeText(const OutOfRangePoints& n) {
    if (n.count == 1) return "a point is out of range: " + pointText(n.at);
    return std::to_string(n.count) + " consecutive points are out of range, the first " + pointText(n.at);
}

}  // namespace

std::vector<std::string> groundProblemLines(const GroundProblems& problems, const std::string& name,
                                            std::size_t limit) {
    // Each problem by its kind and its place in its list, ordered first, so
    // that only the lines asked for are worded.
    enum class Kind { crossing, gap, merged, outOfRange };
    struct Entry {
        std::size_t position;
        Kind kind;
        std::size_t index;
    };
    std::vector<Entry> entries;
    entries.reserve(groundProblemCount(problems));
    for (std::size_t k = 0; k < problems.crossings.size(); ++k)
        entries.push_back({problems.crossings[k].position, Kind::crossing, k});
    for (std::size_t k = 0; k < problems.gaps.size(); ++k)
        entries.push_back({problems.gaps[k].position, Kind::gap, k});
    for (std::size_t k = 0; k < problems.merged.size(); ++k)
        entries.push_back({problems.merged[k].position, Kind::merged, k});
    for (std::size_t k = 0; k < problems.outOfRange.size(); ++k)
        entries.push_back({problems.outOfRange[k].position, Kind::outOfRange, k});
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.position < b.position; });
    if (entries.size() > limit) entries.resize(limit);

    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const Entry& e : entries) {
        switch (e.kind) {
            case Kind::crossing: {
                const auto text = crossingText(problems.crossings[e.index]);
                lines.push_back(name + ": " + text.first + ": " + text.second);
                break;
            }
            case Kind::gap: {
                const GroundGap& g = problems.gaps[e.index];
                lines.push_back(name + ": " + segmentsText(g.segment - 1, g.segment) + ": not joined: " + gapText(g));
                break;
            }
            case Kind::merged: {
                const MergedPoints& r = problems.merged[e.index];
                lines.push_back(name + ": " + segmentsText(r.firstSegment, r.lastSegment) + ": " +
                                std::to_string(r.count) + " consecutive points print as " + pointText(r.at));
                break;
            }
            case Kind::outOfRange: {
                const OutOfRangePoints& n = problems.outOfRange[e.index];
                lines.push_back(name + ": " + segmentsText(n.segment, n.segment) + ": " + outOfRangeText(n));
                break;
            }
        }
    }
    return lines;
}

std::size_t groundProblemCount(const GroundProblems& problems) {
    return problems.crossings.size() + problems.gaps.size() + problems.merged.size() + problems.outOfRange.size();
}

std::vector<std::string> groundWarnings(const GroundProblems& problems) {
    std::vector<std::string> warnings;
    if (!problems.crossings.empty()) {
        const GroundCrossing& c = problems.crossings.front();
        warnings.push_back("Warning: the ground " + std::string(c.overlap ? "runs along" : "crosses") +
                           " itself " + whereText(c) + ", " + crossingParts(c) + " (" +
                           (problems.moreCrossings ? "more than " + std::to_string(maxCrossings) + " crossings in all"
                            : problems.overlapsCut
                                ? countText(problems.crossings.size(), "crossing", "crossings") +
                                      " found before the search stopped"
                                : countText(problems.crossings.size(), "crossing", "crossings") + " in all") +
                           ")");
    }
    if (!problems.gaps.empty()) {
        const GroundGap& g = problems.gaps.front();
        warnings.push_back("Warning: segments " + std::to_string(g.segment) + " and " +
                           std::to_string(g.segment + 1) + " are not joined, " + gapText(g) + " (" +
                           countText(problems.gaps.size(), "gap", "gaps") + " in all)");
    }
    if (!problems.merged.empty()) {
        const MergedPoints& r = problems.merged.front();
        warnings.push_back("Warning: " + std::to_string(r.count) +
                           " consecutive points of the ground print as " + pointText(r.at) + ", " +
                           segmentsText(r.firstSegment, r.lastSegment) + " (" +
                           countText(problems.merged.size(), "such run", "such runs") + " in all)");
    }
    if (!problems.outOfRange.empty()) {
        const OutOfRangePoints& n = problems.outOfRange.front();
        warnings.push_back("Warning: the ground has points out of range, the first " + pointText(n.at) +
                           ", " + segmentsText(n.segment, n.segment) + " (" +
                           countText(problems.outOfRange.size(), "such run", "such runs") + " in all)");
    }
    return warnings;
}
