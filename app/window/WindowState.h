#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FrameTimer.h"
#include "GlyphAtlas.h"
#include "GridPicture.h"
#include "MapDrawCache.h"
#include "MapFileWatch.h"
#include "MapLayerCache.h"
#include "Messages.h"
#include "Segment.h"
#include "TickCounter.h"

// Reads the held modifier keys as GLUT's bit mask (Shift is 1); the entry
// point sets it to glutGetModifiers. Without it no modifier counts as held.
using ModifierSource = int (*)();

// What the window keeps from one call to the next and starts its run with:
// resetWindowState (Globals.h) puts all of it back to these values.
struct WindowStart {
    // The frame and fps timing of the running program.
    FrameTimer frameTimer;
    // The chain of timer ticks that keeps time while the window is hidden.
    int hiddenTickChain = 0;
    // The map drawing's scratch, and precision mode's grid as a picture.
    MapDrawCache mapDrawing;
    GridPicture gridPicture;
    // The picked points of a group in window pixels, drawn over the map's picture.
    std::vector<ControlPoint> pickedPoints;
    // The size of the window's drawable in pixels, as the last reshape gave it.
    int drawableWidth = 800;
    int drawableHeight = 600;

    ModifierSource readModifiers = nullptr;
    // Where the pointer was last seen in the picture, for precision mode's
    // readout; -1 until it moves.
    int pointerX = -1;
    int pointerY = -1;

    // The points the entry panel was opened for and the chain's length then,
    // to tell at Enter whether they are still the ones picked.
    std::vector<std::pair<std::size_t, PointRole>> entryPoints;
    std::size_t entryChainLength = 0;
    // A full field says so once, not for every key that follows.
    bool fullFieldSaid = false;

    // The map file as this run last read or wrote it, and the notice that
    // said, when the save's question came, that the file is not the map's.
    MapFileWatch mapFileWatch;
    std::string saveQuestionNotice;

    // Whether the keys panel (F1) is open.
    bool keysPanelOpen = false;

    // The version of windowNotices() the notice panel shows.
    std::uint64_t shownNoticeVersion = 0;

    // The title as the run started it; " *" is added while the map has unsaved changes.
    std::string startTitle;
    bool titleMarked = false;
};

// Everything the window keeps from one call to the next besides the objects
// the layout names (Globals.h): its one instance, windowState, is defined in
// Globals.cpp, and no function of the window keeps state of its own. What a
// reset keeps is what holds GL objects, made once with the window's context,
// and the start's messages, which hold no state of their own.
struct WindowState : WindowStart {
    // The map's picture between frames; off until enabled with a context current.
    MapLayerCache mapLayerCache;

    // GLUT's 9 x 15 font captured into one texture, tried once before the
    // first frame; empty when the capture failed.
    bool fontCaptureTried = false;
    std::unique_ptr<GlyphAtlas> glyphAtlas;

    // What the start of the window's run says: reports on standard output,
    // problems on standard error and as notices.
    NoticeMessages startMessages{stdout, stderr, windowNotices(), tickCount};
};
