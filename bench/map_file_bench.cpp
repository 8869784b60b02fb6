// Reading and writing a 100,000-segment "map.mef" in memory, against bare
// std::from_chars / std::to_chars loops (the limit) and the stream and printf
// ways of doing it.
#include <benchmark/benchmark.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "Courses.h"
#include "MapFile.h"

namespace {

constexpr int fileSegments = 100000;

const std::vector<Segment>& course() {
    static const std::vector<Segment> segments = longCourse(fileSegments, 5, 4242);
    return segments;
}

const std::string& mapText() {
    static const std::string text = formatMapFile(course());
    return text;
}

inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void MapRead_Reader(benchmark::State& state) {
    const std::string& text = mapText();
    for (auto _ : state) {
        MapFileParse parsed = parseMapFile(text);
        if (parsed.records.size() != fileSegments) state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(parsed.records.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(MapRead_Reader)->Unit(benchmark::kMillisecond);

// The limit: from_chars over the same text into a buffer that already has room.
void MapRead_FromCharsLimit(benchmark::State& state) {
    const std::string& text = mapText();
    std::vector<double> values(static_cast<std::size_t>(fileSegments) * 9);
    for (auto _ : state) {
        const char* p = text.data();
        const char* const end = p + text.size();
        std::size_t k = 0;
        for (;;) {
            while (p != end && isSpace(*p)) ++p;
            if (p == end) break;
            if (k % 9 == 8) {
                int resolution = 0;
                p = std::from_chars(p, end, resolution).ptr;
                values[k] = resolution;
            } else {
                p = std::from_chars(p, end, values[k]).ptr;
            }
            ++k;
        }
        if (k != values.size()) state.SkipWithError("wrong value count");
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(MapRead_FromCharsLimit)->Unit(benchmark::kMillisecond);

void MapRead_StreamReader(benchmark::State& state) {
    const std::string& text = mapText();
    for (auto _ : state) {
        std::istringstream in(text);
        std::vector<MapRecord> records;
        MapRecord r;
        while (in >> r.points[0].x >> r.points[0].y >> r.points[1].x >> r.points[1].y >> r.points[2].x >>
               r.points[2].y >> r.points[3].x >> r.points[3].y >> r.resolution)
            records.push_back(r);
        if (records.size() != fileSegments) state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(records.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(MapRead_StreamReader)->Unit(benchmark::kMillisecond);

// The whole load after the file is in memory: parse, then build and sample the segments.
void MapRead_ReaderToSegments(benchmark::State& state) {
    const std::string& text = mapText();
    for (auto _ : state) {
        std::vector<Segment> segments = segmentsFromRecords(parseMapFile(text).records);
        benchmark::DoNotOptimize(segments.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}
BENCHMARK(MapRead_ReaderToSegments)->Unit(benchmark::kMillisecond);

void MapWrite_Writer(benchmark::State& state) {
    for (auto _ : state) {
        std::string text = formatMapFile(course());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(mapText().size()));
}
BENCHMARK(MapWrite_Writer)->Unit(benchmark::kMillisecond);

// The nine values of each segment, flat, for the bare loops.
std::vector<double> flatValues() {
    std::vector<double> values;
    for (const Segment& s : course()) {
        for (const ControlPoint& p :
             {s.getStartPoint(), s.getStartHandle(), s.getEndHandle(), s.getEndPoint()}) {
            values.push_back(p.x);
            values.push_back(p.y);
        }
        values.push_back(s.getResolution());
    }
    return values;
}

// The limit: to_chars of the same values with the same separators into a
// buffer that already has room.
void MapWrite_ToCharsLimit(benchmark::State& state) {
    const std::vector<double> values = flatValues();
    std::vector<char> buffer(mapText().size() + 64);
    for (auto _ : state) {
        char* w = buffer.data();
        char* const end = w + buffer.size();
        for (std::size_t k = 0; k < values.size(); k += 9) {
            for (int i = 0; i < 8; ++i) {
                w = std::to_chars(w, end, values[k + i], std::chars_format::general, 6).ptr;
                *w++ = (i == 3 || i == 7) ? '\n' : ' ';
            }
            w = std::to_chars(w, end, static_cast<int>(values[k + 8])).ptr;
            *w++ = '\n';
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::DoNotOptimize(w);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(mapText().size()));
}
BENCHMARK(MapWrite_ToCharsLimit)->Unit(benchmark::kMillisecond);

void MapWrite_Snprintf(benchmark::State& state) {
    const std::vector<double> values = flatValues();
    std::vector<char> buffer(mapText().size() + 64);
    for (auto _ : state) {
        char* w = buffer.data();
        char* const end = w + buffer.size();
        for (std::size_t k = 0; k < values.size(); k += 9) {
            w += std::snprintf(w, end - w, "%g %g %g %g\n%g %g %g %g\n%d\n", values[k], values[k + 1],
                               values[k + 2], values[k + 3], values[k + 4], values[k + 5], values[k + 6],
                               values[k + 7], static_cast<int>(values[k + 8]));
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::DoNotOptimize(w);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(mapText().size()));
}
BENCHMARK(MapWrite_Snprintf)->Unit(benchmark::kMillisecond);

}  // namespace
