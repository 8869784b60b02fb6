#include "HeadlessCheck.h"

#include <algorithm>
#include <vector>

#include "GroundCheck.h"
#include "MapFile.h"

int checkWithoutWindow(const std::string& mapFile, std::FILE* out, std::FILE* err) {
    std::vector<Segment> segments;
    if (readMapFile(mapFile.c_str(), segments, err) != MapFileRead::loaded) return 1;
    // The export refuses an empty chain: there is no ground to hand on.
    if (segments.empty()) {
        std::fprintf(out, "%s: the map has no segments\n", mapFile.c_str());
        std::fflush(out);
        return 1;
    }
    const GroundProblems problems = checkGround(segments);
    const std::vector<std::string> lines = groundProblemLines(problems, mapFile);
    const std::size_t shown = std::min(lines.size(), static_cast<std::size_t>(maxCheckLines));
    std::string text;
    for (std::size_t k = 0; k < shown; ++k) text += lines[k] + "\n";
    // Past maxCrossings crossings the search stops, so the rest is counted no further.
    if (lines.size() > shown)
        text += mapFile + ": ... and " + (problems.moreCrossings ? "more than " : "") +
                std::to_string(lines.size() - shown) + " more\n";
    std::fputs(text.c_str(), out);
    std::fflush(out);
    return lines.empty() ? 0 : 1;
}
