// libFuzzer target over the map file reader, working from memory.
//
// Any text either is rejected with a one-line reason and no records, or loads;
// a map that loads has every segment sampled into max(resolution, 0) + 2 finite
// points, saves to text that loads back to the same map (to the six
// significant digits the file keeps), and saving that again gives the same bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "MapFile.h"
#include "Segment.h"

namespace {

[[noreturn]] void failure(const char* what, std::string_view text) {
    std::fprintf(stderr, "map file fuzzer: %s\n--- input (%zu bytes) ---\n%.*s\n---\n", what, text.size(),
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

void check(bool condition, const char* what, std::string_view text) {
    if (!condition) failure(what, text);
}

void checkSamples(const std::vector<Segment>& chain, std::string_view text) {
    for (const Segment& s : chain) {
        const std::vector<ControlPoint>& samples = s.getSamples();
        const std::size_t expected = static_cast<std::size_t>(std::max(s.getResolution(), 0)) + 2;
        check(samples.size() == expected, "wrong number of samples", text);
        for (const ControlPoint& p : samples)
            check(std::isfinite(p.x) && std::isfinite(p.y), "a sample is not finite", text);
    }
}

// Six significant digits are kept: a value read back lies within half a unit
// of the sixth digit of the value written (plus one step of the smallest doubles).
bool sameToSixDigits(double written, double read) {
    if (std::signbit(written) != std::signbit(read) && written != 0.0) return false;
    return std::fabs(read - written) <=
           5.0000001e-6 * std::fabs(written) + std::numeric_limits<double>::denorm_min();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MapFileParse parsed = parseMapFile(text);
    if (!parsed.ok()) {
        check(parsed.records.empty(), "a rejected text returned records", text);
        for (const char c : parsed.error)
            check(c >= 0x20 && c < 0x7f, "the error message is not one printable line", text);
        return 0;
    }
    check(parsed.incompleteDropped == (parsed.incompleteValues > 0), "incomplete record flags disagree",
          text);
    check(parsed.incompleteValues >= 0 && parsed.incompleteValues < 9, "incomplete value count out of range",
          text);

    const std::vector<Segment> chain = segmentsFromRecords(parsed.records);
    check(chain.size() == parsed.records.size(), "segments and records differ in number", text);
    checkSamples(chain, text);

    const std::string saved = formatMapFile(chain);
    const MapFileParse reloaded = parseMapFile(saved);
    if (!reloaded.ok()) failure(("the saved text does not load: " + reloaded.error).c_str(), saved);
    check(!reloaded.incompleteDropped, "the saved text ends inside a record", saved);
    check(reloaded.records.size() == parsed.records.size(), "the saved map has another number of segments",
          saved);
    for (std::size_t i = 0; i < parsed.records.size(); ++i) {
        check(reloaded.records[i].resolution == parsed.records[i].resolution, "a resolution changed", saved);
        for (int k = 0; k < 4; ++k) {
            const ControlPoint& a = parsed.records[i].points[k];
            const ControlPoint& b = reloaded.records[i].points[k];
            check(sameToSixDigits(a.x, b.x) && sameToSixDigits(a.y, b.y), "a coordinate changed", saved);
        }
    }

    const std::vector<Segment> reloadedChain = segmentsFromRecords(reloaded.records);
    checkSamples(reloadedChain, saved);
    check(formatMapFile(reloadedChain) == saved, "saving the reloaded map gives other bytes", saved);
    return 0;
}
