#include "TickCounter.h"

#include <chrono>

std::uint32_t tickCount() {
    using namespace std::chrono;
    const auto sinceStart = duration_cast<milliseconds>(steady_clock::now().time_since_epoch());
    // Keeping the low 32 bits gives a counter that wraps like a system tick count.
    return static_cast<std::uint32_t>(sinceStart.count());
}

bool intervalPassed(std::uint32_t now, std::uint32_t since, int interval) {
    if (interval < 0) return true;
    const std::uint32_t elapsed = now - since;
    return elapsed > static_cast<std::uint32_t>(interval);
}
