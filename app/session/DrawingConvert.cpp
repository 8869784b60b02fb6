#include "DrawingConvert.h"

#include <algorithm>
#include <cctype>
#include <new>

#include "CommandLine.h"
#include "DrawingFile.h"
#include "EditorFiles.h"
#include "MapFile.h"
#include "MapPicture.h"
#include "TextFile.h"

namespace {

bool endsWith(const std::string& name, const char* ending) {
    const std::string end(ending);
    return name.size() >= end.size() &&
           std::equal(end.begin(), end.end(), name.end() - end.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

// A drawing's name: plain SVG, or SVG compressed with gzip as Inkscape saves it.
bool isDrawingName(const std::string& name) { return endsWith(name, ".svg") || endsWith(name, ".svgz"); }

// "FILE.svg#ID": the file and the id; a name ending in ".svg" is a file alone.
void splitPathId(const std::string& path, std::string& file, std::string& id) {
    file = path;
    id.clear();
    const std::size_t hash = path.rfind('#');
    if (isDrawingName(path) || hash == std::string::npos || !isDrawingName(path.substr(0, hash))) return;
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

namespace {

// The map IN, refused when it has no segments.
bool readMapToConvert(const std::string& in, std::vector<Segment>& segments, Messages& messages) {
    if (!readMap(in, segments, messages)) return false;
    if (segments.empty()) {
        messages.problemLine(in + ": the map has no segments");
        return false;
    }
    return true;
}

int usageProblem(const std::string& problem, Messages& messages) {
    messages.problem("mapeditor: " + problem + "\n" + std::string(usageLine()));
    return usageExitStatus;
}

int convert(const std::string& in, const std::string& out, Messages& messages, int size) {
    std::string inFile, id;
    splitPathId(in, inFile, id);
    std::vector<Segment> segments;
    FileWrite write;
    const bool png = endsWith(out, ".png");
    if ((png || endsWith(out, ".pdf")) && !isDrawingName(inFile)) {
        if (!readMapToConvert(in, segments, messages)) return 1;
        const MapPicture picture = drawMapPicture(segments, png ? PictureFormat::png : PictureFormat::pdf,
                                                  size == 0 ? defaultPictureSize : size);
        if (!picture.ok()) {
            messages.problemLine(in + ": " + picture.error);
            return 1;
        }
        write = storeFile(out, picture.bytes);
    } else if (size != 0) {
        return usageProblem("--size works only for a picture of a map (.png, .pdf)", messages);
    } else if (isDrawingName(inFile) && endsWith(out, ".mef")) {
        if (!readDrawingFile(in, segments, messages)) return 1;
        write = storeMapFile(out, segments);
    } else if (endsWith(in, ".mef") && endsWith(out, ".svg")) {
        if (!readMapToConvert(in, segments, messages)) return 1;
        const DrawingText drawing = formatDrawing(segments);
        if (!drawing.ok()) {
            messages.problemLine(in + ": " + drawing.error);
            return 1;
        }
        write = storeFile(out, drawing.text);
    } else {
        return usageProblem(
            "--convert turns a .svg (or .svgz) file into a .mef file, a .mef file into a .svg file, or a .mef "
            "file into a .png or .pdf picture",
            messages);
    }
    tellFileWrite(out, write, messages);
    return write ? 0 : 1;
}

}  // namespace

int convertWithoutWindow(const std::string& in, const std::string& out, Messages& messages, int size) {
    // A map too large for the memory at hand (a limit set on the process) is
    // refused with its line, as any other map that cannot be converted.
    try {
        return convert(in, out, messages, size);
    } catch (const std::bad_alloc&) {
        messages.problemLine(in + ": not enough memory to convert it to " + out);
        return 1;
    }
}
