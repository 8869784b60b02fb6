// Ctrl+S and the save's question answered by keys, the notice of a map file
// that is not the map on screen, and the keys panel (F1).

#include <gtest/gtest.h>

#include <string>

#include "Globals.h"
#include "InputRouting.h"
#include "KeysPanel.h"
#include "MapFileWatch.h"
#include "Messages.h"
#include "Notices.h"
#include "ScratchDir.h"
#include "ScreenFixture.h"
#include "TickCounter.h"
#include "WindowNotices.h"

namespace {

constexpr unsigned char ctrlS = 19, enter = '\r', escape = 27;
constexpr int f1 = 1;  // GLUT_KEY_F1

void typeKeys(const std::string& keys) {
    for (const char k : keys) {
        if (k == '1')
            specialCallback(f1, 0, 0);
        else
            keyboardCallback(static_cast<unsigned char>(k), 0, 0);
    }
}

}  // namespace

TEST_F(Screen, WhileCtrlSAsksViewKeysActAndF1TakesTheKeys) {
    // Ctrl+S then Enter or Escape is driven end to end; here the keys that
    // reach the view or the keys panel while the question is shown.
    const std::string s(1, static_cast<char>(ctrlS)), cr(1, static_cast<char>(enter)),
        esc(1, static_cast<char>(escape));
    const struct {
        std::string keys;   // '1' stands for F1
        bool asking;        // the question is shown after the keys
        ControlPoint view;  // the view keys act while the question is shown
    } cases[] = {
        {s + 'd' + esc, false, {-5, 10}},
        {cr + esc, false, {10, 10}},
        // The keys panel takes the keys while open: Enter answers nothing.
        {s + '1' + cr + "d1", true, {10, 10}},
        {'1' + esc + 'd', false, {-5, 10}},
    };
    for (const auto& c : cases) {
        SetUp();
        ScratchDir scratch;
        windowNotices().dismiss();
        testing::internal::CaptureStdout();
        typeKeys(c.keys);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(!confirmPanel.isHidden(), c.asking) << c.keys;
        EXPECT_FALSE(std::filesystem::exists("map.mef")) << c.keys;
        EXPECT_EQ(mapEditor.getViewOffset(), c.view) << c.keys;
        EXPECT_FALSE(keysPanelOpen()) << c.keys;
        confirmPanel.setHidden(true);
    }
}

TEST_F(Screen, TheQuestionSaysWhenTheFileIsNotTheMapOnScreen) {
    const struct {
        const char* name;
        const char* before;  // map.mef when the map was read; null: none
        bool remembered;     // the window read it
        const char* now;     // map.mef when Ctrl+S comes; null: none
        const char* notice;  // empty: none
    } cases[] = {
        {"no file", nullptr, false, nullptr, ""},
        {"read and unchanged", "a", true, "a", ""},
        {"changed on disk", "a", true, "b", "map.mef changed on disk since it was read; Yes replaces it"},
        {"removed since", "a", true, nullptr, ""},
        {"not read", "a", false, "a", "map.mef holds a map this window did not read (or could not); Yes replaces it"},
        {"unreadable when read", nullptr, true, "c", "map.mef holds a map this window did not read (or could not); Yes replaces it"},
    };
    for (const auto& c : cases) {
        SetUp();
        ScratchDir scratch;
        windowState.mapFileWatch = MapFileWatch();
        windowNotices().dismiss();
        if (c.before) writeFile("map.mef", c.before);
        if (c.remembered) windowState.mapFileWatch.remember("map.mef");
        std::filesystem::remove("map.mef");
        if (c.now) writeFile("map.mef", c.now);
        keyboardCallback(ctrlS, 0, 0);
        EXPECT_EQ(windowNotices().shown(tickCount()) ? windowNotices().latest() : "", c.notice) << c.name;
        keyboardCallback(escape, 0, 0);
        // Answered, the question's notice goes with it.
        EXPECT_FALSE(windowNotices().shown(tickCount())) << c.name;
    }
}

TEST_F(Screen, EveryKeysPanelLineFitsAndIsDrawnWhole) {
    static const bool built = (buildWindowNotices(), true);
    ASSERT_TRUE(built);
    // The 9 x 15 font reaches 4 pixels below the baseline, which lies 15 below a label's top.
    constexpr int textBottom = 15 + 4;
    for (int i = 0; i < keysPanelLineCount(); ++i) {
        EXPECT_LE(std::string(keysPanelLine(i)).size(), static_cast<std::size_t>(keysPanelColumnChars)) << i;
        for (const Label& below : keysLabels) {
            const Label& line = keysLabels[i];
            const bool sameColumn = below.getX() == line.getX(), lower = below.getY() > line.getY();
            // A face painted over a line's descenders cuts them ("j" read as ",j").
            if (sameColumn && lower && below.isFaced()) {
                EXPECT_GE(below.getY(), line.getY() + textBottom) << keysPanelLine(i);
            }
        }
    }
}
