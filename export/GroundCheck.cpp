#include "GroundCheck.h"

#include "GroundCrossings.h"
#include "GroundOutline.h"

GroundProblems checkGround(const std::vector<Segment>& segments) {
    GroundProblems problems;
    const std::vector<Vertex> vertices = printedOutline(segments, problems);
    findGaps(segments, problems);
    findCrossings(vertices, problems);
    return problems;
}
