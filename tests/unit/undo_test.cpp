// The undo history: every kind of step undone and redone to exactly the state
// before and after it, what is no step, and the bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "EditorFiles.h"
#include "MapEditor.h"
#include "MapWindow.h"
#include "MapFile.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"

namespace {

constexpr ButtonAction press = ButtonAction::press;
constexpr ButtonAction release = ButtonAction::release;

void drag(MapEditor& editor, int x0, int y0, int x1, int y1, DragModifiers modifiers = {}) {
    editor.mouse(press, x0, y0, modifiers);
    editor.motion((x0 + x1) / 2, (y0 + y1) / 2);
    editor.motion(x1, y1);
    editor.mouse(release, x1, y1);
}

void click(MapEditor& editor, int x, int y) {
    editor.mouse(press, x, y);
    editor.mouse(release, x, y);
}

// Everything an undo restores, bit for bit, and the saved file.
struct State {
    std::string saved;
    std::vector<std::uint64_t> bits;
    std::uint64_t contentId;
    int points;

    bool operator==(const State& o) const {
        return saved == o.saved && bits == o.bits && contentId == o.contentId && points == o.points;
    }
};

// `save`: through a real save in the working directory; otherwise the text a save writes.
State stateOf(MapEditor& editor, bool save = false) {
    State state{{}, {}, editor.contentId(), editor.pointCount()};
    const auto add = [&](double v) {
        std::uint64_t b;
        std::memcpy(&b, &v, sizeof b);
        state.bits.push_back(b);
    };
    for (const Segment& s : editor.getSegments()) {
        for (const ControlPoint& p : s.controlPoints()) add(p.x), add(p.y);
        state.bits.push_back(static_cast<std::uint64_t>(s.getResolution()));
        state.bits.push_back(s.isSelected());
    }
    for (const Marker& m : editor.getMarkers()) add(m.getX()), add(m.getY());
    add(editor.getRestLocation().x), add(editor.getRestLocation().y);
    if (save) {
        saveMapFile(editor, windowMessages());
        state.saved = readFile("map.mef");
    } else {
        state.saved = formatMapFile(editor.getSegments());
    }
    return state;
}

}  // namespace

TEST(Undo, EveryKindOfStepIsUndoneAndRedoneExactly) {
    // The initial map: junction at (115, 110), first start point at (10, 110),
    // second start handle alone at (130, 90), the marker centred at (13, 20).
    struct Case {
        const char* name;
        std::function<void(MapEditor&)> arrange, act;
    };
    const auto nothing = [](MapEditor&) {};
    const Case cases[] = {
        {"drag of a junction", nothing, [](MapEditor& e) { drag(e, 115, 110, 200, 150); }},
        {"drag of the marker", nothing, [](MapEditor& e) { drag(e, 13, 20, 60, 60); }},
        {"slider gesture", [](MapEditor& e) { click(e, 10, 110); },
         [](MapEditor& e) {
             for (int n : {9, 30, 0, 12}) e.setResolutionOfSelected(n);
             e.mouse(release, 400, 590);
         }},
        {"append", nothing, [](MapEditor& e) { e.appendSegment(); }},
        {"insert", [](MapEditor& e) { click(e, 10, 110); }, [](MapEditor& e) { e.splitSelected(); }},
        {"remove with a rejoin",
         [](MapEditor& e) {
             e.appendSegment();
             click(e, 130, 90);
         },
         [](MapEditor& e) { e.removeSelected(); }},
        {"smooth", [](MapEditor& e) { click(e, 115, 110); }, [](MapEditor& e) { e.shaping().smoothSelected(); }},
        {"straighten", [](MapEditor& e) { click(e, 10, 110); }, [](MapEditor& e) { e.shaping().straightenSelected(); }},
        {"Shift drag of a junction's handle",  // the other handle's segment is not near the press
         nothing,
         [](MapEditor& e) {
             drag(e, 130, 90, 150, 130, {true, false});
         }},
        {"Shift and Ctrl drag of a junction", nothing,
         [](MapEditor& e) {
             drag(e, 115, 110, 170, 130, {true, true});
         }},
        {"load", [](MapEditor& e) { e.keyboard('d'); },
         [](MapEditor& e) { e.loadChain({makeSegment(1, 2, 3, 4, 5, 6, 7, 8, 9)}); }},
    };
    ScratchDir scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MapEditor editor;
        c.arrange(editor);
        const std::size_t steps = editor.getHistory().undoCount();
        const State before = stateOf(editor, true);
        c.act(editor);
        const State after = stateOf(editor, true);
        ASSERT_EQ(editor.getHistory().undoCount(), steps + 1);
        ASSERT_FALSE(before == after);
        EXPECT_NE(after.contentId == before.contentId, c.name != std::string("drag of the marker"));
        const ControlPoint view = editor.getViewOffset();

        ASSERT_TRUE(editor.undo());
        const State undone = stateOf(editor, true);
        EXPECT_TRUE(undone == before) << undone.saved << "\nexpected\n" << before.saved;
        EXPECT_EQ(editor.getViewOffset(), view);
        for (const Segment& s : editor.getSegments()) {
            EXPECT_EQ(s.getViewOffset(), view);
            EXPECT_EQ(s.getDragPoint(), PointRole::none);
        }
        ASSERT_TRUE(editor.redo());
        const State redone = stateOf(editor, true);
        EXPECT_TRUE(redone == after) << redone.saved << "\nexpected\n" << after.saved;
        EXPECT_FALSE(editor.redo());
    }
}

TEST(Undo, WhatChangesNothingIsNoStep) {
    const std::function<void(MapEditor&)> gestures[] = {
        [](MapEditor& e) { click(e, 115, 110); },                      // a press that only selects
        [](MapEditor& e) { drag(e, 115, 110, 115, 110); },             // a drag back to where it began
        [](MapEditor& e) { e.setResolutionOfSelected(5); },            // the resolution it has
        [](MapEditor& e) { e.removeSelected(); },                      // nothing selected
        [](MapEditor& e) { e.splitSelected(); },                       // nothing selected
        [](MapEditor& e) { e.keyboard('a'), e.zoomAt(400, 300, 2); },  // the view
    };
    for (const auto& gesture : gestures) {
        MapEditor editor;
        click(editor, 300, 300);
        const std::uint64_t id = editor.contentId();
        gesture(editor);
        editor.mouse(release, 0, 0);
        EXPECT_EQ(editor.getHistory().undoCount(), 0u);
        EXPECT_EQ(editor.contentId(), id);
        EXPECT_FALSE(editor.undo());
    }
}

// Ids coming back with their states are checked by the walk below and by the
// autosave's table; here: a new step after an undo drops the redo, with a new id.
TEST(Undo, ANewStepAfterAnUndoDropsTheRedo) {
    MapEditor editor;
    const std::uint64_t start = editor.contentId();
    editor.appendSegment();
    const std::uint64_t appended = editor.contentId();
    EXPECT_TRUE(editor.undo() && editor.contentId() == start);
    EXPECT_FALSE(editor.undo());  // the map the editor started with is the bottom
    editor.appendSegment();
    EXPECT_FALSE(editor.redo());
    EXPECT_NE(editor.contentId(), appended);
    EXPECT_NE(editor.contentId(), start);
}

TEST(Undo, TheOldestStepsGoFirstBeyondTheBounds) {
    MapEditor editor;
    for (int i = 0; i < 1001; ++i) editor.appendSegment();
    EXPECT_EQ(editor.getHistory().undoCount(), 1000u);
    while (editor.undo()) {
    }
    EXPECT_EQ(editor.segmentCount(), 3);  // the first append can no longer be undone

    // The byte bound: room for two loads of this chain, not three.
    std::vector<Segment> chain(1000, makeSegment(1, 2, 3, 4, 5, 6, 7, 8));
    editor.loadChain(chain);
    const std::size_t small = editor.getHistory().bytes();
    editor.loadChain(chain);
    const std::size_t oneLoad = editor.getHistory().bytes() - small;
    editor.setHistoryLimits(1000, 2 * oneLoad + oneLoad / 2);
    editor.loadChain(chain);
    EXPECT_EQ(editor.getHistory().undoCount(), 2u);
}

// A load whose step (the chain it replaced) alone passes the byte bound stays
// undoable, whatever came before it: the older steps go, the load's stays.
TEST(Undo, ALoadLargerThanTheByteBoundCanBeUndone) {
    const std::vector<Segment> big = wanderingChain(7, 1000, {6.0, 3.0, 9, -40, 120, -30, 90});
    struct Case {
        const char* name;
        std::function<void(MapEditor&)> before;
    };
    const Case cases[] = {
        {"nothing", [](MapEditor&) {}},
        {"a drag and an undone append",
         [](MapEditor& e) { drag(e, 100, 100, 140, 170), e.appendSegment(), e.undo(); }},
        {"a load of the big map", [&big](MapEditor& e) { e.loadChain(big); }},
    };
    for (const Case& c : cases) {
        MapEditor editor;
        editor.setHistoryLimits(1000, 4096);
        editor.replaceChain(big);
        c.before(editor);
        const State before = stateOf(editor);
        editor.loadChain(big);
        const State loaded = stateOf(editor);
        EXPECT_GT(editor.getHistory().bytes(), 4096u) << c.name;
        EXPECT_EQ(editor.getHistory().undoCount(), 1u) << c.name;
        ASSERT_TRUE(editor.undo()) << c.name;
        EXPECT_TRUE(stateOf(editor) == before) << c.name;
        ASSERT_TRUE(editor.redo()) << c.name;
        EXPECT_TRUE(stateOf(editor) == loaded) << c.name;
    }
}

// A seeded random walk of steps, then undone to the bottom and redone to the
// top: every state comes back exactly, and the segment index, the point count
// and the selection a press clears stay right throughout.
TEST(Undo, RandomStepsUndoAndRedoThroughEveryState) {
    // Wider than the window, so that the index has segments to leave out.
    const Walk walk = {6.0, 3.0, 9, -40, 120, -30, 90};
    for (unsigned seed : {3u, 4u, 5u}) {
        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        MapEditor editor;
        editor.replaceChain(wanderingChain(seed, 200, walk));
        std::vector<State> states{stateOf(editor)};
        const auto check = [&](const State& expected, const char* what) {
            std::vector<std::size_t> shown, scanned;
            editor.visibleSegments(shown);
            for (int i = 0; i < editor.segmentCount(); ++i)
                if (editor.segment(i).mayShowIn(mapWindowWidth, mapWindowHeight)) scanned.push_back(i);
            ASSERT_EQ(shown, scanned) << what;
            ASSERT_TRUE(stateOf(editor) == expected) << what << " seed " << seed;
            MapEditor probe = editor;  // a press far away deselects everything
            click(probe, -5000, -5000);
            for (const Segment& s : probe.getSegments()) ASSERT_FALSE(s.isSelected()) << what;
        };
        for (int n = 0; n < 120; ++n) {
            const int kind = pick(9);
            if ((kind < 4 || kind == 8) && editor.segmentCount() > 0) {
                const Segment& s = editor.segment(pick(editor.segmentCount()));
                const ControlPoint p = s.controlPoints()[pick(4)];
                const int x = static_cast<int>(p.x * 10 + 1), y = static_cast<int>(p.y * 10 + 1);
                if (kind == 8) {
                    click(editor, x, y);
                } else {
                    drag(editor, x, y, x + pick(401) - 200, y + pick(401) - 200);
                }
            } else if (kind == 4) {
                for (int k = pick(3); k >= 0; --k) editor.setResolutionOfSelected(pick(12));
                editor.mouse(release, 0, 0);
            } else if (kind == 5) {
                editor.segmentCount() < 300 ? editor.splitSelected() : editor.removeSelected();
            } else if (kind == 6) {
                pick(3) == 0 ? editor.appendSegment() : editor.removeSelected();
            } else {
                editor.loadChain(wanderingChain(seed + n, pick(300), walk));
            }
            // What made no step (a press that only selects) belongs to the state before the next one.
            if (editor.getHistory().undoCount() == states.size()) states.emplace_back();
            states.back() = stateOf(editor);
            ASSERT_EQ(editor.getHistory().undoCount() + 1, states.size());
        }
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            ASSERT_TRUE(editor.undo());
            check(states[i - 1], "undo");
        }
        while (editor.redo()) check(states[editor.getHistory().undoCount()], "redo");
    }
}
