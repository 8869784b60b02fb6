#pragma once

// The most samples a map may hold, all its segments together. It bounds the
// memory of the window and of an export whatever a file or a run of commands
// asks for: a map at the budget needs well under 1 GiB in either (the
// figures are in the README). It holds 100,000 segments at the slider's
// highest resolution, 50.
constexpr long long sampleBudget = 8000000;

// Samples of a segment of resolution `resolution`: its start point, the
// interior samples (none for a negative resolution) and its end point.
constexpr long long samplesAtResolution(long long resolution) { return (resolution > 0 ? resolution : 0) + 2; }
