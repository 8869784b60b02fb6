// The ground outline check: "mapeditor --check" on small maps with known
// answers, and the export's warnings.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "EditorFiles.h"
#include "Export.h"
#include "GroundFile.h"
#include "GroundGeometry.h"
#include "GroundReport.h"
#include "HeadlessCheck.h"
#include "HeadlessExport.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "ScratchDir.h"

namespace {

// A stream to a new file in the working directory, and everything written to it.
std::FILE* newStream(const char* name) { return std::fopen(name, "w+b"); }

std::string contentOf(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;) text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

struct CheckRun {
    int status;
    std::string out;
    std::string err;
};

CheckRun checkFile(const std::string& name) {
    std::FILE* out = newStream("check.out");
    std::FILE* err = newStream("check.err");
    StreamMessages messages(out, err);
    const int status = checkWithoutWindow(name, messages);
    return {status, contentOf(out), contentOf(err)};
}

// A seeded course running to the right, 3 map units a segment, well above the
// feet and below x 100,000: a simple outline.
std::string randomSoundCourse(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> height(20.0, 40.0), bend(-2.0, 2.0);
    std::vector<Segment> chain(static_cast<std::size_t>(count));
    double x = 0.0, y = 30.0;
    for (Segment& s : chain) {
        const double ny = height(random);
        s.setPoints(x, y, x + 1, y + bend(random), x + 2, ny + bend(random), x + 3, ny);
        x += 3;
        y = ny;
    }
    return formatMapFile(chain);
}

// Straight pieces have resolution 0 or their handles on their ends, so that
// the outline can be worked out by hand (y is negated in the outline). The
// loop's crossing was worked out from its eight samples on their own.
TEST(GroundCheck, SmallMapsWithKnownAnswers) {
    ScratchDir scratch;
    const struct {
        const char* name;
        std::string map;
        int status;
        std::string out;
    } cases[] = {
        {"initial.mef", formatMapFile(MapEditor().getSegments()), 0, ""},
        {"loop.mef", "0 10 12 0\n-2 0 10 10\n7", 1, "loop.mef: segment 1: crosses itself at (5, -4.11337)\n"},
        {"fold.mef", "0 10 0 10\n10 10 10 10\n0\n10 10 10 10\n5 5 5 5\n0\n5 5 5 5\n5 12 5 12\n0", 1,
         "fold.mef: segments 1 and 3: cross at (5, -10)\n"},
        {"below.mef", "0 10 0 10\n10 500 10 500\n0\n10 500 10 500\n20 10 20 10\n0", 1,
         "below.mef: segment 1: crosses the closing line at (7.95918, -400)\n"
         "below.mef: segment 2: crosses the closing line at (12.0408, -400)\n"},
        {"gap.mef", "0 10 0 10\n10 10 10 10\n0\n12 10 12 10\n20 10 20 10\n0", 1,
         "gap.mef: segments 1 and 2: not joined: segment 1 ends at (10, -10), segment 2 starts at (12, "
         "-10)\n"},
        // Samples 0.2 apart print as whole numbers beyond 100,000.
        {"merge.mef", "123456 10 123456 10\n123457 10 123457 10\n4", 1,
         "merge.mef: segment 1: 3 consecutive points print as (123456, -10)\n"
         "merge.mef: segment 1: 3 consecutive points print as (123457, -10)\n"},
        // Four pairs of pieces meet at the junction the chain comes back to: one crossing.
        {"touch.mef",
         "0 10 0 10\n10 10 10 10\n0\n10 10 10 10\n20 5 20 5\n0\n20 5 20 5\n15 0 15 0\n0\n15 0 15 0\n10 10 10 "
         "10\n0",
         1, "touch.mef: segments 1 and 4: cross at (10, -10)\n"},
        // Back at its start point: the left foot line and three pieces meet there, at (0, -10) exactly.
        {"back.mef", "0 10 3 5\n12 6 4 6\n0\n4 6 3 2\n9 2 15 18\n1\n15 18 7 9\n-4 10 0 10\n2", 1,
         "back.mef: segment 3: crosses the left foot line at (0, -10)\n"},
        // Segment 4 crosses the doubled stretch once, though it meets two pieces there.
        {"strand.mef",
         "0 10 0 10\n10 10 10 10\n0\n10 10 10 10\n4 10 4 10\n0\n4 10 4 10\n7 3 7 3\n0\n7 3 7 3\n5.3 17 5.3 "
         "17\n0",
         1,
         "strand.mef: segments 1 and 2: overlap from (4, -10) to (10, -10)\nstrand.mef: segments 1 and 4: "
         "cross at (6.15, -10)\n"},
        // Segment 2 runs back along segment 1 over three of its pieces: one overlap.
        {"overlap.mef", "0 10 0 10\n10 10 10 10\n4\n10 10 10 10\n4 10 4 10\n2", 1,
         "overlap.mef: segments 1 and 2: overlap from (4, -10) to (10, -10)\n"},
        // Coordinates whose products would overflow are not checked, and say so.
        {"far.mef", "0 10 1.7e308 -1.7e308\n-1.7e308 1.7e308 10 10\n3", 1,
         "far.mef: segment 1: a point is out of range: (4.78125e+307, 4.78125e+307)\n"
         "far.mef: segment 1: a point is out of range: (-4.78125e+307, -4.78125e+307)\n"},
        // The first line of a segment is named after that segment.
        {"firstline.mef",
         "0 10 0 10\n10 10 10 10\n0\n10 10 10 10\n1e200 10 1e200 10\n0\n1e200 10 1e200 10\n20 10 20 10\n0", 1,
         "firstline.mef: segment 2: a point is out of range: (1e+200, -10)\n"},
        // The pieces beyond a point out of range are searched as themselves.
        {"beyond.mef",
         "0 0 0 0\n4 4 4 4\n0\n4 4 4 4\n4 0 4 0\n0\n4 0 4 0\n0 4 0 4\n0\n"
         "0 4 0 4\n1e200 5 1e200 5\n0\n1e200 5 1e200 5\n10 0 10 0\n0\n"
         "10 0 10 0\n14 4 14 4\n0\n14 4 14 4\n14 0 14 0\n0\n14 0 14 0\n10 4 10 4\n0\n10 4 10 4\n16 2 16 2\n0",
         1,
         "beyond.mef: segments 1 and 3: cross at (2, -2)\n"
         "beyond.mef: segment 4: a point is out of range: (1e+200, -5)\n"
         "beyond.mef: segments 6 and 8: cross at (12, -2)\n"
         "beyond.mef: segments 6 and 9: cross at (13, -3)\n"
         "beyond.mef: segments 7 and 9: cross at (14, -2.66667)\n"},
        // The left foot line and the closing line are the outline's first and last pieces.
        {"feet.mef", "0 400 2 300\n8 20 10 10\n5\n", 1,
         "feet.mef: segment 1: the left foot line overlaps the closing line from (-0.5, -400) to (0, -400)\n"},
        {"empty.mef", "", 1, "empty.mef: the map has no segments\n"},
        {"sound.mef", randomSoundCourse(20000, 2024), 0, ""},
    };
    for (const auto& c : cases) {
        writeFile(c.name, c.map);
        const CheckRun run = checkFile(c.name);
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.err, "") << c.name;
    }

    // A map that cannot be read gets the loader's message and nothing else.
    const CheckRun missing = checkFile("missing.mef");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    // The reason is the system's own words, which differ between platforms.
    EXPECT_EQ(missing.err.rfind("File input error: missing.mef: ", 0), 0u) << missing.err;
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
}

// A chain of straight segments of resolution 0 through `points` times `scale`,
// every number written exactly.
std::string straightChain(const std::vector<std::pair<double, double>>& points, double scale) {
    std::string map;
    char line[200];
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const double x0 = points[k].first * scale, y0 = points[k].second * scale;
        const double x1 = points[k + 1].first * scale, y1 = points[k + 1].second * scale;
        std::snprintf(line, sizeof line, "%.17g %.17g %.17g %.17g\n%.17g %.17g %.17g %.17g\n0\n", x0, y0, x0,
                      y0, x1, y1, x1, y1);
        map += line;
    }
    return map;
}

// Shapes far smaller than the feet get the same verdict at every scale, down
// to where the printed numbers run out. Each was misjudged at one scale or
// another when the verdicts were taken with a tolerance.
TEST(GroundCheck, SmallShapesGetTheSameVerdictAtEveryScale) {
    ScratchDir scratch;
    const std::vector<std::pair<double, double>> fold = {{0, 10}, {10, 10}, {5, 5}, {5, 12}},
                                                 back = {{0, 0}, {2, 0}, {1, 0}, {1, 1}},
                                                 corner = {{0, 0}, {1, 0}, {1, 1}},
                                                 down = {{0, 0}, {1, 0}, {1, -1}};
    const struct {
        const std::vector<std::pair<double, double>>* shape;
        double scale;
        const char* out;
    } cases[] = {
        {&fold, 1e-16, "segments 1 and 3: cross at (5e-16, -1e-15)\n"},
        {&fold, 1e-9, "segments 1 and 3: cross at (5e-09, -1e-08)\n"},
        {&fold, 1e-6, "segments 1 and 3: cross at (5e-06, -1e-05)\n"},
        {&back, 1e-16, "segments 1 and 2: overlap from (1e-16, -0) to (2e-16, -0)\n"},
        {&back, 1e-9, "segments 1 and 2: overlap from (1e-09, -0) to (2e-09, -0)\n"},
        {&back, 1e-6, "segments 1 and 2: overlap from (1e-06, -0) to (2e-06, -0)\n"},
        {&corner, 1e-16, ""},
        {&corner, 1e-9, ""},
        {&corner, 1e-6, ""},
        {&down, 1e-16, ""},
        {&down, 1e-9, ""},
        {&down, 1e-6, ""},
    };
    for (const auto& c : cases) {
        writeFile("small.mef", straightChain(*c.shape, c.scale));
        const CheckRun run = checkFile("small.mef");
        const std::string expected = *c.out ? "small.mef: " + std::string(c.out) : "";
        EXPECT_EQ(run.out, expected) << readFile("small.mef");
        EXPECT_EQ(run.status, *c.out ? 1 : 0) << readFile("small.mef");
    }
}

TEST(GroundCheck, ListsAHundredProblemsThenHowManyMore) {
    ScratchDir scratch;
    // 151 short flat pieces with a gap after each: 150 gaps.
    std::string map;
    for (int k = 0; k <= 150; ++k) {
        const std::string a = std::to_string(2 * k) + " 10 ", b = std::to_string(2 * k + 1) + " 10 ";
        map += a + a + "\n" + b + b + "\n0\n";
    }
    writeFile("steps.mef", map);
    const CheckRun run = checkFile("steps.mef");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 101);
    EXPECT_EQ(
        run.out.substr(0, run.out.find('\n')),
        "steps.mef: segments 1 and 2: not joined: segment 1 ends at (1, -10), segment 2 starts at (2, -10)");
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), "steps.mef: ... and 50 more\n");
}

// Back and forth along one line, every piece runs along every other: the
// search stops after so many pairs and says so, instead of comparing them all.
TEST(GroundCheck, AGroundBackAndForthAlongOneLineStopsTheSearchAndSaysSo) {
    ScratchDir scratch;
    std::string map;
    for (int k = 0; k < 600; ++k) map += k % 2 == 0 ? "0 10 0 10\n50 10 50 10\n0\n" : "50 10 50 10\n0 10 0 10\n0\n";
    writeFile("zigzag.mef", map);
    const CheckRun run = checkFile("zigzag.mef");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              "zigzag.mef: segments 1 and 2: overlap from (0, -10) to (50, -10)\n"
              "zigzag.mef: the search for crossings stopped after 100000 pairs of pieces running along each "
              "other; more may follow\n");
    std::vector<Segment> segments;
    ASSERT_TRUE(readMapFile("zigzag.mef", segments).loaded());
    EXPECT_EQ(groundWarnings(checkGround(segments)),
              std::vector<std::string>{"Warning: the ground runs along itself from (0, -10) to (50, -10), segments 1 "
                                       "and 2 (1 crossing found before the search stopped)"});
}

// The export prints exactly what it did before for a sound outline, and a
// warning per kind of fault after its messages otherwise, the window and
// --export alike (the window on standard output, --export on standard error).
TEST(GroundCheck, ExportWarnsAfterItsMessagesAndOnlyAboutFaults) {
    ScratchDir scratch;
    writeFile("copy.bat", "");
    MapEditor editor;
    testing::internal::CaptureStdout();
    exportMap(editor, windowMessages());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0\n1\nSaved 2 segments, containing 14 points\n");
    std::string ground;
    appendGroundFile(ground, editor.getSegments());
    EXPECT_EQ(readFile("gnd.pts"), ground);

    // Segment 3 starts back at segment 2's start, and its join crosses the right foot line.
    writeFile("canyon.mef",
              "0 10 2 4\n6 4 8 10\n0\n8 10 9 14\n12 16 15 12\n7\n8 10 8.5 9\n9.25 8 10.5 6.125\n2");
    const std::string warnings =
        "Warning: the ground crosses itself at (10.5098, -13.8497), segment 2 and the right foot line "
        "(2 crossings in all)\n"
        "Warning: segments 2 and 3 are not joined, segment 2 ends at (15, -12), segment 3 starts at (8, -10) "
        "(1 gap in all)\n";
    const std::string messages = "0\n1\n2\n1\n2\nSaved 3 segments, containing 15 points\n";
    std::FILE* out = newStream("export.out");
    std::FILE* err = newStream("export.err");
    StreamMessages streams(out, err);
    EXPECT_EQ(exportWithoutWindow("canyon.mef", false, streams), 0);
    EXPECT_EQ(contentOf(out), messages);
    EXPECT_EQ(contentOf(err), warnings);

    std::vector<Segment> canyon;
    ASSERT_TRUE(readMapFile("canyon.mef", canyon).loaded());
    editor.replaceChain(canyon);
    testing::internal::CaptureStdout();
    exportMap(editor, windowMessages());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), messages + warnings);
}

// Near-ties are decided by sums of doubles that carry their rounding errors,
// and below 2^-300 on whole numbers; scaling by a power of two changes no
// orientation, so both ways must agree on every triple.
TEST(GroundCheck, BothExactOrientationsAgree) {
    std::mt19937 random(77);
    std::uniform_int_distribution<int> digits(-999999, 999999), power(-3, 3), nudge(-2, 2);
    const auto decimal = [&] { return digits(random) * std::pow(10.0, power(random)); };
    int ties = 0;
    for (int k = 0; k < 20000; ++k) {
        // c on the line through a and b (exactly on it for whole numbers), or
        // a few units in the last place off it.
        GroundPoint a{decimal(), decimal()}, b{decimal(), decimal()};
        const double t = digits(random) / 1e6;
        GroundPoint c{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        if (k % 2 == 0) {
            a = {std::trunc(a.x), std::trunc(a.y)};
            b = {std::trunc(b.x), std::trunc(b.y)};
            c = {a.x + 3 * (b.x - a.x), a.y + 3 * (b.y - a.y)};
        }
        for (int n = nudge(random); n != 0; n -= n > 0 ? 1 : -1)
            c.y = std::nextafter(c.y, n > 0 ? INFINITY : -INFINITY);
        const auto scaled = [](const GroundPoint& p) { return GroundPoint{std::ldexp(p.x, -700), std::ldexp(p.y, -700)}; };
        const int expected = orientation(scaled(a), scaled(b), scaled(c));
        ASSERT_EQ(orientation(a, b, c), expected) << k;
        ties += expected == 0;
    }
    EXPECT_GT(ties, 0);
}

}  // namespace
