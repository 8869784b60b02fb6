#include "GroundFile.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "GroundGeometry.h"
#include "NumberFormat.h"

namespace {

// What follows the numbers on each kind of line.
constexpr char leftFootRest[] = " -400.00000 0.0000000 0.000000\n";
constexpr char startRest[] = " 0.000000 0.00000\n";
constexpr char profileRest[] = " -0.00000 1.00000\n";
constexpr char rightFootRest[] = " -400.00000 0.000000 0.00000\n";
// The longest line: two numbers, a space and the longest rest.
constexpr std::size_t maxLineLength = 2 * maxFormattedLength + sizeof leftFootRest;

// Formats each line of the ground points file into a buffer of its own and
// hands it to `line(first, last, point)`, with the point the line prints as
// a reader gets it back from that text when `readBack` is set.
template <bool readBack, class Line>
void formatGroundLines(const std::vector<Segment>& segments, Line&& line) {
    // The feet's y as they print it: "-400.00000".
    static_assert(footY == -400.0);
    char buffer[2 * maxNumberLength + sizeof leftFootRest];
    // One line of two numbers and the fixed text `rest` (a literal, its line end included).
    const auto point = [&](double x, double y, const char* rest, std::size_t restLength) {
        char* w = formatNumber(buffer, x);
        char* const xEnd = w;
        *w++ = ' ';
        char* const yStart = w;
        w = formatNumber(w, y);
        GroundPoint printed;
        if constexpr (readBack) printed = {readNumber(buffer, xEnd), readNumber(yStart, w)};
        std::memcpy(w, rest, restLength);
        line(buffer, w + restLength, printed);
    };
    const auto foot = [&](double x, const char* rest, std::size_t restLength) {
        char* w = formatNumber(buffer, x);
        GroundPoint printed;
        if constexpr (readBack) printed = {readNumber(buffer, w), footY};
        std::memcpy(w, rest, restLength);
        line(buffer, w + restLength, printed);
    };
    forEachOutlinePoint(segments, [&](OutlineLine kind, std::size_t, double x, double y) {
        switch (kind) {
            case OutlineLine::leftFoot:
                foot(x, leftFootRest, sizeof leftFootRest - 1);
                break;
            case OutlineLine::startPoint:
                point(x, y, startRest, sizeof startRest - 1);
                break;
            case OutlineLine::profile:
                point(x, y, profileRest, sizeof profileRest - 1);
                break;
            case OutlineLine::rightFoot:
                foot(x, rightFootRest, sizeof rightFootRest - 1);
                break;
        }
    });
}

}  // namespace

void writeSharedStartPointListing(const std::vector<Segment>& segments,
                                  const std::function<bool(std::string_view)>& write) {
    // Segments sharing a start point form a group, kept as a list threaded
    // through `next` in ascending index order; groupOf[i] is the first member
    // of segment i's group, or -1 for a NaN start point, which equals nothing.
    const int count = static_cast<int>(segments.size());
    std::vector<int> groupOf(count, -1);
    std::vector<int> next(count, -1);
    std::vector<int> lastOf(count, -1);
    std::unordered_map<GroundPoint, int, PointHash> firstAt;
    firstAt.reserve(segments.size());
    for (int i = 0; i < count; ++i) {
        const ControlPoint& p = segments[i].getStartPoint();
        if (std::isnan(p.x) || std::isnan(p.y)) continue;
        const auto found = firstAt.try_emplace(GroundPoint{p.x, p.y}, i);
        const int first = found.first->second;
        groupOf[i] = first;
        if (!found.second) next[lastOf[first]] = i;
        lastOf[first] = i;
    }

    // Room for one more line (an int and its line end) at every step.
    constexpr std::size_t maxLine = 12;
    std::string piece;
    piece.reserve(listingPieceSize);
    char number[maxLine];
    for (int i = 0; i < count; ++i) {
        for (int j = groupOf[i]; j >= 0; j = next[j]) {
            char* w = std::to_chars(number, number + sizeof number, j).ptr;
            *w++ = '\n';
            piece.append(number, w);
            if (piece.size() > listingPieceSize - maxLine) {
                if (!write(piece)) return;
                piece.clear();
            }
        }
    }
    if (!piece.empty()) write(piece);
}

std::string sharedStartPointListing(const std::vector<Segment>& segments) {
    std::string listing;
    writeSharedStartPointListing(segments, [&listing](std::string_view piece) {
        listing += piece;
        return true;
    });
    return listing;
}

std::size_t groundLineCount(const std::vector<Segment>& segments) {
    std::size_t lines = 3;
    for (const Segment& s : segments) lines += s.getSamples().size() - 1;
    return lines;
}

long long appendGroundFile(std::string& text, const std::vector<Segment>& segments,
                           std::vector<GroundPoint>* printed) {
    assert(!segments.empty());
    const std::size_t lines = groundLineCount(segments);
    // Room for the longest lines at once: growing the text step by step would
    // hold the old and the new copy at each step, a third more at the peak.
    // The pages the text does not fill are never touched.
    text.reserve(text.size() + lines * maxLineLength);
    const auto append = [&text](const char* first, const char* last, const GroundPoint&) {
        text.append(first, last);
    };
    if (printed != nullptr) {
        printed->clear();
        printed->reserve(lines);
        formatGroundLines<true>(segments, [&](const char* first, const char* last, const GroundPoint& p) {
            append(first, last, p);
            printed->push_back(p);
        });
    } else {
        formatGroundLines<false>(segments, append);
    }
    long long pointTotal = 0;
    for (const Segment& s : segments) pointTotal += static_cast<long long>(s.getSamples().size());
    return pointTotal;
}

std::vector<GroundPoint> printedGroundPoints(const std::vector<Segment>& segments) {
    assert(!segments.empty());
    std::vector<GroundPoint> printed;
    printed.reserve(groundLineCount(segments));
    formatGroundLines<true>(segments,
                            [&printed](const char*, const char*, const GroundPoint& p) { printed.push_back(p); });
    return printed;
}
