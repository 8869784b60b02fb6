#include "FrameLoop.h"

#include <GL/gl.h>

#include "Globals.h"
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

void drawScene() {
    bool mapDrawn = false;
    if (mapLayerCache.enabled()) {
        mapDrawn =
            mapLayerCache.draw(drawableWidth, drawableHeight, mapEditor.revision(), [] { mapEditor.draw(); });
    }
    if (!mapDrawn) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        mapEditor.draw();
    }
    guiManager.drawAll();
    drawPrecisionReadout();
    glFlush();
}
