// A seeded random soak of the whole editor without a window: presses,
// releases, motion with and without a button and keys (Ctrl+Z and Ctrl+Y
// among them) go through the same routing as the GLUT callbacks, mixed with
// the commands (append, remove, insert, slider, save, load, export with no
// batch file) in a scratch directory. After every event the map and the
// screen must still hold together: every segment sampled into
// max(resolution, 0) + 2 finite points, the points count matching its
// formula, exactly one visible member in each bar pair, and a save that loads
// back to the same bytes.
//
// MAPEDITOR_SOAK_SEED and MAPEDITOR_SOAK_EVENTS override the seed and length.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "Decimal.h"
#include "FrameLoop.h"
#include "FrameTimer.h"
#include "Globals.h"
#include "InputRouting.h"
#include "Interface.h"
#include "MapFile.h"
#include "ScratchDir.h"

namespace {

constexpr int press = 0;    // GLUT_DOWN
constexpr int release = 1;  // GLUT_UP

// Above this many segments the soak removes rather than adds, so that the
// checks after each event stay cheap.
constexpr int chainLimit = 48;

unsigned long envNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    return std::strtoul(text, nullptr, 10);
}

// Sends standard output and error to /dev/null while the file commands and
// the export's shell talk, so the test log stays readable.
class Quiet {
public:
    Quiet() {
        std::fflush(nullptr);
        std::fflush(stdout);
        std::fflush(stderr);
        savedOut = ::dup(1);
        savedErr = ::dup(2);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::close(null);
    }
    ~Quiet() {
        std::fflush(nullptr);
        ::dup2(savedOut, 1);
        ::dup2(savedErr, 2);
        ::close(savedOut);
        ::close(savedErr);
    }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    int savedOut, savedErr;
};

// Window pixels of the controls a random event may aim at.
struct Spot {
    int x, y;
};
const Spot controlSpots[] = {
    {770, 20},   // file bar "Max" / "Min"
    {445, 20},   // "Load QUIV File"
    {587, 20},   // "Save QUIV File"
    {707, 20},   // "Export Map"
    {430, 340},  // "Yes"
    {495, 340},  // "No"
    {770, 55},   // point bar "Max" / "Min"
    {457, 55},   // "Append Point"
    {577, 55},   // "Insert Point"
    {697, 55},   // "Remove Point"
    {400, 590},  // the slider
    {380, 20},   // inside the file bar, between buttons
    {30, 540},   // the counters
};

std::uint32_t fakeTicks = 0;
std::uint32_t readFakeTicks() { return fakeTicks; }
int framesDrawn = 0;
void countFrame() { ++framesDrawn; }

class Soak {
public:
    explicit Soak(unsigned long seed) : random(static_cast<std::mt19937::result_type>(seed)) {}

    // One random event, or a short burst that makes a gesture.
    void step() {
        {
            Quiet quiet;
            dispatch();
        }
        ++events;
        verifyFileCommand();
        advanceClock();
        check();
    }

    void dispatch() {
        const int kind = pick(1000);
        if (kind < 220) {
            const Spot s = target();
            passiveMotionCallback(s.x, s.y);
            pointer = s;
        } else if (kind < 400) {
            const Spot s = chance(4) ? pointer : target();
            mouseCallback(pick(3), press, s.x, s.y);
            pointer = s;
        } else if (kind < 560) {
            mouseCallback(pick(3), release, pointer.x, pointer.y);
        } else if (kind < 780) {
            // Motion with a button held: small steps from where the pointer is, or a jump.
            Spot s = pointer;
            if (chance(5)) {
                s = target();
            } else {
                s.x += pick(41) - 20;
                s.y += pick(41) - 20;
            }
            motionCallback(s.x, s.y);
            pointer = s;
        } else if (kind < 880) {
            static const unsigned char common[] = {'a', 'd', 'w', 's', 'A', ' ', 'q', '\r', 27, 25, 26};
            const unsigned char key =
                chance(2) ? common[pick(sizeof common)] : static_cast<unsigned char>(pick(256));
            keyboardCallback(key, pointer.x, pointer.y);
            if (chance(10)) specialCallback(pick(120), pointer.x, pointer.y);
        } else if (kind < 996) {
            command();
        } else {
            fileCommand();
        }
    }

    void check() {
        const std::vector<Segment>& chain = mapEditor.getSegments();
        long expectedPoints = 1;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            const Segment& s = chain[i];
            const std::size_t interior = static_cast<std::size_t>(std::max(s.getResolution(), 0));
            ASSERT_EQ(s.getSamples().size(), interior + 2) << where() << "segment " << i;
            for (const ControlPoint& p : s.getSamples())
                ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << where() << "segment " << i;
            expectedPoints += static_cast<long>(interior) + 1;
        }
        ASSERT_EQ(mapEditor.pointCount(), expectedPoints) << where();
        ASSERT_NE(filePanel.isHidden(), fileMaxPanel.isHidden()) << where() << "file bar pair";
        ASSERT_NE(pointPanel.isHidden(), pointMaxPanel.isHidden()) << where() << "point bar pair";
        ASSERT_GE(resolutionSlider.getValue(), 0) << where();
        ASSERT_LE(resolutionSlider.getValue(), 50) << where();
    }

    long events = 0;
    int saves = 0, loads = 0, loadsCompared = 0, exports = 0, corruptions = 0, frames = 0;

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    bool chance(int oneIn) { return pick(oneIn) == 0; }

    std::string where() const { return "after event " + std::to_string(events) + ": "; }

    // Where an event happens: a control point of the map, a control, or anywhere
    // in and a little around the window.
    Spot target() {
        const int kind = pick(10);
        const std::vector<Segment>& chain = mapEditor.getSegments();
        if (kind < 4 && !chain.empty()) {
            const Segment& s = chain[pick(static_cast<int>(chain.size()))];
            const std::vector<ControlPoint> points = s.controlPoints();
            const ControlPoint& p = points[pick(4)];
            const double px = p.x * 10.0 + s.getViewOffset().x;
            const double py = p.y * 10.0 + s.getViewOffset().y;
            if (std::fabs(px) < 5000 && std::fabs(py) < 5000)
                return {static_cast<int>(px) + pick(7) - 3, static_cast<int>(py) + pick(7) - 3};
        }
        if (kind < 7) return controlSpots[pick(sizeof controlSpots / sizeof controlSpots[0])];
        return {pick(900) - 50, pick(700) - 50};
    }

    // The commands behind the controls, called as their buttons would.
    void command() {
        const bool full = mapEditor.segmentCount() >= chainLimit;
        switch (pick(8)) {
            case 0:
                if (!full) appendPointPressed();
                break;
            case 1:
                removePointPressed();
                break;
            case 2:
                if (!full) insertPointPressed();
                break;
            case 3:
                // The slider as a drag would leave it, then its command.
                resolutionSlider.setValue(pick(51));
                resolutionChanged();
                break;
            case 4:
                chance(2) ? minimizePressed() : maximizePressed();
                break;
            case 5:
                chance(2) ? pointMinimizePressed() : pointMaximizePressed();
                break;
            case 6:
                savePressed();
                break;
            default:
                noPressed();
                break;
        }
        // The command may have removed every segment (Ctrl+A selects them all).
        if (full && mapEditor.segmentCount() > 0) {
            // Select a segment by its start point and remove it.
            const Segment& s = mapEditor.segment(pick(mapEditor.segmentCount()));
            const int x = static_cast<int>(s.getStartPoint().x * 10.0 + s.getViewOffset().x);
            const int y = static_cast<int>(s.getStartPoint().y * 10.0 + s.getViewOffset().y);
            mapEditor.mouse(ButtonAction::press, x, y);
            mapEditor.mouse(ButtonAction::release, x, y);
            removePointPressed();
        }
    }

    // Save, load and export in the scratch directory, now and then with a
    // damaged "map.mef" in place. Presses on "Yes" and "Load QUIV File" save
    // and load too; whatever wrote the file, a save writes exactly the map's
    // text, and that text loads back to a map that saves to the same bytes.
    void fileCommand() {
        const int kind = pick(10);
        if (kind < 4) {
            yesPressed();
            ++saves;
            savedCheck = true;
        } else if (kind < 8) {
            fileBeforeLoad = std::filesystem::exists("map.mef") ? readFile("map.mef") : damagedText;
            loadPressed();
            ++loads;
            loadCheck = fileBeforeLoad != damagedText;
        } else if (kind < 9) {
            // A damaged file: cut short, a word in it, or binary noise.
            std::string text = std::filesystem::exists("map.mef") ? readFile("map.mef") : "";
            switch (pick(3)) {
                case 0:
                    text.resize(text.empty() ? 0
                                             : static_cast<std::size_t>(pick(static_cast<int>(text.size()))));
                    break;
                case 1:
                    text.insert(
                        text.empty() ? 0 : static_cast<std::size_t>(pick(static_cast<int>(text.size()))),
                        " nan ");
                    break;
                default:
                    for (int i = 0; i < 16; ++i) text += static_cast<char>(pick(256));
                    break;
            }
            writeFile("map.mef", text);
            damagedText = text;
            ++corruptions;
        } else {
            exportPressed();
            ++exports;
        }
    }

    void verifyFileCommand() {
        if (savedCheck) {
            savedCheck = false;
            ASSERT_EQ(readFile("map.mef"), formatMapFile(mapEditor.getSegments()))
                << where() << "the saved file";
            ASSERT_TRUE(confirmPanel.isHidden()) << where();
        }
        if (loadCheck) {
            loadCheck = false;
            ASSERT_EQ(formatMapFile(mapEditor.getSegments()), fileBeforeLoad) << where() << "the loaded map";
            ASSERT_EQ(mapEditor.getMarkers().size(), 0u) << where();
            ++loadsCompared;
        }
    }

    // Runs the frame function with a made-up clock and a drawer that draws
    // nothing; a drawn frame puts the point count into the counter.
    void advanceClock() {
        fakeTicks += static_cast<std::uint32_t>(pick(8));
        const int before = framesDrawn;
        runFrame(windowState.frameTimer, readFakeTicks, countFrame);
        if (framesDrawn != before) {
            ++frames;
            ASSERT_STREQ(pointsCounter.getText(), toShortDecimal(mapEditor.pointCount()).data())
                << where();
        }
    }

    std::mt19937 random;
    Spot pointer{0, 0};
    bool savedCheck = false, loadCheck = false;
    std::string fileBeforeLoad;
    // What the last damage left in "map.mef"; a missing file counts as damaged.
    std::string damagedText = "\x01missing";
};

TEST(Soak, RandomEventsAndCommandsKeepTheEditorConsistent) {
    const unsigned long seed = envNumber("MAPEDITOR_SOAK_SEED", 20240611);
    const long count = static_cast<long>(envNumber("MAPEDITOR_SOAK_EVENTS", 250000));
    std::printf("soak seed %lu, %ld events (MAPEDITOR_SOAK_SEED / MAPEDITOR_SOAK_EVENTS to change)\n", seed,
                count);

    ScratchDir scratch;  // no "copy.bat" here: the export's batch run does nothing
    ASSERT_TRUE(buildInterface());
    resetWindowState();
    // The start-up press at (0, 0), routed like a real one.
    mouseCallback(0, press, 0, 0);
    windowState.frameTimer.start(fakeTicks);

    Soak soak(seed);
    soak.check();
    while (soak.events < count && !testing::Test::HasFatalFailure()) soak.step();

    std::printf(
        "soak: %ld events, %d frames, %d saves, %d loads (%d compared with the save), "
        "%d damaged files, %d exports, %d segments at the end\n",
        soak.events, soak.frames, soak.saves, soak.loads, soak.loadsCompared, soak.corruptions, soak.exports,
        mapEditor.segmentCount());
    EXPECT_EQ(soak.events, count);
    // The mix reached every kind of file command.
    EXPECT_GT(soak.saves, 0);
    EXPECT_GT(soak.loadsCompared, 0);
    EXPECT_GT(soak.exports, 0);
}

}  // namespace
