// The entry point and the GLUT-facing parts of the editor: the window, the
// frame function, the projection and the bitmap font. Everything else runs
// without the windowing library.
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BatchRunner.h"
#include "BitmapFont.h"
#include "ClipboardKeys.h"
#include "CommandLine.h"
#include "DrawingConvert.h"
#include "EndSignal.h"
#include "FileTime.h"
#include "FrameLoop.h"
#include "Globals.h"
#include "GlyphAtlas.h"
#include "HeadlessCheck.h"
#include "HeadlessExport.h"
#include "InputRouting.h"
#include "Interface.h"
#include "KeysPanel.h"
#include "MapFolder.h"
#include "MessageOutput.h"
#include "Notices.h"
#include "ProgramArguments.h"
#include "StartMap.h"
#include "TickCounter.h"
#include "WindowIdentity.h"
#include "WindowNotices.h"

namespace {

void drawGlyph(void* font, int character) { glutBitmapCharacter(font, character); }

// OpenGL functions past 1.1, for the map layer cache and the glyph capture alike.
MapLayerCache::Proc loadGlFunction(const char* name) {
    return reinterpret_cast<MapLayerCache::Proc>(glutGetProcAddress(name));
}

// GLUT's 9 x 15 font, captured from glutBitmapCharacter into one texture before
// the first frame (offscreen where the driver can), so that each string is one
// draw call with the same pixels.
// When the capture fails the text is drawn character by character as before.
void captureFont() {
    if (windowState.fontCaptureTried) return;
    windowState.fontCaptureTried = true;
    windowState.glyphAtlas = GlyphAtlas::capture(drawGlyph, GLUT_BITMAP_9_BY_15, loadGlFunction);
    BitmapFont::atlas = windowState.glyphAtlas.get();
}

// Built with MAPEDITOR_BUSY_LOOP, the frame function never waits: a busy loop
// that shows what sleeping between frames saves.
#ifdef MAPEDITOR_BUSY_LOOP
constexpr bool waitBetweenFrames = false;
#else
constexpr bool waitBetweenFrames = true;
#endif

// The title as the run started it, with " *" while the map has unsaved changes.
void markTitle() {
    const bool unsaved = autosave.unsavedChanges();
    if (unsaved == windowState.titleMarked) return;
    windowState.titleMarked = unsaved;
    setWindowTitle(unsaved ? windowState.startTitle + " *" : windowState.startTitle);
}

// glutInit. freeglut on Windows takes a DISPLAY variable (set where an X
// server runs beside Windows, or under Wine) for the name of a display
// device, which does not exist ("CreateDC failed ... bad '-display'
// parameter"): it is hidden from glutInit, and kept for every program the
// editor starts.
void initGlutWithoutDisplayVariable(int* argc, char** argv) {
#ifdef _WIN32
    const char* display = std::getenv("DISPLAY");
    const std::string kept = display != nullptr ? "DISPLAY=" + std::string(display) : "";
    if (!kept.empty()) _putenv("DISPLAY=");
    glutInit(argc, argv);
    if (!kept.empty()) _putenv(kept.c_str());
#else
    glutInit(argc, argv);
#endif
}

}  // namespace

namespace {

// An end signal leaves through exit(), which writes the autosave.
void endOnSignal() {
    if (const int signal = pendingEndSignal()) {
        holdEndSignals();
        std::exit(endSignalExitStatus(signal));
    }
}

}  // namespace

// Display and idle callback alike. Between frames it sleeps until the next one
// is due, so an idle editor does not keep a core busy; the autosave is written
// between frames too.
void display() {
    endOnSignal();
    pollClipboard();
    const std::uint32_t wait = runFrame(windowState.frameTimer, tickCount, [] {
        updateNoticePanel(tickCount());
        markTitle();
        captureFont();
        drawScene();
        glutSwapBuffers();
    });
    autosave.tick(tickCount());
    if (waitBetweenFrames && wait > 0) std::this_thread::sleep_for(std::chrono::milliseconds(wait));
}

namespace {

// While the window cannot be seen there is no idle function: GLUT sleeps in
// its wait for events until this timer, which keeps what runs with time going
// (end signals, a notice's timeout, the title's mark, the autosave) without
// drawing. Each hiding starts its own chain of ticks; a tick of an older chain
// (the window was shown in between) ends it.
constexpr unsigned hiddenTickInterval = 50;

void hiddenTick(int chain) {
    if (!windowState.frameTimer.hidden() || chain != windowState.hiddenTickChain) return;
    endOnSignal();
    updateNoticePanel(tickCount());
    markTitle();
    autosave.tick(tickCount());
    glutTimerFunc(hiddenTickInterval, hiddenTick, chain);
}

// GLUT's window status: minimised, unmapped or fully covered, the window
// draws nothing until it can be seen again; then the idle function is back
// and the first frame is due at once.
void windowStatus(int status) {
    const bool hidden = status == GLUT_HIDDEN || status == GLUT_FULLY_COVERED;
    FrameTimer& timer = windowState.frameTimer;
    if (hidden == timer.hidden()) return;
    if (hidden) {
        timer.hide();
        glutIdleFunc(nullptr);
        glutTimerFunc(hiddenTickInterval, hiddenTick, ++windowState.hiddenTickChain);
    } else {
        timer.show(tickCount());
        glutIdleFunc(display);
        glutPostRedisplay();
    }
}

}  // namespace

// The window keeps its size: any other size is answered by asking for 800 x 600
// again. The projection is multiplied onto the current (modelview) matrix, which
// is reset first so it does not accumulate; one unit is one pixel, y down.
void reshape(int width, int height) {
    setDrawableSize(width, height);
    glLoadIdentity();
    glutReshapeWindow(800, 600);
    glViewport(0, 0, width, height);
    glOrtho(0, 800, 600, 0, -10, 10);
}

namespace {

// The status of a command-line mode, made 1 when its output did not all reach
// standard output (a full disk, a reader that closed the pipe), which a
// script must not take for success.
int withOutputChecked(int status) {
    if (!standardOutputFailed()) return status;
    writeMessage(stderr, "mapeditor: could not write to standard output\n");
    return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
    watchEndRequests();
    guardStandardStreams();
    // Messages appear at once even when standard output goes to a file or a pipe.
    writeMessagesAtOnce();

    CommandLine commandLine = parseCommandLine(programArguments(argc, argv));
    if (!enterMapFolder(commandLine)) return 1;
    switch (commandLine.action) {
        case CommandLine::Action::help:
            writeMessage(stdout, helpText());
            return withOutputChecked(0);
        case CommandLine::Action::version:
            writeMessage(stdout, versionText());
            return withOutputChecked(0);
        case CommandLine::Action::usageError:
            writeMessage(stderr, usageErrorText(commandLine));
            return usageExitStatus;
        case CommandLine::Action::exportMap:
            return withOutputChecked(exportWithoutWindow(commandLine.mapFile, commandLine.runBatch));
        case CommandLine::Action::check:
            return withOutputChecked(checkWithoutWindow(commandLine.mapFiles));
        case CommandLine::Action::convert:
            return withOutputChecked(convertWithoutWindow(commandLine.mapFile, commandLine.convertOutput,
                                                            consoleMessages(), commandLine.pictureSize));
        case CommandLine::Action::edit:
            break;
    }
    // Opened from the desktop, a map that cannot be read still opens the
    // window, with the initial map and the reason as a notice, so that a
    // double-click never does nothing; from a terminal it ends the run.
    Messages& startMessages = windowState.startMessages;
    const MapAtStart mapAtStart = prepareMapAtStart(mapEditor, commandLine, startMessages);
    if (mapAtStart == MapAtStart::unreadable && !commandLine.inMapFolder) return 1;
    // The map on screen is the file's only when the file was read for it: a
    // save over any other file says so while it asks.
    if (mapAtStart == MapAtStart::fileRead) windowState.mapFileWatch.remember(commandLine.mapFile);
    if (!startAutosave(mapEditor, autosave, commandLine, startMessages)) return 1;
    if (!importAtStart(mapEditor, commandLine, startMessages)) return 1;
    // Every way the window's run ends goes through exit(): a closed window, a
    // lost display (Xlib's handler) and the end signals alike.
    installEndSignalHandlers();
    // No exit status claims an autosave that could not be written: that
    // ends with status 1 (finish said why). Only _Exit may end a process
    // from an exit handler.
    std::atexit([] {
        holdEndSignals();
        if (autosave.finish()) return;
        std::fflush(nullptr);
        std::_Exit(1);
    });
    // An end signal while the export waits for copy.bat ends copy.bat too.
    watchEndSignalsDuringBatch(pendingEndSignal);

    // GLUT sees only the program name: a map file name is never taken for one of its options.
    int glutArgc = 1;
    initGlutWithoutDisplayVariable(&glutArgc, argv);
    // Closing the window ends the process through exit(), so global destructors run.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_EXIT);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(100, 100);
    glutInitWindowSize(800, 600);
    windowState.startTitle = windowTitle(commandLine);
    glutCreateWindow(windowState.startTitle.c_str());
    setWindowIdentity(windowState.startTitle);

    if (windowState.mapLayerCache.enable(loadGlFunction)) keysPanel.enable(loadGlFunction);

    glutDisplayFunc(display);
    // The projection is in place before GLUT's first reshape event.
    reshape(800, 600);
    glutReshapeFunc(reshape);
    glutMouseFunc(mouseCallback);
    glutMotionFunc(motionCallback);
    glutPassiveMotionFunc(passiveMotionCallback);
    glutSpecialFunc(specialCallback);
    glutKeyboardFunc(keyboardCallback);
    glutIdleFunc(display);
    glutWindowStatusFunc(windowStatus);

    windowState.frameTimer.start(tickCount());

    BitmapFont::font9by15 = GLUT_BITMAP_9_BY_15;
    BitmapFont::drawGlyph = drawGlyph;
    buildInterface();
    buildWindowNotices();
    mapEditor.setRefusalSink(
        [&messages = windowMessages()](const std::string& line) { messages.problemLine(line); });
    if (autosave.holdsEarlier()) showRecoveryOffer(fileModifiedLocalTime(autosave.path()));

    // One press at the top-left corner, routed like a user's, before any real event.
    mouseCallback(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    // GLUT knows the modifiers only within its own input callbacks: the press
    // above reads none.
    windowState.readModifiers = glutGetModifiers;

    glutMainLoop();
    return 0;
}
