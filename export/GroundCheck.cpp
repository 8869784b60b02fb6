#include "GroundCheck.h"

#include <utility>

#include "GroundCrossings.h"
#include "GroundOutline.h"

GroundProblems checkGround(const std::vector<Segment>& segments) {
    return checkGround(segments, printedGroundPoints(segments));
}

GroundProblems checkGround(const std::vector<Segment>& segments, std::vector<GroundPoint> printedLines) {
    GroundProblems problems;
    const PrintedOutline outline(segments, std::move(printedLines), problems);
    findGaps(segments, problems);
    findCrossings(outline, problems);
    return problems;
}
