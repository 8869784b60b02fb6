#include "HeadlessExport.h"

#include <vector>

#include "BatchRunner.h"
#include "EditorFiles.h"
#include "Export.h"
#include "MapEditor.h"

namespace {

int failure(Messages& messages, std::string line) {
    messages.problemLine(std::move(line));
    return 1;
}

}  // namespace

int exportWithoutWindow(const std::string& mapFile, bool runBatch, Messages& messages) {
    std::vector<Segment> segments;
    if (!readMap(mapFile, segments, messages)) return 1;
    // The rest location an editor has after a load, so the files match the
    // window's export byte for byte.
    if (!writeExport(segments, MapEditor::initialRestLocation, messages)) return 1;
    if (!runBatch) return 0;

    if (std::string refusal = batchFileRefusal(); !refusal.empty())
        return failure(messages, std::move(refusal));
    const std::optional<int> status = runBatchFile("./copy.bat");
    if (!status) return failure(messages, "Could not start the command interpreter for copy.bat");
    if (*status != 0) return failure(messages, "copy.bat exited with status " + std::to_string(*status));
    return 0;
}
