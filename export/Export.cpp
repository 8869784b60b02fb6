#include "Export.h"

#include <utility>

#include "BatchRunner.h"
#include "GroundFile.h"
#include "ScenarioScript.h"

ExportWrite writeExportFiles(const std::vector<Segment>& segments, const ControlPoint& restLocation,
                             GroundCheckStop stop) {
    ExportWrite write;
    // Every outline line needs a segment.
    if (segments.empty()) {
        write.emptyChain = true;
        return write;
    }
    std::string text;
    std::vector<GroundPoint> printed;
    write.pointTotal = appendGroundFile(text, segments, &printed);
    write.ground = storeFile(groundFileName, text);
    text = std::string();
    if (write.ground.written()) write.script = storeFile(scriptFileName, formatScenarioScript(restLocation));
    if (write.written()) write.problems = checkGround(segments, std::move(printed), stop);
    return write;
}

std::string batchFileRefusal() {
    std::string reason;
    switch (pathKind(batchFileName, reason)) {
        case PathKind::regularFile:
            if (std::string folder = batchFolderRefusal(); !folder.empty())
                return "copy.bat cannot be run: " + folder + "; gnd.pts and go were not delivered";
            return {};
        case PathKind::missing:
            return "copy.bat not found in the working directory: gnd.pts and go were not delivered";
        case PathKind::other:
            return "copy.bat: not a regular file";
        case PathKind::unknown:
            break;
    }
    return "copy.bat could not be looked at: " + reason + "; gnd.pts and go were not delivered";
}
