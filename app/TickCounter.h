#pragma once

#include <cstdint>

// Milliseconds from an arbitrary fixed start, as an unsigned 32-bit count that
// wraps after about 49.7 days. Only differences between readings mean anything.
std::uint32_t tickCount();
