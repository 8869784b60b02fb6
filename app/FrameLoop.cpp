#include "FrameLoop.h"

#include <GL/gl.h>

#include "Globals.h"

FrameTimer frameTimer;

std::uint32_t runFrame(FrameTimer& timer, TickSource readTicks, FrameDrawer drawFrame) {
    if (timer.frameDue(readTicks())) {
        drawFrame();
        // Measured from the end of the frame, so a slow frame does not shorten the pause after it.
        timer.frameDrawn(readTicks());
        pointsCounter.setNumber(mapEditor.pointCount());
    }
    if (timer.fpsDue(readTicks())) fpsCounter.setNumber(timer.closeFpsPeriod(readTicks()));
    return timer.timeUntilFrame(readTicks());
}

void drawScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    mapEditor.draw();
    guiManager.drawAll();
    glFlush();
}
