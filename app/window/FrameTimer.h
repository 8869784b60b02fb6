#pragma once

#include <cstdint>

#include "TickCounter.h"

// The editor's intervals in milliseconds: a frame is drawn only when more
// than frameInterval ms have passed since the end of the last one; the fps
// counter is refreshed only when more than fpsInterval ms have passed since
// its last refresh.
constexpr int defaultFrameInterval = 10;
constexpr int defaultFpsInterval = 1000;

// The timing decisions of the frame function, driven by tick-counter readings
// passed in, so they can be exercised with made-up times.
class FrameTimer {
public:
    explicit FrameTimer(int frameInterval = defaultFrameInterval, int fpsInterval = defaultFpsInterval)
        : frameInterval(frameInterval), fpsInterval(fpsInterval) {}

    // Starts both periods at `now` with no frames counted, the window shown.
    void start(std::uint32_t now);

    // True when a frame should be drawn at `now`.
    bool frameDue(std::uint32_t now) const;
    // Records a frame whose drawing ended at `now`.
    void frameDrawn(std::uint32_t now);
    // Milliseconds from `now` until a frame is due: 0 when one is due already,
    // never more than frameInterval, so a caller that sleeps this long stays responsive.
    std::uint32_t timeUntilFrame(std::uint32_t now) const;

    // True when the fps period has run out at `now`.
    bool fpsDue(std::uint32_t now) const;
    // Closes the fps period at `now`: returns the frames drawn in it and starts a new one.
    int closeFpsPeriod(std::uint32_t now);

    // While the window cannot be seen no frame is due and the fps period
    // stands still. Shown again at `now`, a frame is due at once (when the
    // interval has passed since the last one) and a new fps period starts
    // there with no frames counted, so the counter counts only frames drawn
    // while the window could be seen.
    void hide();
    void show(std::uint32_t now);
    bool hidden() const { return isHidden; }

    int getFrameCount() const { return frameCount; }
    std::uint32_t getLastFrameTime() const { return lastFrameTime; }
    std::uint32_t getLastFpsTime() const { return lastFpsTime; }

private:
    int frameInterval;
    int fpsInterval;
    std::uint32_t lastFrameTime = 0;
    std::uint32_t lastFpsTime = 0;
    int frameCount = 0;
    bool isHidden = false;
};
