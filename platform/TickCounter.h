#pragma once

#include <cstdint>

// Milliseconds from an arbitrary fixed start, as an unsigned 32-bit count that
// wraps after about 49.7 days. Only differences between readings mean anything.
std::uint32_t tickCount();

// True when more than `interval` ms lie between `since` and `now`. The
// difference is taken modulo 2^32, so the test keeps working when the tick
// counter wraps between the two readings. A negative interval has always passed.
bool intervalPassed(std::uint32_t now, std::uint32_t since, int interval);
