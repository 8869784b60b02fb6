// Drawings: SVG paths made into chains, chains written as SVG, the round trip
// of a map through a drawing, and the drawing as a renderer shows it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Courses.h"
#include "DrawingConvert.h"
#include "DrawingFile.h"
#include "MapFile.h"
#include "ScratchDir.h"

namespace {

std::string svg(const std::string& body) { return "<svg xmlns=\"http://www.w3.org/2000/svg\">" + body + "</svg>"; }
std::string path(const std::string& d) { return svg("<path d=\"" + d + "\"/>"); }

// A silent sink that keeps what it was told.
struct Recorded final : Messages {
    std::string reports, problems;
    bool report(std::string_view lines) override { return reports += lines, true; }
    void problem(std::string_view lines) override { problems += lines; }
};

TEST(DrawingFile, EveryCommandTransformArcSubpathAndRefusal) {
    // 521 segments of resolution 10000 are past the point budget.
    std::string many = "M0 0", manyResolutions;
    for (int i = 0; i < 521; ++i) many += " h1", manyResolutions += " 10000";
    const struct {
        std::string text, id, map, errorOrWarning;
    } cases[] = {
        {path("M0 0 L30 0 L30 30"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5", ""},
        {path("m10 10 l30 0 l0 30"), "", "1 1 2 1\n3 1 4 1\n5\n4 1 4 2\n4 3 4 4\n5", ""},
        {path("M0 0 H30 V30 h-30 v-30"), "",
         "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5\n3 3 2 3\n1 3 0 3\n5\n0 3 0 2\n0 1 0 0\n5", ""},
        // The closing line; none when the subpath is closed already.
        {path("M0 0 L30 0 L30 30 Z"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5\n3 3 2 2\n1 1 0 0\n5", ""},
        {path("M0 0 L30 0 L0 0 z"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 2 0\n1 0 0 0\n5", ""},
        {path("M0 0 C10 0 20 10 30 10 c10 0 20 -10 30 -10"), "", "0 0 1 0\n2 1 3 1\n5\n3 1 4 1\n5 0 6 0\n5", ""},
        // Smooth cubics: the first handle reflects the one before.
        {path("M0 0 C0 10 20 10 30 0 S60 -10 60 0 s10 10 30 0"), "",
         "0 0 0 1\n2 1 3 0\n5\n3 0 4 -1\n6 -1 6 0\n5\n6 0 6 1\n7 1 9 0\n5", ""},
        // Quadratics: handles two thirds of the way to the control point.
        {path("M0 0 Q15 30 30 0 T60 0 q15 30 30 0 t30 0"), "",
         "0 0 1 2\n2 2 3 0\n5\n3 0 4 -2\n5 -2 6 0\n5\n6 0 7 2\n8 2 9 0\n5\n9 0 10 -2\n11 -2 12 0\n5", ""},
        // Half a turn is two quarter circles.
        {path("M0 0 A10 10 0 0 1 20 0"), "",
         "0 0 0 -0.552285\n0.447715 -1 1 -1\n5\n1 -1 1.55228 -1\n2 -0.552285 2 0\n5", ""},
        {path("m0 0 a10 10 0 0 0 20 0"), "",
         "0 0 0 0.552285\n0.447715 1 1 1\n5\n1 1 1.55228 1\n2 0.552285 2 0\n5", ""},
        // A quarter is one, three quarters are three.
        {path("M0 0 A10 10 0 0 1 10 10"), "", "0 0 0.552285 0\n1 0.447715 1 1\n5", ""},
        {path("M10 0 A10 10 0 1 1 0 10"), "", "", "3 segments"},
        // Zero radius: a line.
        {path("M0 0 A0 10 0 0 1 30 0"), "", "0 0 1 0\n2 0 3 0\n5", ""},
        {svg("<g transform=\"translate(10 20) scale(2)\"><path transform=\"rotate(90)\" d=\"M0 0 L0 -15\"/></g>"),
         "", "1 2 2 2\n3 2 4 2\n5", ""},
        {path("M0 0 L30 0 M0 10 L30 10 Z M5 5 L6 6 M7 7"), "", "0 0 1 0\n2 0 3 0\n5",
         "the path has 3 subpaths; the first was taken, 2 were left out"},
        {svg("<path data-path-digest=\"" + pathDataDigest("M0 0 h30 M0 10 h30") + "\" d=\"M0 0 h30 M0 10 h30\"/>"), "",
         "0 0 1 0\n2 0 3 0\n5\n0 1 1 1\n2 1 3 1\n5", ""},
        {svg("<defs><path d=\"M0 0 L9 9\"/></defs><path d=\"M0 0 L30 0\"/><path id=\"b\" d=\"M0 0 L0 30\"/>"),
         "", "0 0 1 0\n2 0 3 0\n5", ""},
        {svg("<path d=\"M0 0 L30 0\"/><g><path id=\"b\" d=\"M0 0 L0 30\"/></g>"), "b", "0 0 0 1\n0 2 0 3\n5", ""},
        {svg("<rect width=\"3\" height=\"3\"/>"), "", "", "no <path> element"},
        {path("M0 0 L30 0"), "b", "", "no <path> with the id \"b\""},
        {path("M10 10"), "", "", "the path has no drawing command"},
        {path("M0 0 L30"), "", "", "the path cannot be read"},
        {"ground", "", "", "not an SVG file (not XML"},
        {"<html><path d=\"M0 0 L1 1\"/></html>", "", "", "not an SVG file (no <svg> element)"},
        {svg("<path data-resolution=\"" + manyResolutions + "\" data-path-digest=\"" + pathDataDigest(many) +
             "\" d=\"" + many + "\"/>"),
         "", "", "5211042 points, more than the editor holds (5200000)"},
        // Resolutions are taken only for the path data they were written for.
        {svg("<path data-resolution=\"7,0\" data-path-digest=\"" + pathDataDigest("M0 0 h30 v30") +
             "\" d=\"M0 0 h30 v30\"/>"),
         "", "0 0 1 0\n2 0 3 0\n7\n3 0 3 1\n3 2 3 3\n0", ""},
        {svg("<path data-resolution=\"7 0\" data-path-digest=\"" + pathDataDigest("M0 0 h30 v30") +
             "\" d=\"M0 0 h30 v20\"/>"),
         "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 0.666667\n3 1.33333 3 2\n5", "the path was changed since it was written"},
        {svg("<path data-resolution=\"7\" data-path-digest=\"" + pathDataDigest("M0 0 h30 v30") +
             "\" d=\"M0 0 h30 v30\"/>"),
         "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5", "its data-resolution does not fit the path"},
    };
    for (const auto& c : cases) {
        const DrawingRead read = readDrawing(c.text, c.id);
        std::string said = read.error;
        for (const std::string& w : read.warnings) said += w;
        if (!c.map.empty()) {
            EXPECT_TRUE(read.ok()) << c.text << ": " << read.error;
            EXPECT_EQ(formatMapFile(segmentsFromRecords(read.records)), c.map) << c.text;
        } else if (c.errorOrWarning == "3 segments") {
            EXPECT_EQ(read.records.size(), 3u) << c.text;
            continue;
        } else {
            EXPECT_FALSE(read.ok()) << c.text;
            EXPECT_TRUE(read.records.empty()) << c.text;
        }
        if (c.errorOrWarning.empty())
            EXPECT_EQ(said, "") << c.text;
        else
            EXPECT_NE(said.find(c.errorOrWarning), std::string::npos) << c.text << ": " << said;
    }
}

TEST(DrawingFile, MapToDrawingAndBackGivesTheSameMapFile) {
    ScratchDir scratch;
    std::vector<Segment> course = longCourse(20000, 5, 36);
    std::mt19937 rng(36);
    for (Segment& s : course) s.setResolution(std::uniform_int_distribution<int>(0, 50)(rng));
    // Signs, negative zero, exponents and a gap (a second subpath in the drawing).
    std::vector<Segment> small(3);
    small[0].setPoints(-0.0, -0.0, -1.5, 1e-07, 123457, -0.000123457, 1e+06, 2);
    small[1].setPoints(1e+06, 2, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6);
    small[2].setPoints(7, 7, 8, 8, 9, 9, 10, 10);
    for (const auto* chain : {&course, &small}) {
        ASSERT_TRUE(storeMapFile("in.mef", *chain));
        Recorded messages;
        ASSERT_EQ(convertWithoutWindow("in.mef", "drawing.svg", messages), 0) << messages.problems;
        ASSERT_EQ(convertWithoutWindow("drawing.svg", "out.mef", messages), 0) << messages.problems;
        EXPECT_EQ(messages.problems, "");
        EXPECT_EQ(readFile("out.mef"), readFile("in.mef"));
    }
}

TEST(DrawingFile, ConvertRefusesWithoutWritingAndTellsUsage) {
    ScratchDir scratch;
    writeFile("a.svg", path("M10 10"));
    writeFile("empty.mef", "");
    const struct {
        std::string in, out;
        int status;
        std::string problem;
    } cases[] = {
        {"a.svg", "a.mef", 1, "File input error: a.svg: the path has no drawing command\n"},
        {"a.svg#x", "a.mef", 1, "File input error: a.svg#x: no <path> with the id \"x\"\n"},
        {"missing.svg", "a.mef", 1, "File input error: missing.svg: "},
        {"empty.mef", "a.svg", 1, "empty.mef: the map has no segments\n"},
        {"a.svg", "a.svg", 2, "mapeditor: --convert turns"},
        {"a.mef", "a.txt", 2, "mapeditor: --convert turns"},
    };
    for (const auto& c : cases) {
        Recorded messages;
        EXPECT_EQ(convertWithoutWindow(c.in, c.out, messages), c.status) << c.in;
        EXPECT_EQ(messages.problems.rfind(c.problem, 0), 0u) << messages.problems;
        EXPECT_FALSE(std::filesystem::exists("a.mef")) << c.in;
    }
}

// The exported drawing rendered by librsvg: the ground's pixels lie on the
// curve, where the editor draws it (ten pixels per map unit, less the view
// box's corner), and the curve has ground pixels all along.
TEST(DrawingFile, RenderedGroundLiesWhereTheEditorDrawsIt) {
    ScratchDir scratch;
    const std::vector<Segment> course = longCourse(12, 5, 7);
    writeFile("course.svg", formatDrawing(course));
    ASSERT_EQ(std::system("rsvg-convert course.svg -o course.png && convert course.png course.ppm"), 0);
    std::istringstream ppm(readFile("course.ppm"));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    ppm >> magic >> width >> height >> maximum;
    ppm.get();
    std::string pixels(static_cast<std::size_t>(width) * height * 3, '\0');
    ppm.read(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    ASSERT_EQ(magic, "P6");
    const std::string drawing = readFile("course.svg");
    double left = 0, top = 0;
    ASSERT_EQ(std::sscanf(drawing.c_str() + drawing.find("viewBox=\""), "viewBox=\"%lf %lf", &left, &top), 2);

    auto rgb = [&](int x, int y, int k) {
        return static_cast<unsigned char>(pixels[(static_cast<std::size_t>(y) * width + x) * 3 + k]);
    };
    auto isGround = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < width && y < height && rgb(x, y, 2) > rgb(x, y, 0) + 40 && rgb(x, y, 0) < 150;
    };
    std::vector<ControlPoint> curve;
    for (Segment s : course) {
        s.setResolution(200);
        for (const ControlPoint& p : s.getSamples()) curve.push_back({p.x * 10 - left, p.y * 10 - top});
    }
    for (const ControlPoint& p : curve) {
        bool found = false;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) found = found || isGround(int(p.x) + dx, int(p.y) + dy);
        ASSERT_TRUE(found) << "no ground pixel at " << p.x << ", " << p.y;
    }
    int groundPixels = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!isGround(x, y)) continue;
            ++groundPixels;
            double nearest = 1e9;
            for (const ControlPoint& p : curve) nearest = std::min(nearest, std::hypot(p.x - x - 0.5, p.y - y - 0.5));
            ASSERT_LT(nearest, 2.5) << "ground pixel " << x << ", " << y << " off the curve";
        }
    EXPECT_GT(groundPixels, 360);
    // The outline's left side runs from the first point down to the left foot
    // (ten map units to the pixel, 400 map units down) across the bottom edge.
    const ControlPoint first = course.front().getStartPoint();
    const double bottom = top + height - 0.5;
    const double footX = (first.x - 0.5 * (bottom - first.y * 10) / (4000 - first.y * 10)) * 10 - left;
    bool outline = false;
    for (int dx = -1; dx <= 1; ++dx)
        outline = outline || rgb(int(footX) + dx, height - 1, 0) > rgb(int(footX) + dx, height - 1, 2) + 40;
    EXPECT_TRUE(outline);
}

}  // namespace
