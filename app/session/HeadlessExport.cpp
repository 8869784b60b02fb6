#include "HeadlessExport.h"

#include <vector>

#include "BatchRunner.h"
#include "Export.h"
#include "MapEditor.h"
#include "MapFile.h"

namespace {

int failure(std::FILE* err, const std::string& message) {
    std::fprintf(err, "%s\n", message.c_str());
    std::fflush(err);
    return 1;
}

}  // namespace

int exportWithoutWindow(const std::string& mapFile, bool runBatch, std::FILE* out, std::FILE* err) {
    std::vector<Segment> segments;
    if (readMapFile(mapFile.c_str(), segments, err) != MapFileRead::loaded) return 1;

    // The rest location an editor has after a load, so the files match the
    // window's export byte for byte; the chain stays out of the editor, whose
    // index of the segments an export does not need.
    MapEditor editor;
    editor.replaceChain({});
    if (!writeExportFiles(segments, editor.getRestLocation(), {out, err})) return 1;
    if (!runBatch) return 0;

    if (!batchFileReady(err)) return 1;
    const std::optional<int> status = runBatchFile("./copy.bat");
    if (!status) return failure(err, "Could not start the command interpreter for copy.bat");
    if (*status != 0) return failure(err, "copy.bat exited with status " + std::to_string(*status));
    return 0;
}
