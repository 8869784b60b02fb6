#include "DrawingConvert.h"

#include <algorithm>
#include <cctype>

#include "CommandLine.h"
#include "DrawingFile.h"
#include "EditorFiles.h"
#include "MapFile.h"
#include "TextFile.h"

namespace {

bool endsWith(const std::string& name, const char* ending) {
    const std::string end(ending);
    return name.size() >= end.size() &&
           std::equal(end.begin(), end.end(), name.end() - end.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// "FILE.svg#ID": the file and the id; a name ending in ".svg" is a file alone.
void splitPathId(const std::string& path, std::string& file, std::string& id) {
    file = path;
    id.clear();
    const std::size_t hash = path.rfind('#');
    if (endsWith(path, ".svg") || hash == std::string::npos || !endsWith(path.substr(0, hash), ".svg"))
        return;
    file = path.substr(0, hash);
    id = path.substr(hash + 1);
}

}  // namespace

bool readDrawingFile(const std::string& path, std::vector<Segment>& segments, Messages& messages) {
    std::string file, id;
    splitPathId(path, file, id);
    std::string text, reason;
    if (!readWholeFile(file.c_str(), text, nullptr, &reason)) {
        messages.problemLine("File input error: " + file + ": " + reason);
        return false;
    }
    const DrawingRead read = readDrawing(std::move(text), id);
    if (!read.ok()) {
        messages.problemLine("File input error: " + path + ": " + read.error);
        return false;
    }
    for (const std::string& warning : read.warnings)
        messages.problemLine("Warning: " + path + ": " + warning);
    segments = segmentsFromRecords(read.records);
    return true;
}

int convertWithoutWindow(const std::string& in, const std::string& out, Messages& messages) {
    std::string inFile, id;
    splitPathId(in, inFile, id);
    std::vector<Segment> segments;
    FileWrite write;
    if (endsWith(inFile, ".svg") && endsWith(out, ".mef")) {
        if (!readDrawingFile(in, segments, messages)) return 1;
        write = storeMapFile(out, segments);
    } else if (endsWith(in, ".mef") && endsWith(out, ".svg")) {
        if (!readMap(in, segments, messages)) return 1;
        if (segments.empty()) {
            messages.problemLine(in + ": the map has no segments");
            return 1;
        }
        const DrawingText drawing = formatDrawing(segments);
        if (!drawing.ok()) {
            messages.problemLine(in + ": " + drawing.error);
            return 1;
        }
        write = storeFile(out, drawing.text);
    } else {
        messages.problem(
            "mapeditor: --convert turns a .svg file into a .mef file or a .mef file into a .svg file\n" +
            std::string(usageLine()));
        return usageExitStatus;
    }
    tellFileWrite(out, write, messages);
    return write ? 0 : 1;
}
