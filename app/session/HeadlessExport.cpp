#include "HeadlessExport.h"

#include <vector>

#include "EditorFiles.h"
#include "MapEditor.h"

int exportWithoutWindow(const std::string& mapFile, bool runBatch, Messages& messages) {
    std::vector<Segment> segments;
    if (!readMap(mapFile, segments, messages)) return 1;
    // The rest location an editor has after a load, so the files match the
    // window's export byte for byte.
    if (!writeExport(segments, MapEditor::initialRestLocation, messages)) return 1;
    if (!runBatch) return 0;

    const std::optional<int> status = runBatchAfterExport(messages);
    return status && *status == 0 ? 0 : 1;
}
