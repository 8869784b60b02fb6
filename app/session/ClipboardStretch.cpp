#include "ClipboardStretch.h"

#include <cctype>
#include <cstddef>

#include "DrawingFile.h"
#include "MapFile.h"

namespace {

// At most 40 printable characters of `text`, for a notice.
std::string quoted(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (out.size() >= 40) {
            out += "...";
            break;
        }
        out += std::isprint(static_cast<unsigned char>(c)) ? c : ' ';
    }
    return "\"" + out + "\"";
}

ClipboardPaste fromDrawing(std::string svg, const char* what) {
    ClipboardPaste paste;
    const DrawingRead read = readDrawing(std::move(svg));
    if (!read.ok()) {
        paste.problem = std::string("Nothing pasted: the clipboard's ") + what + " " + read.error;
        return paste;
    }
    paste.segments = segmentsFromRecords(read.records);
    if (paste.segments.empty())
        paste.problem = std::string("Nothing pasted: the clipboard's ") + what + " has no path";
    return paste;
}

std::size_t firstNonSpace(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    return i;
}

std::string escapedAttribute(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

}  // namespace

std::string clipboardDrawingOf(const std::vector<Segment>& stretch) {
    DrawingText drawing = formatDrawing(stretch);
    return drawing.ok() ? std::move(drawing.text) : std::string();
}

std::string clipboardTextOf(const std::vector<Segment>& stretch) { return formatMapFile(stretch); }

ClipboardPaste readClipboard(const std::string& svg, const std::string& text, const std::string& targets) {
    if (!svg.empty()) return fromDrawing(svg, "drawing");
    const std::size_t start = firstNonSpace(text);
    if (start == text.size()) {
        ClipboardPaste paste;
        paste.problem = targets.empty() ? "Nothing pasted: the clipboard is empty"
                                        : "Nothing pasted: the clipboard holds neither a drawing nor text (" +
                                              targets + ")";
        return paste;
    }
    const MapFileParse records = parseMapFile(text);
    if (records.ok() && !records.records.empty()) return {segmentsFromRecords(records.records), {}};
    if (records.ok() && records.records.empty() && records.sampleTotal > 0) {
        ClipboardPaste paste;
        paste.problem = "Nothing pasted: the clipboard's map records hold more points than the editor";
        return paste;
    }
    const char first = text[start];
    if (first == '<') return fromDrawing(text, "text");
    if (first == 'M' || first == 'm')
        return fromDrawing(
            "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"" + escapedAttribute(text) + "\"/></svg>",
            "path data");
    ClipboardPaste paste;
    paste.problem =
        "Nothing pasted: the clipboard holds text that is neither map records nor SVG path data: " +
        quoted(text.substr(start));
    return paste;
}
