// The floor for bench/idle_cpu: a GLUT program that only clears and swaps an
// 800 x 600 double-buffered window, paced like the editor (a frame when more
// than frameInterval ms have passed since the end of the last one, sleeping
// in between). Whatever CPU it uses is the cost of an empty frame loop.
#include <GL/freeglut.h>

#include <chrono>
#include <thread>

#include "FrameTimer.h"
#include "TickCounter.h"

namespace {

FrameTimer timer;

void display() {
    if (timer.frameDue(tickCount())) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFlush();
        glutSwapBuffers();
        timer.frameDrawn(tickCount());
    }
    const std::uint32_t wait = timer.timeUntilFrame(tickCount());
    if (wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(800, 600);
    glutCreateWindow("Map Editor idle floor");
    glutDisplayFunc(display);
    glutIdleFunc(display);
    timer.start(tickCount());
    glutMainLoop();
    return 0;
}
