// The notices of the window: what shows and for how long, which lines become
// notices, the notice and the recovery offer as controls, and the autosave
// that waits for the offer's answer.
#include <gtest/gtest.h>

#include <algorithm>
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
        std::vector<std::uint32_t> posts;  // ticks after t
        bool dismissed;
        std::uint32_t at;  // the tick after t looked at
        bool shown;
        int more;
    } cases[] = {
        {{}, false, 0, false, 0},          {{0}, false, Notices::lifetime - 1, true, 0},
        {{0}, false, Notices::lifetime, false, 0}, {{0, 9000}, false, 18000, true, 1},
        {{0, 10000, 10001}, false, 10001, true, 1}, {{0, 1}, true, 2, false, 0},
    };
    for (const auto& c : cases) {
        Notices notices;
        for (std::size_t i = 0; i < c.posts.size(); ++i) notices.post("line " + std::to_string(i), t + c.posts[i]);
        if (c.dismissed) notices.dismiss();
        EXPECT_EQ(notices.shown(t + c.at), c.shown) << c.at;
        EXPECT_EQ(c.shown ? notices.more() : 0, c.more) << c.at;
    }
}

// What the window's Latin-1 font can draw shows as itself; everything else,
// broken UTF-8 and control characters included, as "?".
TEST(Notices, Utf8NamesShowInTheFontsLatin1) {
    const struct {
        std::string said, shown;
    } cases[] = {
        {"K\xC3\xA4se \xC2\xA0\xC3\xBF~ ", "K\xE4se \xA0\xFF~ "},
        {"h\xC3\xBCgel \xE2\x82\xAC" "5 \xF0\x9F\x98\x80", "h\xFCgel ?5 ?"},  // U+20AC and U+1F600
        {"\x1B[2J\x7F\xC2\x85\t", "?[2J???"},                              // C0, DEL, C1 (U+0085)
        {"\xC3( \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", "?( ?? ??? ????"},  // broken, overlong, surrogate, past U+10FFFF
        {"K\xE4se \xE2\x82", "K?se ??"},  // Latin-1 bytes, a sequence cut by the end
    };
    for (const auto& c : cases) EXPECT_EQ(Notices::latin1(c.said), c.shown) << c.said;
}

// A line too long for the row loses the middle of its name, not its reason;
// only when the name cannot give enough is the end cut.
TEST(Notices, ALongNameIsShortenedInItsMiddle) {
    const std::string path = "/home/user/" + std::string(60, 'd') + "/map.mef";
    const struct {
        std::string line;
        std::size_t columns;
        std::string shown;
    } cases[] = {
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 6, "abc..."},  // no name
        {"File input error: " + path + ": Permission denied", 60,
         "File input error: /home/user...dd/map.mef: Permission denied"},
        {"Warning: position X \"" + std::string(40, '1') + "2\" is not a number", 50,
         "Warning: position X \"1111...11112\" is not a number"},
        {"Warning: a: b: " + std::string(60, 'r'), 30, "Warning: a: b: rrrrrrrrrrrr..."},  // the reason is the long part
        {"E: abcdefgh: why", 14, "E: a...gh: why"},
        {"E: abcdefgh: why", 13, "E: a...h: why"},  // one character left on each side
        {"E: abcdefgh: why", 12, "E: abcdef..."},   // not even that
    };
    for (const auto& c : cases) {
        const std::string shown = Notices::fitted(c.line, c.columns);
        EXPECT_EQ(shown, c.shown) << c.line;
        EXPECT_EQ(shown.size(), std::min(c.line.size(), c.columns)) << c.line;
    }
}

// Every problem line and every warning report becomes a notice; the stream
// gets what was said, whole.
TEST(Notices, ProblemsAndWarningReportsBecomeNotices) {
    ScratchDir scratch;
    std::FILE* stream = std::fopen("out.txt", "wb+");
    ASSERT_NE(stream, nullptr);
    Notices notices;
    NoticeMessages messages(stream, stream, notices, [] { return std::uint32_t{5}; });
    const std::string said = "Saved 2 segments, containing 13 points\n0\n1\n";
    messages.report(said);
    EXPECT_FALSE(notices.shown(5));
    messages.report("Warning: gnd.pts: a mount point, saved in place\n");
    messages.problem("Warning: first fault\nWarning: second fault\n");
    EXPECT_EQ(notices.latest(), "Warning: second fault");
    EXPECT_EQ(notices.more(), 2);
    std::fclose(stream);
    EXPECT_EQ(readFile("out.txt"),
              said + "Warning: gnd.pts: a mount point, saved in place\nWarning: first fault\nWarning: second fault\n");
}

class WindowNotices : public Screen {
protected:
    void SetUp() override {
        static const bool built = (buildWindowNotices(), true);
        ASSERT_TRUE(built);
        Screen::SetUp();
        offerPanel.setHidden(true);
    }
};

// The message row, cut to what fits, is split over its two labels; only a
// click inside the notice dismisses it, also in a window of another size,
// whose picture is scaled to fill it.
TEST_F(WindowNotices, TheNoticeShowsTheLatestLineAndTakesOnlyItsOwnClicks) {
    const std::string longLine = "File output error: " + std::string(100, 'x');
    windowNotices().post("Warning: earlier", 0);
    windowNotices().post(longLine, 0);
    updateNoticePanel(0);
    EXPECT_EQ(std::string(noticeTextLabels[0].getText()) + noticeTextLabels[1].getText(),
              Notices::fitted(longLine, noticeColumns));
    EXPECT_EQ(std::string(noticeCountLabel.getText()), "and 1 more; click to dismiss");
    // A UTF-8 name too long for the row: drawn in Latin-1, its middle left out.
    windowNotices().post("File input error: /home/j\xC3\xBCrgen/" + std::string(60, 'd') + "/K\xC3\xA4se.mef: Permission denied", 0);
    updateNoticePanel(0);
    EXPECT_EQ(std::string(noticeTextLabels[0].getText()) + noticeTextLabels[1].getText(),
              "File input error: /home/j\xFCrgen/dd...ddddddd/K\xE4se.mef: Permission denied");
    setDrawableSize(1024, 749);
    for (const auto& [x, y] : {std::pair{300, 504}, std::pair{119, 520}, std::pair{400, 520}}) {
        EXPECT_FALSE(noticePanel.isHidden()) << x << ", " << y;
        clickAt(x * 1024 / 800, y * 749 / 600);
    }
    setDrawableSize(800, 600);
    EXPECT_TRUE(noticePanel.isHidden());
}

// Until the offer is answered the earlier autosave is neither replaced nor
// removed (a save neither), and an unanswered run's changes go to a spare
// file that the next start names. Recover brings the autosave's map as one
// undo step, unsaved; Discard removes the earlier file. A click on the offer
// never reaches the map.
TEST_F(WindowNotices, TheRecoveryOfferHoldsTheEarlierAutosaveUntilAnswered) {
    ScratchDir scratch;
    const std::string earlier = "0 10 0.5 18\n10 18 10.5 10\n5";
    const CommandLine commandLine = parseCommandLine({"map.mef"});
    StreamMessages quiet(std::tmpfile(), std::tmpfile());
    for (const std::string answer : {"none", "none", "Recover", "Discard"}) {
        autosave.mapLoaded(false);  // the run before is an earlier run now
        writeFile("map.mef.autosave", earlier);
        mapEditor = MapEditor();
        ASSERT_TRUE(startAutosave(mapEditor, autosave, commandLine, quiet));
        showRecoveryOffer("2026-12-07 21:12:27");
        const MapRevision map = mapEditor.revision();
        clickAt(400, 290);
        EXPECT_EQ(mapEditor.revision(), map);
        appendPointPressed();
        if (answer == "Recover") {
            clickAt(300, 325);
            EXPECT_EQ(formatMapFile(mapEditor.getSegments()), earlier);
            mapEditor.undo();
        }
        if (answer == "Discard") clickAt(490, 325);
        EXPECT_EQ(std::filesystem::exists("map.mef.autosave"), answer != "Discard") << answer;
        EXPECT_EQ(autosave.holdsEarlier(), answer == "none") << answer;
        for (std::uint32_t t = 0; t <= 2u * Autosave::delay; t += 1000) autosave.tick(t);
        yesPressed();
        appendPointPressed();
        ASSERT_TRUE(autosave.finish());
        EXPECT_EQ(readFile("map.mef.autosave") == earlier, answer == "none") << answer;
    }
    std::FILE* out = std::fopen("start.txt", "wb");
    ASSERT_NE(out, nullptr);
    StreamMessages messages(out, out);
    startAutosave(mapEditor, autosave, commandLine, messages);
    std::fclose(out);
    for (const char* spare : {"map.mef.autosave-2", "map.mef.autosave-3"})
        EXPECT_NE(readFile("start.txt").find(std::string(" are in ") + spare + "; open that file to continue"),
                  std::string::npos)
            << readFile("start.txt");
}

}  // namespace
