#include "FrameLoop.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "Globals.h"
#include "GridPicture.h"
#include "MapDraw.h"
#include "PrecisionTools.h"

void setDrawableSize(int width, int height) {
    windowState.drawableWidth = width;
    windowState.drawableHeight = height;
}

void toPicture(int& x, int& y) {
    const int drawableWidth = windowState.drawableWidth;
    const int drawableHeight = windowState.drawableHeight;
    // Wide arithmetic: a pointer far outside the window must not overflow.
    if (drawableWidth > 0) x = static_cast<int>(static_cast<long long>(x) * 800 / drawableWidth);
    if (drawableHeight > 0) y = static_cast<int>(static_cast<long long>(y) * 600 / drawableHeight);
}

std::uint32_t runFrame(FrameTimer& timer, TickSource readTicks, FrameDrawer drawFrame) {
    if (timer.frameDue(readTicks())) {
        drawFrame();
        // Measured from the end of the frame, so a slow frame does not shorten the pause after it.
        timer.frameDrawn(readTicks());
        pointsCounter.setCount(mapEditor.pointCount());
    }
    // This runs as the idle function too: a call that draws nothing reads the
    // clock twice, and the fps check's reading also gives the wait.
    const std::uint32_t now = readTicks();
    if (timer.fpsDue(now)) fpsCounter.setNumber(timer.closeFpsPeriod(readTicks()));
    return timer.timeUntilFrame(now);
}

bool drawMapLayer(MapLayerCache& cache, MapDrawCache& drawing, GridPicture& grid, const MapEditor& editor,
                  int width, int height) {
    if (!cache.enabled()) return false;
    // The grid's picture goes under the map in place of the clear; it
    // matches the drawn grid only at the picture's own size.
    if (editor.precision().isOn() && width == mapWindowWidth && height == mapWindowHeight) {
        const std::vector<std::uint32_t>& picture = grid.update(editor.getViewOffset(), editor.getZoom(),
                                                                editor.precision().gridStep(), width, height);
        return cache.draw(
            width, height, editor.revision(), [&] { editor.drawMapOnly(drawing); }, picture.data());
    }
    return cache.draw(width, height, editor.revision(), [&] { editor.draw(drawing); });
}

void setControlsDrawState() {
    glShadeModel(GL_SMOOTH);
    glLineWidth(1.2f);
    glPointSize(3.0f);
}

void drawScene() {
    WindowState& state = windowState;
    if (!drawMapLayer(state.mapLayerCache, state.mapDrawing, state.gridPicture, mapEditor,
                      state.drawableWidth, state.drawableHeight)) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mapEditor.draw(state.mapDrawing);
    }
    ControlPoint bandFrom, bandTo;
    mapEditor.many().pickedInWindow(state.pickedPoints);
    drawPicked(state.pickedPoints);
    if (mapEditor.many().band(bandFrom, bandTo)) drawBand(bandFrom, bandTo);
    setControlsDrawState();
    guiManager.drawAll();
    drawPrecisionReadout();
    glFlush();
}
