// The notices of the window: what shows and for how long, which lines become
// notices, the notice and the recovery offer as controls, and the autosave
// that waits for the offer's answer.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FrameLoop.h"
#include "MapFile.h"
#include "Notices.h"
#include "ScratchDir.h"
#include "ScreenFixture.h"
#include "StartMap.h"
#include "WindowNotices.h"

namespace {

TEST(Notices, ShowTheLatestLineWithACountForTenSecondsOrUntilDismissed) {
    const std::uint32_t t = 0xFFFFF000u;  // the tick counter wraps in between
    const struct {
        const char* what;
        std::vector<std::uint32_t> posts;  // ticks after t, each posting "line <index>"
        bool dismissAfter;
        std::uint32_t at;  // tick after t that is looked at
        bool shown;
        int more;
    } cases[] = {
        {"nothing posted", {}, false, 0, false, 0},
        {"one line, last moment", {0}, false, Notices::lifetime - 1, true, 0},
        {"one line, gone", {0}, false, Notices::lifetime, false, 0},
        {"a later line restarts the time", {0, 9000}, false, 18000, true, 1},
        {"lines after the notice went start anew", {0, 10000, 10001}, false, 10001, true, 1},
        {"dismissed", {0, 1}, true, 2, false, 0},
    };
    for (const auto& c : cases) {
        Notices notices;
        for (std::size_t i = 0; i < c.posts.size(); ++i) notices.post("line " + std::to_string(i), t + c.posts[i]);
        if (c.dismissAfter) notices.dismiss();
        EXPECT_EQ(notices.shown(t + c.at), c.shown) << c.what;
        if (!c.shown) continue;
        EXPECT_EQ(notices.latest(), "line " + std::to_string(c.posts.size() - 1)) << c.what;
        EXPECT_EQ(notices.more(), c.more) << c.what;
    }
    EXPECT_EQ(Notices::fitted("abcdef", 6), "abcdef");
    EXPECT_EQ(Notices::fitted("abcdefg", 6), "abc...");
    EXPECT_EQ(Notices::fitted("abcdefg", 2), "..");
}

// Every problem line and every report that is a warning becomes a notice;
// what reaches the stream is what was said, whole.
TEST(Notices, ProblemsAndWarningReportsBecomeNotices) {
    ScratchDir scratch;
    std::FILE* stream = std::fopen("out.txt", "w+");
    ASSERT_NE(stream, nullptr);
    Notices notices;
    NoticeMessages messages(stream, stream, notices, [] { return std::uint32_t{5}; });
    messages.reportLine("Saved 2 segments, containing 13 points");
    EXPECT_FALSE(notices.shown(5));
    messages.report("0\n1\nWarning: gnd.pts: no rename, saved in place\n");
    EXPECT_EQ(notices.latest(), "Warning: gnd.pts: no rename, saved in place");
    messages.problem("Warning: first fault\nWarning: second fault\n");
    messages.problemLine("Append Point refused: 5200001 points, more than the editor holds (5200000)");
    EXPECT_EQ(notices.latest(), "Append Point refused: 5200001 points, more than the editor holds (5200000)");
    EXPECT_EQ(notices.more(), 3);
    std::fclose(stream);
    EXPECT_EQ(readFile("out.txt"),
              "Saved 2 segments, containing 13 points\n0\n1\nWarning: gnd.pts: no rename, saved in place\n"
              "Warning: first fault\nWarning: second fault\nAppend Point refused: 5200001 points, more than "
              "the editor holds (5200000)\n");
}

class WindowNoticesEnvironment : public testing::Environment {
public:
    void SetUp() override { buildWindowNotices(); }
};
const testing::Environment* const windowNoticesEnvironment =
    testing::AddGlobalTestEnvironment(new WindowNoticesEnvironment);

class WindowNotices : public Screen {
protected:
    void SetUp() override {
        Screen::SetUp();
        windowNotices().dismiss();
        updateNoticePanel(0);
        offerPanel.setHidden(true);
    }
};

// The message row is cut to what fits, split over its two labels; a click
// inside the notice dismisses it, a click outside reaches what lies there.
TEST_F(WindowNotices, TheNoticeShowsTheLatestLineAndTakesOnlyItsOwnClicks) {
    const std::string longLine = "File output error: " + std::string(100, 'x');
    windowNotices().post("Warning: earlier", 0);
    windowNotices().post(longLine, 0);
    updateNoticePanel(0);
    ASSERT_FALSE(noticePanel.isHidden());
    const std::string fitted = Notices::fitted(longLine, noticeColumns);
    EXPECT_EQ(std::string(noticeTextLabels[0].getText()) + noticeTextLabels[1].getText(), fitted);
    EXPECT_EQ(std::string(noticeCountLabel.getText()), "and 1 more; click to dismiss");

    // Just outside the notice (above it, and left of it) a click selects the
    // map's point there or does nothing; the notice stays.
    for (const auto& [x, y] : {std::pair{300, 504}, std::pair{119, 520}}) {
        clickAt(x, y);
        EXPECT_FALSE(noticePanel.isHidden()) << x << ", " << y;
    }
    const std::uint64_t map = mapEditor.revision();
    clickAt(400, 520);
    EXPECT_TRUE(noticePanel.isHidden());
    EXPECT_EQ(mapEditor.revision(), map);
    updateNoticePanel(1);
    EXPECT_TRUE(noticePanel.isHidden());
    windowNotices().post("Warning: later", 2);
    updateNoticePanel(2 + Notices::lifetime - 1);
    EXPECT_FALSE(noticePanel.isHidden());
    EXPECT_EQ(std::string(noticeCountLabel.getText()), "click to dismiss");
    updateNoticePanel(2 + Notices::lifetime);
    EXPECT_TRUE(noticePanel.isHidden());
}

// A window given another size shows the picture scaled: a click lands on what
// is drawn under the pointer.
TEST_F(WindowNotices, AClickInAScaledWindowLandsOnWhatIsDrawnThere) {
    windowNotices().post("Warning: scaled", 0);
    updateNoticePanel(0);
    setDrawableSize(1024, 749);
    clickAt(1024 * 130 / 800, 749 * 500 / 600);  // above the notice in the picture
    const bool keptByAClickAbove = !noticePanel.isHidden();
    clickAt(1024 * 130 / 800, 749 * 520 / 600);
    setDrawableSize(800, 600);
    EXPECT_TRUE(keptByAClickAbove);
    EXPECT_TRUE(noticePanel.isHidden());
}

// Until the offer is answered the earlier autosave is neither replaced nor
// removed, and an unanswered run's changes go to a spare file that the next
// start names. Recover brings the autosave's map as one undo step, unsaved;
// Discard removes the earlier file. A click on the offer never reaches the map.
TEST_F(WindowNotices, TheRecoveryOfferHoldsTheEarlierAutosaveUntilAnswered) {
    ScratchDir scratch;
    MapEditor earlierEditor;
    earlierEditor.appendSegment();
    earlierEditor.appendSegment();
    const std::string earlier = formatMapFile(earlierEditor.getSegments());
    const CommandLine commandLine = parseCommandLine({"map.mef"});
    for (const char* answer : {"none", "none", "Recover", "Discard"}) {
        autosave.mapLoaded(false);  // the autosave of the run before is an earlier run's now
        writeFile("map.mef.autosave", earlier);
        mapEditor = MapEditor();
        std::FILE* out = std::tmpfile();
        ASSERT_NE(out, nullptr);
        StreamMessages messages(out, out);
        ASSERT_TRUE(prepareMapAtStart(mapEditor, commandLine, messages));
        ASSERT_TRUE(startAutosave(mapEditor, autosave, commandLine, messages));
        std::fclose(out);
        ASSERT_TRUE(autosave.holdsEarlier()) << answer;
        showRecoveryOffer("2026-12-07 21:12:27");
        EXPECT_EQ(std::string(offerLabels[1].getText()), "from 2026-12-07 21:12:27?");
        const std::uint64_t map = mapEditor.revision();
        clickAt(400, 290);  // the offer's label
        EXPECT_EQ(mapEditor.revision(), map) << answer;
        appendPointPressed();
        if (answer == std::string("Recover")) {
            clickAt(300, 325);
            EXPECT_EQ(formatMapFile(mapEditor.getSegments()), earlier);
            EXPECT_TRUE(autosave.unsavedChanges());
            mapEditor.undo();
            EXPECT_NE(formatMapFile(mapEditor.getSegments()), earlier);
        } else if (answer == std::string("Discard")) {
            clickAt(490, 325);
            EXPECT_FALSE(std::filesystem::exists("map.mef.autosave"));
        }
        EXPECT_EQ(offerPanel.isHidden(), answer != std::string("none")) << answer;
        EXPECT_EQ(autosave.holdsEarlier(), answer == std::string("none")) << answer;
        for (std::uint32_t t = 0; t <= 2u * Autosave::delay; t += 1000) autosave.tick(t);
        yesPressed();  // a save, whose file the answer does not concern
        appendPointPressed();
        ASSERT_TRUE(autosave.finish());
        if (answer == std::string("none")) {
            EXPECT_EQ(readFile("map.mef.autosave"), earlier);
        }
        std::remove("map.mef");
    }
    // The unanswered runs left their changes in spare files, which the next start names.
    EXPECT_EQ(readFile("map.mef.autosave-2"), readFile("map.mef.autosave-3"));
    std::FILE* out = std::fopen("start.txt", "w");
    ASSERT_NE(out, nullptr);
    StreamMessages messages(out, out);
    mapEditor = MapEditor();
    startAutosave(mapEditor, autosave, commandLine, messages);
    std::fclose(out);
    const std::string start = readFile("start.txt");
    EXPECT_NE(start.find(" are in map.mef.autosave-2; open that file to continue them\n"), std::string::npos) << start;
    EXPECT_NE(start.find(" are in map.mef.autosave-3; open that file"), std::string::npos) << start;
}

}  // namespace
