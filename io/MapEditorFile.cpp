// The map file operations of MapEditor; the format itself is in MapFile.cpp.
#include <cstdio>
#include <string>

#include "MapEditor.h"
#include "MapFile.h"
#include "TextFile.h"

void MapEditor::saveMapFile() { storeMapFile("map.mef", segments); }

void MapEditor::loadMapFile(const char* name) {
    std::string text;
    ReadError error;
    if (!readWholeFile(name, text, &error)) {
        // A refused file says why; one that cannot be opened or read, as ever, does not.
        if (const char* reason = readErrorReason(error))
            std::printf("File input error: %s: %s\n", name, reason);
        else
            std::fputs("File input error\n", stdout);
        std::fflush(stdout);
        return;
    }
    // The whole file is checked before anything changes, so a bad file
    // leaves the map on screen as it was.
    const MapFileParse parsed = parseMapFile(text);
    if (!parsed.ok()) {
        std::printf("File input error: %s: %s\n", name, parsed.error.c_str());
        std::fflush(stdout);
        return;
    }
    if (parsed.incompleteDropped) {
        std::printf("Warning: %s: incomplete last record %d dropped (%d of 9 values)\n", name,
                    static_cast<int>(parsed.records.size()), parsed.incompleteValues);
        std::fflush(stdout);
    }
    replaceChain(segmentsFromRecords(parsed.records));
}
