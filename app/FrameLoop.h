#pragma once

#include <cstdint>

#include "FrameTimer.h"

// The frame and fps timing of the running program.
extern FrameTimer frameTimer;

using TickSource = std::uint32_t (*)();
using FrameDrawer = void (*)();

// One call of the frame function. When a frame is due it runs `drawFrame`,
// records the frame with a fresh reading and puts the map's point count into
// the points counter (shown by the next frame); whether or not it drew, it
// refreshes the fps counter once the fps period has run out. Returns how many
// milliseconds the caller may sleep before the next frame is due (at most
// frameInterval).
std::uint32_t runFrame(FrameTimer& timer, TickSource readTicks, FrameDrawer drawFrame);

// Clears to black, draws the map and then the controls over it, and flushes.
void drawScene();
