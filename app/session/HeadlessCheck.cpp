#include "HeadlessCheck.h"

#include <vector>

#include "EditorFiles.h"
#include "GroundCheck.h"
#include "GroundReport.h"

int checkWithoutWindow(const std::string& mapFile, Messages& messages) {
    std::vector<Segment> segments;
    if (!readMap(mapFile, segments, messages)) return 1;
    // The export refuses an empty chain: there is no ground to hand on.
    if (segments.empty()) {
        messages.reportLine(mapFile + ": the map has no segments");
        return 1;
    }
    const GroundProblems problems = checkGround(segments);
    const std::size_t count = groundProblemCount(problems);
    const std::vector<std::string> lines = groundProblemLines(problems, mapFile, maxCheckLines);
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    // Past maxCrossings crossings the search stops, so the rest is counted no further.
    if (count > lines.size())
        text += mapFile + ": ... and " + (problems.moreCrossings ? "more than " : "") +
                std::to_string(count - lines.size()) + " more\n";
    if (problems.overlapsCut)
        text += mapFile + ": the search for crossings stopped after " + std::to_string(maxOverlappingPairs) +
                " pairs of pieces running along each other; more may follow\n";
    // A sound outline says nothing.
    if (!text.empty()) messages.report(text);
    return count == 0 ? 0 : 1;
}

int checkWithoutWindow(const std::vector<std::string>& mapFiles, Messages& messages) {
    int status = 0;
    for (const std::string& mapFile : mapFiles)
        if (checkWithoutWindow(mapFile, messages) != 0) status = 1;
    return status;
}
