// The ground points export at 1,000, 10,000 and 100,000 segments, into memory:
// what the export writes to "gnd.pts" and prints, without the disk.
#include <benchmark/benchmark.h>

#include <charconv>
#include <string>
#include <vector>

#include "Courses.h"
#include "GroundFile.h"

namespace {

const std::vector<Segment>& courseOf(int count) {
    static const std::vector<Segment> longest = longCourse(100000, 5, 99);
    static std::vector<Segment> shorter[2] = {std::vector<Segment>(longest.begin(), longest.begin() + 1000),
                                              std::vector<Segment>(longest.begin(), longest.begin() + 10000)};
    return count == 1000 ? shorter[0] : count == 10000 ? shorter[1] : longest;
}

long long sampleCount(const std::vector<Segment>& segments) {
    long long n = 0;
    for (const Segment& s : segments) n += static_cast<long long>(s.getSamples().size());
    return n;
}

void Export_GroundFile(benchmark::State& state) {
    const std::vector<Segment>& segments = courseOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string listing = sharedStartPointListing(segments);
        std::string text;
        benchmark::DoNotOptimize(appendGroundFile(text, segments));
        benchmark::DoNotOptimize(listing.data());
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(segments.size()));
}
BENCHMARK(Export_GroundFile)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The listing as first written, every start point against every other: for
// comparison only (at 100,000 segments it would take many seconds a run).
void Export_PairwiseListing(benchmark::State& state) {
    const std::vector<Segment>& segments = courseOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::string listing;
        for (std::size_t i = 0; i < segments.size(); ++i)
            for (std::size_t j = 0; j < segments.size(); ++j)
                if (segments[j].getStartPoint() == segments[i].getStartPoint())
                    listing += std::to_string(j) + "\n";
        benchmark::DoNotOptimize(listing.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(segments.size()));
}
BENCHMARK(Export_PairwiseListing)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The limit for the ground text: to_chars of every written sample into a
// buffer that already has room, with the same fixed columns.
void Export_ToCharsLimit(benchmark::State& state) {
    const std::vector<Segment>& segments = courseOf(static_cast<int>(state.range(0)));
    std::vector<char> buffer(static_cast<std::size_t>(sampleCount(segments)) * 48 + 256);
    static const char rest[] = " -0.00000 1.00000\n";
    for (auto _ : state) {
        char* w = buffer.data();
        char* const end = w + buffer.size();
        for (const Segment& s : segments) {
            const std::vector<ControlPoint>& samples = s.getSamples();
            for (std::size_t k = 1; k < samples.size(); ++k) {
                w = std::to_chars(w, end, samples[k].x, std::chars_format::general, 6).ptr;
                *w++ = ' ';
                w = std::to_chars(w, end, -samples[k].y, std::chars_format::general, 6).ptr;
                for (const char* r = rest; *r; ++r) *w++ = *r;
            }
        }
        benchmark::DoNotOptimize(buffer.data());
        benchmark::DoNotOptimize(w);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long long>(segments.size()));
}
BENCHMARK(Export_ToCharsLimit)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
