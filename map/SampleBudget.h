#pragma once

// The most samples a map may hold, all its segments together: 100,000
// segments at the slider's highest resolution, 50. It bounds the memory of
// the window and of an export whatever a file or a run of commands asks for;
// the costliest map at the budget, 2,600,000 segments of resolution 0, stays
// under 1 GiB in either (the figures are in docs/robustness.md).
constexpr long long sampleBudget = 5200000;

// Samples of a segment of resolution `resolution`: its start point, the
// interior samples (none for a negative resolution) and its end point.
constexpr long long samplesAtResolution(long long resolution) { return (resolution > 0 ? resolution : 0) + 2; }
