#include "FrameLoop.h"

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "Globals.h"
#include "GridPicture.h"
#include "MapDraw.h"
#include "PrecisionTools.h"

FrameTimer frameTimer;
MapLayerCache mapLayerCache;

namespace {

int drawableWidth = 800;
int drawableHeight = 600;

}  // namespace

void setDrawableSize(int width, int height) {
    drawableWidth = width;
    drawableHeight = height;
}

void toPicture(int& x, int& y) {
    // Wide arithmetic: a pointer far outside the window must not overflow.
    if (drawableWidth > 0) x = static_cast<int>(static_cast<long long>(x) * 800 / drawableWidth);
    if (drawableHeight > 0) y = static_cast<int>(static_cast<long long>(y) * 600 / drawableHeight);
}

std::uint32_t runFrame(FrameTimer& timer, TickSource readTicks, FrameDrawer drawFrame) {
    if (timer.frameDue(readTicks())) {
        drawFrame();
        // Measured from the end of the frame, so a slow frame does not shorten the pause after it.
        timer.frameDrawn(readTicks());
        pointsCounter.setNumber(mapEditor.pointCount());
    }
    // This runs as the idle function too: a call that draws nothing reads the
    // clock twice, and the fps check's reading also gives the wait.
    const std::uint32_t now = readTicks();
    if (timer.fpsDue(now)) fpsCounter.setNumber(timer.closeFpsPeriod(readTicks()));
    return timer.timeUntilFrame(now);
}

bool drawMapLayer(MapLayerCache& cache, const MapEditor& editor, int width, int height) {
    if (!cache.enabled()) return false;
    // The grid's picture goes under the map in place of the clear; it
    // matches the drawn grid only at the picture's own size.
    if (editor.precisionOn() && width == mapWindowWidth && height == mapWindowHeight) {
        static GridPicture gridPicture;
        const std::vector<std::uint32_t>& grid =
            gridPicture.update(editor.getViewOffset(), editor.getZoom(), editor.currentGridStep(), width, height);
        return cache.draw(width, height, editor.revision(), [&] { editor.drawMapOnly(); }, grid.data());
    }
    return cache.draw(width, height, editor.revision(), [&] { editor.draw(); });
}

void drawScene() {
    if (!drawMapLayer(mapLayerCache, mapEditor, drawableWidth, drawableHeight)) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mapEditor.draw();
    }
    guiManager.drawAll();
    drawPrecisionReadout();
    glFlush();
}
