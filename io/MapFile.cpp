#include "MapFile.h"

#include <algorithm>
#include <charconv>
#include <system_error>

#include "NumberFormat.h"

namespace {

// The whitespace of the C locale: space, \t, \n, \v, \f, \r.
inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Values per record: eight coordinates and the resolution.
constexpr int valuesPerRecord = 9;

// The token starting at `p`, shortened and with unprintable bytes replaced,
// fit to be quoted in a one-line message.
std::string quoteToken(const char* p, const char* end) {
    constexpr int maxShown = 24;
    std::string shown = "\"";
    int n = 0;
    for (; p != end && !isSpace(*p) && n < maxShown; ++p, ++n) {
        const unsigned char c = static_cast<unsigned char>(*p);
        shown += (c >= 0x20 && c < 0x7f) ? static_cast<char>(c) : '?';
    }
    if (p != end && !isSpace(*p)) shown += "...";
    shown += '"';
    return shown;
}

// A line ends in LF, CRLF or a lone CR (old Mac tools).
inline bool endsLine(const char* p, const char* end) {
    return *p == '\n' || (*p == '\r' && (p + 1 == end || p[1] != '\n'));
}

std::string whereText(std::string_view text, const char* at, std::size_t record) {
    std::size_t line = 1;
    for (const char* p = text.data(); p != at; ++p) line += endsLine(p, at);
    return "record " + std::to_string(record) + ", line " + std::to_string(line) + ": ";
}

inline bool endsToken(const char* p, const char* end) { return p == end || isSpace(*p); }

// UTF-16 text: a byte order mark of either order, or ASCII in UTF-16, where
// every second byte is NUL. A map never holds a NUL byte, so the pattern over
// the first bytes is enough.
bool isUtf16(std::string_view text) {
    if (text.size() < 2) return false;
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0) return true;
    const std::size_t units = std::min<std::size_t>(text.size() / 2, 32);
    std::size_t evenNuls = 0, oddNuls = 0;
    for (std::size_t i = 0; i < 2 * units; ++i)
        if (text[i] == '\0') ++(i % 2 == 0 ? evenNuls : oddNuls);
    return (evenNuls == units && oddNuls == 0) || (oddNuls == units && evenNuls == 0);
}

// What Windows tools put around a text: a UTF-8 byte order mark before it,
// and the Ctrl-Z that `copy a+b` appends as the last byte. Neither is part of the map.
std::string_view withoutWindowsMarks(std::string_view text) {
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, byteOrderMark.size()) == byteOrderMark) text.remove_prefix(byteOrderMark.size());
    if (!text.empty() && text.back() == '\x1A') text.remove_suffix(1);
    return text;
}

}  // namespace

MapFileParse parseMapFile(std::string_view text, long long sampleLimit) {
    MapFileParse result;
    if (isUtf16(text)) {
        result.error = "UTF-16 text, save it as UTF-8 or ANSI";
        return result;
    }
    const std::string_view map = withoutWindowsMarks(text);
    const char* p = map.data();
    const char* const end = p + map.size();
    MapRecord record;
    double* coordinates = &record.points[0].x;
    int field = 0;
    // Complete records so far, kept or not.
    std::size_t complete = 0;
    const auto reject = [&](const char* at, const std::string& what) {
        // Records count from 1, as lines do.
        result.error = whereText(text, at, complete + 1) + what;
        result.records.clear();
        return result;
    };

    for (;;) {
        while (p != end && isSpace(*p)) ++p;
        if (p == end) break;
        const char* const token = p;
        if (field < valuesPerRecord - 1) {
            const char* tokenEnd = token;
            while (!endsToken(tokenEnd, end)) ++tokenEnd;
            double value = 0.0;
            const NumberProblem problem = readNumberText(token, tokenEnd, value);
            if (problem != NumberProblem::none)
                return reject(token, numberProblemText(quoteToken(token, end), problem));
            coordinates[field] = value;
            p = tokenEnd;
            ++field;
        } else {
            // from_chars takes nothing but digits for an integer, nor a leading '+'.
            const char* const digits = skipPlusSign(p, end);
            int value = 0;
            const std::from_chars_result r = std::from_chars(digits, end, value);
            if (r.ec == std::errc::invalid_argument || !endsToken(r.ptr, end))
                return reject(token, "resolution " + quoteToken(token, end) + " is not an integer");
            if (r.ec == std::errc::result_out_of_range || value < 0 || value > maxFileResolution)
                return reject(token, "resolution " + quoteToken(token, end) + " is outside 0 to " +
                                         std::to_string(maxFileResolution));
            record.resolution = value;
            ++complete;
            result.sampleTotal += samplesAtResolution(value);
            if (result.sampleTotal <= sampleLimit) {
                result.records.push_back(record);
            } else if (!result.records.empty()) {
                result.records.clear();
                result.records.shrink_to_fit();
            }
            p = r.ptr;
            field = 0;
        }
    }
    if (field > 0) {
        result.incompleteDropped = true;
        result.incompleteValues = field;
    }
    return result;
}

std::string formatMapFile(const std::vector<Segment>& segments) {
    std::string text;
    text.reserve(segments.size() * 64);
    // One record: nine values, their separators and a line end.
    char record[valuesPerRecord * (maxNumberLength + 1) + 1];
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Segment& s = segments[i];
        const ControlPoint points[4] = {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(),
                                        s.getEndPoint()};
        char* w = record;
        for (int k = 0; k < 4; ++k) {
            w = formatNumber(w, points[k].x);
            *w++ = ' ';
            w = formatNumber(w, points[k].y);
            *w++ = (k == 1 || k == 3) ? '\n' : ' ';
        }
        w = std::to_chars(w, w + maxNumberLength, s.getResolution()).ptr;
        // The file ends right after the last resolution.
        if (i + 1 < segments.size()) *w++ = '\n';
        text.append(record, w);
    }
    return text;
}

std::vector<Segment> segmentsFromRecords(const std::vector<MapRecord>& records) {
    std::vector<Segment> segments;
    segments.reserve(records.size());
    for (const MapRecord& r : records) {
        Segment s;
        s.setPoints(r.points[0].x, r.points[0].y, r.points[1].x, r.points[1].y, r.points[2].x, r.points[2].y,
                    r.points[3].x, r.points[3].y);
        s.setResolution(r.resolution);
        // A copy holds exactly its samples; the default segment's storage for
        // seven would stay with a moved one.
        segments.push_back(s);
    }
    return segments;
}

namespace {

// readMapFile and readMapInput once the text is read.
MapFileLoad loadMapText(std::string text, std::vector<Segment>& segments) {
    MapFileLoad load;
    // The whole file is checked before anything changes.
    MapFileParse parsed = parseMapFile(text);
    // What is read is kept no longer than needed: the segments made next are
    // the largest part of a load.
    std::string().swap(text);
    parsed.records.shrink_to_fit();
    if (!parsed.ok()) {
        load.status = MapFileRead::notAMap;
        load.reason = std::move(parsed.error);
        return load;
    }
    if (parsed.sampleTotal > sampleBudget) {
        load.status = MapFileRead::notAMap;
        load.reason = std::to_string(parsed.sampleTotal) + " points, more than the editor holds (" +
                      std::to_string(sampleBudget) + ")";
        return load;
    }
    if (parsed.incompleteDropped) {
        load.droppedRecord = static_cast<int>(parsed.records.size()) + 1;
        load.droppedValues = parsed.incompleteValues;
    }
    segments = segmentsFromRecords(parsed.records);
    load.status = MapFileRead::loaded;
    return load;
}

}  // namespace

MapFileLoad readMapFile(const char* path, std::vector<Segment>& segments) {
    std::string text;
    MapFileLoad load;
    if (!readWholeFile(path, text, nullptr, &load.reason)) return load;
    return loadMapText(std::move(text), segments);
}

MapFileLoad readMapInput(std::vector<Segment>& segments) {
    std::string text;
    MapFileLoad load;
    if (!readStandardInput(text, &load.reason)) return load;
    return loadMapText(std::move(text), segments);
}

FileWrite storeMapFile(const std::string& path, const std::vector<Segment>& segments,
                       TempFileFactory createTemp) {
    return storeFile(path, formatMapFile(segments), createTemp);
}
