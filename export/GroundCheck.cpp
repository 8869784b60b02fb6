#include "GroundCheck.h"

#include <utility>

#include "GroundCrossings.h"
#include "GroundOutline.h"

GroundProblems checkGround(const std::vector<Segment>& segments, GroundCheckStop stop) {
    return checkGround(segments, printedGroundPoints(segments), stop);
}

GroundProblems checkGround(const std::vector<Segment>& segments, std::vector<GroundPoint> printedLines,
                           GroundCheckStop stop) {
    GroundProblems problems;
    const PrintedOutline outline(segments, std::move(printedLines), problems);
    findGaps(segments, problems);
    // The crossing search is the long part: it asks `stop` as it goes.
    if (stop && stop()) {
        problems.interrupted = true;
        return problems;
    }
    findCrossings(outline, problems, stop);
    return problems;
}
