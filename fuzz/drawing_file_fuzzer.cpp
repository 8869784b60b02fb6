// libFuzzer target over the drawing reader and writer, working from memory.
//
// Any text either is refused with one printable line and no records, or
// becomes a chain of finite points within the editor's point budget; such a
// chain is written as a drawing (or refused for numbers too large to draw),
// the drawing reads back to as many segments with the same resolutions and
// with no warning but the count of its gaps, and writing that again gives the
// same ground path, where every smooth node stays smooth.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "DrawingFile.h"
#include "SampleBudget.h"
#include "Segment.h"

namespace {

[[noreturn]] void failure(const char* what, std::string_view text) {
    std::fprintf(stderr, "drawing file fuzzer: %s\n--- input (%zu bytes) ---\n%.*s\n---\n", what, text.size(),
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

void check(bool condition, const char* what, std::string_view text) {
    if (!condition) failure(what, text);
}

bool printableLine(const std::string& line) {
    for (const char c : line)
        if (c < 0x20 || c >= 0x7f) return false;
    return !line.empty() && line.size() < 400;
}

// The value of the attribute `name` in `element`, and the element without it.
std::string takeAttribute(std::string& element, const std::string& name) {
    const std::size_t start = element.find(' ' + name + "=\"");
    if (start == std::string::npos) return {};
    const std::size_t value = start + name.size() + 3;
    const std::size_t end = element.find('"', value);
    std::string taken = element.substr(value, end - value);
    element.erase(start, end + 1 - start);
    return taken;
}

// The element of the path "ground" without its stroke's width and its node
// types: the page and the outline around it, and so the width, may move by a
// rounding step, and a kink at the edge of six digits may read smooth once
// rounded; the chain and its resolutions may not change.
std::string groundPath(const std::string& drawing, std::string* types = nullptr) {
    const std::size_t start = drawing.find("<path id=\"ground\"");
    if (start == std::string::npos) return {};
    std::string element = drawing.substr(start, drawing.find("/>", start) - start);
    takeAttribute(element, "stroke-width");
    const std::string nodeTypes = takeAttribute(element, "sodipodi:nodetypes");
    if (types) *types = nodeTypes;
    return element;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The first line, when there is one, names the path: "FILE.svg#ID" as the command line gives it.
    const std::size_t lineEnd = text.find('\n');
    const std::string id =
        lineEnd != std::string::npos && lineEnd < 40 ? text.substr(0, lineEnd) : std::string();
    for (const std::string& pathId : {std::string(), id}) {
        const DrawingRead read = readDrawing(text, pathId);
        if (!read.ok()) {
            check(read.records.empty(), "a refused drawing returned records", text);
            check(printableLine(read.error), "the refusal is not one short printable line", text);
            continue;
        }
        for (const std::string& warning : read.warnings)
            check(printableLine(warning), "a warning is not one short printable line", text);
        check(!read.records.empty(), "a drawing was read without segments", text);
        long long samples = 0;
        for (const MapRecord& r : read.records) {
            samples += samplesAtResolution(r.resolution);
            for (const ControlPoint& p : r.points)
                check(std::isfinite(p.x) && std::isfinite(p.y), "a point is not finite", text);
        }
        check(samples <= sampleBudget, "the chain is past the point budget", text);

        const std::vector<Segment> chain = segmentsFromRecords(read.records);
        const DrawingText written = formatDrawing(chain);
        if (!written.ok()) {
            check(printableLine(written.error) && written.text.empty(), "a refused chain was half written",
                  text);
            continue;
        }
        const DrawingRead back = readDrawing(written.text);
        if (!back.ok()) failure(("the written drawing is refused: " + back.error).c_str(), written.text);
        // The one warning a written drawing may give counts the chain's gaps.
        check(back.warnings.empty() || (back.warnings.size() == 1 && back.warnings[0].rfind("the chain has ", 0) == 0),
              "the written drawing reads back with a warning other than its gaps", written.text);
        check(back.records.size() == read.records.size(),
              "the drawing read back has another number of segments", written.text);
        for (std::size_t i = 0; i < back.records.size(); ++i)
            check(back.records[i].resolution == read.records[i].resolution, "a resolution changed",
                  written.text);
        const DrawingText again = formatDrawing(segmentsFromRecords(back.records));
        std::string typesWritten, typesAgain;
        check(again.ok() && groundPath(again.text, &typesAgain) == groundPath(written.text, &typesWritten),
              "writing the drawing read back gives another ground path", written.text);
        check(typesAgain.size() == typesWritten.size(), "another number of node types", written.text);
        // Node by node along the path data (one per M and per C): a smooth
        // junction stays smooth unless a handle was rounded onto it.
        const std::string ground = groundPath(again.text);
        std::size_t node = 0, segment = 0;
        for (std::size_t at = ground.find(" d=\""); at < ground.size(); ++at) {
            if (ground[at] != 'M' && ground[at] != 'C') continue;
            if (ground[at] == 'C') ++segment;
            if (node < typesWritten.size() && typesWritten[node] == 's' && typesAgain[node] != 's') {
                const auto& before = back.records[segment - 1].points;
                const auto& after = back.records[segment].points;
                check(before[2] == before[3] || after[1] == after[0], "a smooth node read back as a corner",
                      written.text);
            }
            ++node;
        }
    }
    return 0;
}
