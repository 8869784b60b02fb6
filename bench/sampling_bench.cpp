// Resampling one segment against a bare forward-differencing loop.
#include <benchmark/benchmark.h>

#include <vector>

#include "ControlPoint.h"
#include "Segment.h"

namespace {

// The limit: the cubic by forward differencing straight into a buffer that
// already has room, nothing else.
__attribute__((noinline)) void forwardDifferences(const double* p, int interior, ControlPoint* out) {
    const double h = 1.0 / (interior + 1.0);
    const double h2 = h * h;
    const double h3 = h2 * h;
    double f[2], df[2], ddf[2], dddf[2];
    for (int axis = 0; axis < 2; ++axis) {
        const double p0 = p[axis], p1 = p[2 + axis], p2 = p[4 + axis], p3 = p[6 + axis];
        const double a = p0 - 2.0 * p1 + p2;
        const double b = 3.0 * (p1 - p2) - p0 + p3;
        f[axis] = p0;
        df[axis] = 3.0 * h * (p1 - p0) + 3.0 * h2 * a + h3 * b;
        ddf[axis] = 6.0 * h2 * a + 6.0 * h3 * b;
        dddf[axis] = 6.0 * h3 * b;
    }
    *out++ = {p[0], p[1]};
    for (int k = 0; k < interior; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            f[axis] += df[axis];
            df[axis] += ddf[axis];
            ddf[axis] += dddf[axis];
        }
        *out++ = {f[0], f[1]};
    }
    *out = {p[6], p[7]};
}

void Sampling_Segment(benchmark::State& state) {
    const int resolution = static_cast<int>(state.range(0));
    Segment s;
    s.setResolution(resolution);
    double wobble = 0.0;
    for (auto _ : state) {
        // setPoints resamples, as every edit of a control point does.
        s.setPoints(0.0, 10.0, 0.5 + wobble, 18.0, 10.0, 18.0, 10.5, 10.0);
        benchmark::DoNotOptimize(s.getSamples().data());
        benchmark::ClobberMemory();
        wobble = wobble == 0.0 ? 0.25 : 0.0;
    }
    state.SetItemsProcessed(state.iterations() * (resolution + 2));
}
BENCHMARK(Sampling_Segment)->Arg(5)->Arg(50);

void Sampling_Limit(benchmark::State& state) {
    const int resolution = static_cast<int>(state.range(0));
    std::vector<ControlPoint> buffer(static_cast<std::size_t>(resolution) + 2);
    double points[8] = {0.0, 10.0, 0.5, 18.0, 10.0, 18.0, 10.5, 10.0};
    for (auto _ : state) {
        forwardDifferences(points, resolution, buffer.data());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
        points[2] = points[2] == 0.5 ? 0.75 : 0.5;
    }
    state.SetItemsProcessed(state.iterations() * (resolution + 2));
}
BENCHMARK(Sampling_Limit)->Arg(5)->Arg(50);

}  // namespace
