#include "FrameTimer.h"

#include <algorithm>

void FrameTimer::start(std::uint32_t now) {
    lastFrameTime = now;
    lastFpsTime = now;
    frameCount = 0;
    isHidden = false;
}

bool FrameTimer::frameDue(std::uint32_t now) const {
    return !isHidden && intervalPassed(now, lastFrameTime, frameInterval);
}

void FrameTimer::frameDrawn(std::uint32_t now) {
    lastFrameTime = now;
    ++frameCount;
}

std::uint32_t FrameTimer::timeUntilFrame(std::uint32_t now) const {
    if (isHidden) return static_cast<std::uint32_t>(frameInterval);
    if (frameDue(now)) return 0;
    // Not due means 0 <= elapsed <= frameInterval; the frame is due one tick after the interval.
    const std::uint32_t elapsed = now - lastFrameTime;
    const std::uint32_t interval = static_cast<std::uint32_t>(frameInterval);
    return std::min(interval + 1 - elapsed, interval);
}

bool FrameTimer::fpsDue(std::uint32_t now) const {
    return !isHidden && intervalPassed(now, lastFpsTime, fpsInterval);
}

int FrameTimer::closeFpsPeriod(std::uint32_t now) {
    const int frames = frameCount;
    frameCount = 0;
    lastFpsTime = now;
    return frames;
}

void FrameTimer::hide() { isHidden = true; }

void FrameTimer::show(std::uint32_t now) {
    if (!isHidden) return;
    isHidden = false;
    lastFpsTime = now;
    frameCount = 0;
}
