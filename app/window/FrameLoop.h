#pragma once

#include <cstdint>

#include "FrameTimer.h"
#include "GridPicture.h"
#include "MapDrawCache.h"
#include "MapEditor.h"
#include "MapLayerCache.h"

using TickSource = std::uint32_t (*)();
using FrameDrawer = void (*)();

// One call of the frame function. When a frame is due it runs `drawFrame`,
// records the frame with a fresh reading and puts the map's point count into
// the points counter (shown by the next frame); whether or not it drew, it
// refreshes the fps counter once the fps period has run out. Returns how many
// milliseconds the caller may sleep before the next frame is due (at most
// frameInterval).
std::uint32_t runFrame(FrameTimer& timer, TickSource readTicks, FrameDrawer drawFrame);

// The size of the window's drawable in pixels, as the last reshape gave it.
void setDrawableSize(int width, int height);
// The point of the 800 x 600 picture drawn under the drawable's pixel (x, y):
// a window given another size shows the picture scaled to fill it.
void toPicture(int& x, int& y);

// Puts `editor`'s map, over precision mode's grid when it is on, into the
// back buffer of a `width` x `height` window through `cache`, drawing with
// `drawing` and making the grid's picture in `grid`. False, with nothing
// drawn, when the cache is off or declines the frame.
bool drawMapLayer(MapLayerCache& cache, MapDrawCache& drawing, GridPicture& grid, const MapEditor& editor,
                  int width, int height);

// Sets the OpenGL state the controls draw with: smooth shading, the line
// width and the point size the map's drawing uses. Runs before the controls
// of every frame, whatever the map's drawing left set.
void setControlsDrawState();

// Clears to black, draws the map and then the controls over it, and flushes.
// Its caches are windowState's.
// With the map layer cache enabled, the black background and the map come
// from the cache instead: the same pixels, drawn only when the map changed.
void drawScene();
