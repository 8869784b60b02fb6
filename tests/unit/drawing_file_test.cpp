// Drawings: SVG paths made into chains, chains written as SVG, the round trip
// of a map through a drawing, and the drawing as a renderer shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "Courses.h"
#include "DrawingConvert.h"
#include "DrawingFile.h"
#include "GroundCheck.h"
#include "Gunzip.h"
#include "MapFile.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"

namespace {

std::string svg(const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\">" + body + "</svg>";
}
std::string path(const std::string& d) { return svg("<path d=\"" + d + "\"/>"); }

// `text` as UTF-16 bytes after its byte order mark.
std::string utf16(const std::u16string& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The drawing `file` rendered by librsvg with `options`: its RGB pixels, row by row.
struct Rendered {
    int width = 0, height = 0;
    std::string pixels;
    const unsigned char* at(int x, int y) const {
        return reinterpret_cast<const unsigned char*>(&pixels[(static_cast<std::size_t>(y) * width + x) * 3]);
    }
};
Rendered render(const std::string& file, const std::string& options = "") {
    Rendered image;
    if (std::system(("rsvg-convert " + options + file + " -o out.png && convert out.png out.ppm").c_str()) !=
        0)
        return image;
    std::istringstream ppm(readFile("out.ppm"));
    std::string magic;
    int maximum = 0;
    ppm >> magic >> image.width >> image.height >> maximum;
    ppm.get();
    image.pixels.assign(std::istreambuf_iterator<char>(ppm), {});
    if (magic != "P6" || image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 3)
        image.width = image.height = 0;
    return image;
}

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
        {path("M0 0 L30 0 l0 30"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5", ""},
        {path("M0 0 H30 V30 h-30 v-30"), "",
         "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5\n3 3 2 3\n1 3 0 3\n5\n0 3 0 2\n0 1 0 0\n5", ""},
        // The closing line; none when the subpath is closed already.
        {path("M0 0 L30 0 L30 30 Z"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 1\n3 2 3 3\n5\n3 3 2 2\n1 1 0 0\n5",
         ""},
        {path("M0 0 L30 0 L0 0 z"), "", "0 0 1 0\n2 0 3 0\n5\n3 0 2 0\n1 0 0 0\n5", ""},
        {path("M0 0 C10 0 20 10 30 10 c10 0 20 -10 30 -10"), "", "0 0 1 0\n2 1 3 1\n5\n3 1 4 1\n5 0 6 0\n5",
         ""},
        // Smooth cubics: the first handle reflects the one before.
        {path("M0 0 C0 10 20 10 30 0 S60 -10 60 0 s10 10 30 0"), "",
         "0 0 0 1\n2 1 3 0\n5\n3 0 4 -1\n6 -1 6 0\n5\n6 0 6 1\n7 1 9 0\n5", ""},
        // Quadratics: handles two thirds of the way to the control point.
        {path("M0 0 Q15 30 30 0 T60 0 q15 30 30 0 t30 0"), "",
         "0 0 1 2\n2 2 3 0\n5\n3 0 4 -2\n5 -2 6 0\n5\n6 0 7 2\n8 2 9 0\n5\n9 0 10 -2\n11 -2 12 0\n5", ""},
        // Half a turn is two quarter circles.
        {path("M0 0 A10 10 0 0 1 20 0"), "",
         "0 0 0 -0.552285\n0.447715 -1 1 -1\n5\n1 -1 1.55228 -1\n2 -0.552285 2 0\n5", ""},
        {path("M20 0 a10 10 0 0 0 -20 0"), "",
         "2 0 2 -0.552285\n1.55228 -1 1 -1\n5\n1 -1 0.447715 -1\n0 -0.552285 0 0\n5", ""},
        // A quarter is one, three quarters (about the centre (10, 10)) are three.
        {path("M0 0 A10 10 0 0 1 10 10"), "", "0 0 0.552285 0\n1 0.447715 1 1\n5", ""},
        {path("M10 0 A10 10 0 1 1 0 10"), "",
         "1 0 1.55228 0\n2 0.447715 2 1\n5\n2 1 2 1.55228\n1.55228 2 1 2\n5\n1 2 0.447715 2\n0 1.55228 0 "
         "1\n5",
         ""},
        // Zero radius: a line.
        {path("M0 0 A0 10 0 0 1 30 0"), "", "0 0 1 0\n2 0 3 0\n5", ""},
        {svg("<g transform=\"translate(10 20) scale(2)\"><path transform=\"rotate(90)\" d=\"M0 0 L0 "
             "-15\"/></g>"),
         "", "1 2 2 2\n3 2 4 2\n5", ""},
        {svg("<defs><path d=\"M0 0 L9 9\"/></defs><path d=\"M0 0 L30 0\"/><path id=\"b\" d=\"M0 0 L0 30\"/>"),
         "", "0 0 1 0\n2 0 3 0\n5",
         "the drawing has 2 visible paths; the first (without an id) was taken, 1 was left out"},
        {svg("<path d=\"M0 0 L30 0\"/><g><path id=\"b\" d=\"M0 0 L0 30\"/></g>"), "b", "0 0 0 1\n0 2 0 3\n5",
         ""},
        // Hidden paths are never taken; the editor's own ground is, wherever it stands.
        {svg("<path style=\"fill:none; display : none\" d=\"M0 0 L30 0\"/><path d=\"M0 0 L0 30\"/>"), "",
         "0 0 0 1\n0 2 0 3\n5", ""},
        {svg("<g visibility=\"hidden\"><path d=\"M0 0 L30 0\"/><path visibility=\"visible\" d=\"M0 0 L0 "
             "30\"/></g>"),
         "", "0 0 0 1\n0 2 0 3\n5", ""},
        {svg("<path d=\"M0 0 L30 0\"/><path id=\"ground\" data-path-digest=\"0\" d=\"M0 0 L0 30\"/>"), "",
         "0 0 0 1\n0 2 0 3\n5", ""},
        // A page in millimetres: its user units in CSS pixels.
        {"<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20mm\" height=\"1in\" viewBox=\"0 0 10 "
         "10\"><path "
         "d=\"M0 0 L10 0\"/></svg>",
         "", "0 0 2.51969 0\n5.03937 0 7.55906 0\n5", ""},
        {svg("<rect width=\"3\" height=\"3\"/>"), "", "",
         "no <path> element; the <rect> is not a path: convert it"},
        {path("M0 0 L30 0"), "b", "", "no <path> with the id \"b\""},
        {path("M10 10"), "", "", "the path has no drawing command"},
        {path("M0 0 L30"), "", "", "the path cannot be read"},
        {"ground", "", "", "not well-formed XML at line 1, column 1: text before the root element"},
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
         "", "0 0 1 0\n2 0 3 0\n5\n3 0 3 0.666667\n3 1.33333 3 2\n5",
         "the path was changed since it was written"},
        {svg("<path data-resolution=\"10001\" data-path-digest=\"" + pathDataDigest("M0 0 h30") +
             "\" d=\"M0 0 h30\"/>"),
         "", "0 0 1 0\n2 0 3 0\n5", "its data-resolution does not fit the path"},
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

// Every subpath is kept, in order; a gap only where one does not start where
// the one before ends, as numbers: -0 meets 0.
TEST(DrawingFile, EverySubpathJoinsTheChainWithItsGapsCounted) {
    const struct {
        std::string d;
        std::size_t segments, gaps;
    } cases[] = {
        {"M0 0 L30 0", 1, 0},
        {"M0 0 L30 0 M30 0 L60 0", 2, 0},
        {"M0 0 L30 0 M30 10 L60 0", 2, 1},
        // Closed subpaths end at their start; an empty "M" draws nothing.
        {"M0 0 L30 0 M0 10 L30 10 Z M5 5 L6 6 M7 7", 4, 2},
        {"M0 0 h10 M11 0 h10 m1 0 h10 m1 0 h10 m1 0 h10", 5, 4},
        {"M0 0 h10 z M0 0 h10 M10 0 h10 M25 0 h10 m-5 0 h10", 6, 2},
        {"M 110 -0 L 120 0 M 120 -0 L 130 -0 M 130 0 L 140 1", 3, 0},
        {"M -0 -0 L 10 0 M 10 -0.0 L 20 0", 2, 0},
    };
    for (const auto& c : cases) {
        const DrawingRead read = readDrawing(path(c.d));
        ASSERT_TRUE(read.ok()) << c.d << ": " << read.error;
        EXPECT_EQ(read.records.size(), c.segments) << c.d;
        const std::string counted = "the chain has " + std::to_string(c.gaps) + (c.gaps == 1 ? " gap," : " gaps,");
        EXPECT_EQ(read.warnings.size() == 1 && read.warnings[0].rfind(counted, 0) == 0, c.gaps > 0) << c.d;
        // The chain's gaps are where --check finds them, and the drawing written of it (its ground
        // path, the last) has them alone.
        const std::vector<Segment> chain = segmentsFromRecords(read.records);
        EXPECT_EQ(checkGround(chain).gaps.size(), c.gaps) << c.d;
        const std::string written = formatDrawing(chain).text;
        const std::string d = written.substr(written.rfind(" d=\"") + 4);
        EXPECT_EQ(std::count(d.begin(), d.begin() + d.find('"'), 'M'), 1 + static_cast<long>(c.gaps)) << d;
    }
    // Ends a step apart that print alike are written joined, as they read back
    // (a new "M" there would vanish when the drawing read back is written again).
    std::vector<Segment> near(2);
    near[0].setPoints(0, 0, 1, 0, 2, 0, 1e10, 3);
    near[1].setPoints(std::nextafter(1e10, 2e10), 3, 4, 0, 5, 0, 6, 0);
    const std::string written = formatDrawing(near).text;
    EXPECT_EQ(written.find(" M "), std::string::npos) << written;
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
        EXPECT_EQ(messages.problems, chain == &small ? "Warning: drawing.svg: the chain has 1 gap, where a subpath "
                                                       "of the path does not start where the one before ends\n"
                                                     : "");
        EXPECT_EQ(readFile("out.mef"), readFile("in.mef"));
        // Without its digest the ground is still taken before the locked outline beneath it.
        std::string drawing = readFile("drawing.svg");
        drawing.erase(drawing.find(" data-path-digest="), 36);
        writeFile("nodigest.svg", drawing);
        ASSERT_EQ(convertWithoutWindow("nodigest.svg", "nodigest.mef", messages), 0) << messages.problems;
        const std::string in = readFile("in.mef"), read = readFile("nodigest.mef");
        EXPECT_EQ(read.substr(0, read.find('\n')), in.substr(0, in.find('\n')));
        // The page fits renderers however long the course: its longer side at most 4096 pixels.
        drawing = readFile("drawing.svg");
        double width = 0, height = 0;
        ASSERT_EQ(std::sscanf(drawing.c_str() + drawing.find(" width="), " width=\"%lf\" height=\"%lf",
                              &width, &height),
                  2);
        EXPECT_TRUE(width >= 1 && height >= 1 && std::max(width, height) <= 4096) << width << " x " << height;
    }
    // Near the largest doubles a drawing's numbers (ten per map unit) are not finite: nothing is written.
    for (const char* map : {"0 0 1 0\n2 0 1.8e307 0\n5", "-1.7e308 0 0 0\n0 0 1.7e308 0\n5"}) {
        writeFile("huge.mef", map);
        Recorded messages;
        EXPECT_EQ(convertWithoutWindow("huge.mef", "huge.svg", messages), 1) << map;
        EXPECT_EQ(messages.problems, "huge.mef: segment 1 has a coordinate too large to be drawn\n");
        EXPECT_NE(std::remove("huge.svg"), 0);
    }
    // Finite numbers, but a page wider than the largest double.
    writeFile("wide.mef", "-1.7e307 0 0 0\n0 0 1.7e307 0\n5");
    Recorded messages;
    EXPECT_EQ(convertWithoutWindow("wide.mef", "wide.svg", messages), 1);
    EXPECT_NE(messages.problems.find("too large to be drawn"), std::string::npos) << messages.problems;
}

// Drawings made to hurt: each is refused with one line and status 1 before
// anything is written, or lands where SVG puts it.
TEST(DrawingFile, HostileDrawingsGiveOneSafeLineOrTheRightPath) {
    ScratchDir scratch;
    auto nested = [](int depth) {
        std::string text = svg(""), inner;
        for (int i = 0; i < depth; ++i) inner += "<g>";
        inner += "<path d=\"M0 0 L30 0\"/>";
        for (int i = 0; i < depth; ++i) inner += "</g>";
        return text.insert(text.size() - 6, inner);
    };
    std::string many = svg("<path d=\"M0 0 L30 0\"/>");
    std::string empties;
    for (int i = 0; i < 1000000; ++i) empties += "<g/>";
    many.insert(many.size() - 6, empties);
    const std::string xml = "File input error: g.svg: not well-formed XML at line ";
    std::string longData = "M0 0";
    for (int i = 0; i < 200000; ++i) longData += " L1 2";
    const struct {
        std::string text, in;
        int status;
        std::string lines, map;
    } cases[] = {
        {nested(30000), "g.svg", 1, "File input error: g.svg: elements nested more than 256 deep\n", ""},
        // 256 levels: the root, 254 groups and the path.
        {nested(254), "g.svg", 0, "", "0 0 1 0\n2 0 3 0\n5"},
        {nested(255), "g.svg", 1, "File input error: g.svg: elements nested more than 256 deep\n", ""},
        {many, "g.svg", 1, "File input error: g.svg: more than 1000000 elements\n", ""},
        {svg("<g><path d=\"M0 0 L30 0\"/></h>"), "g.svg", 1,
         "File input error: g.svg: not well-formed XML at line 1, column 66: </h> does not close <g>\n", ""},
        {path("M0 0 L30 0") + "\n <svg/>", "g.svg", 1,
         "File input error: g.svg: not well-formed XML at line 2, column 2: a second root element <svg>\n",
         ""},
        {path("M0 0 L30 0") + "<!-- end -->x", "g.svg", 1,
         "File input error: g.svg: not well-formed XML at line 1, column 81: text after the root element\n",
         ""},
        {svg("<path d=\"M0 0 L30 0\">"), "g.svg", 1,
         "File input error: g.svg: not well-formed XML at line 1, column 62: </svg> does not close <path>\n",
         ""},
        {path("M0 0 L\x1b]0;owned\x07 1"), "g.svg#\x1b[2J", 1,
         "File input error: g.svg#\x1b[2J: no <path> with the id \"?[2J\"\n", ""},
        {path("M0 0 L\x1b]0;owned\x07 1"), "g.svg", 1,
         "File input error: g.svg: the path cannot be read: invalid d \"M0 0 L?]0;owned? 1\"\n", ""},
        {path(longData + " L"), "g.svg", 1,
         "File input error: g.svg: the path cannot be read: invalid d \"M0 0 L1 2 L1 2 L1 2 L1 2 L1 2 L1 2 "
         "L1 2 ...\"\n",
         ""},
        // Well-formed markup that only looks like tags is read, with the references XML allows.
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!DOCTYPE svg [<!ENTITY e \"<g>\">]><!-- <g> -->" +
             svg("<![CDATA[</h>]]><g title='a > b &e;&#x41;&#65;' class=\"/>&amp;\"><path d=\"M0 0 L30 "
                 "0\" /></g>&lt;&apos;") +
             "\n<!-- end -->\n",
         "g.svg", 0, "", "0 0 1 0\n2 0 3 0\n5"},
        // What XML forbids: each refused where it stands.
        {"<svg/>", "g.svg", 1, "File input error: g.svg: the drawing has no <path> element\n", ""},
        {"<svg/><svg><path d=\"M 0 0 L 1 0\"/></svg>", "g.svg", 1, xml + "1, column 7: a second root element <svg>\n",
         ""},
        {svg("<path id=\"&nbsp;\" d=\"M0 0 L30 0\"/>"), "g.svg", 1,
         xml + "1, column 51: the entity &nbsp; is not defined\n", ""},
        {svg("<path d=\"M0 0 L30 0\"/>&e;"), "g.svg", 1, xml + "1, column 63: the entity &e; is not defined\n", ""},
        {svg("<path d=\"M0 0 <L30 0\"/>"), "g.svg", 1,
         xml + "1, column 55: a \"<\" in the value of the attribute d\n", ""},
        {svg("<path d=\"M0 0 L30 0\"\n d='M0 0 L0 30'/>"), "g.svg", 1,
         xml + "2, column 2: the attribute d of <path> is repeated\n", ""},
        {svg("<title>A & B</title><path d=\"M0 0 L30 0\"/>"), "g.svg", 1,
         xml + "1, column 50: an \"&\" that begins no reference (write &amp;)\n", ""},
        {svg("<path d=\"M0 0 L30 0&#0;\"/>"), "g.svg", 1, xml + "1, column 60: &#0; is no character XML allows\n",
         ""},
        // UTF-16 with its mark, either order (the id needs a surrogate pair); UTF-32 refused by name.
        {utf16(u"<svg xmlns=\"http://www.w3.org/2000/svg\"><path id=\"\u5730\U0001D11E\" d=\"M0 0 L30 0\"/></svg>",
               false),
         "g.svg#\xE5\x9C\xB0\xF0\x9D\x84\x9E", 0, "", "0 0 1 0\n2 0 3 0\n5"},
        {utf16(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + std::u16string(u"<svg><path d=\"M0 0 L30 0\"/></svg>"),
               true),
         "g.svg", 0, "", "0 0 1 0\n2 0 3 0\n5"},
        {utf16(u"<svg/>", false) + "x", "g.svg", 1,
         "File input error: g.svg: the drawing is UTF-16 but ends in half a character\n", ""},
        {utf16(u"<svg/>\xD800", true), "g.svg", 1,
         "File input error: g.svg: the drawing is UTF-16 but has a lone surrogate at byte 15\n", ""},
        {std::string("\xFF\xFE\0\0<\0\0\0", 8), "g.svg", 1,
         "File input error: g.svg: the drawing is UTF-32, which is not read: save it as UTF-8\n", ""},
        // A nested viewport: its x and y move what is in it, its viewBox scales it.
        {svg("<svg x=\"50\" y=\"50\"><path d=\"M0 0 L30 0\"/></svg>"), "g.svg", 0, "", "5 5 6 5\n7 5 8 5\n5"},
        {svg("<svg x=\"10\" width=\"200\" height=\"100\" viewBox=\"0 0 10 10\" "
             "preserveAspectRatio=\"xMinYMax "
             "meet\"><path d=\"M0 0 L3 0\"/></svg>"),
         "g.svg", 0, "", "1 0 2 0\n3 0 4 0\n5"},
        {svg("<svg width=\"50%\" height=\"100\" viewBox=\"0 0 10 10\"><path d=\"M0 0 L3 0\"/></svg>"),
         "g.svg", 1,
         "File input error: g.svg: a nested <svg> with a viewBox needs its width and height as lengths in "
         "user "
         "units\n",
         ""},
    };
    for (const auto& c : cases) {
        writeFile("g.svg", c.text);
        Recorded messages;
        EXPECT_EQ(convertWithoutWindow(c.in, "g.mef", messages), c.status) << c.in;
        EXPECT_EQ(messages.problems, c.lines);
        EXPECT_EQ(std::remove("g.mef") == 0, !c.map.empty());
        if (!c.map.empty()) {
            std::vector<Segment> segments;
            EXPECT_TRUE(readDrawingFile(c.in, segments, messages));
            EXPECT_EQ(formatMapFile(segments), c.map);
        }
    }
}

// Drawings compressed by gzip (the command, as Inkscape's .svgz): unpacked
// whatever their name says, or refused with the reason.
TEST(DrawingFile, CompressedDrawingsAreUnpackedOrRefusedWithTheReason) {
    ScratchDir scratch;
    writeFile("plain.svg", "<svg><path id=\"p\" d=\"M0 0 L30 0\"/></svg>");
    writeFile("wide.svg", utf16(u"<svg><path d=\"M0 0 L0 30\"/></svg>", false));
    ASSERT_EQ(std::system("gzip -c plain.svg > g.svgz && gzip -c plain.svg > named.svg && gzip -c wide.svg > "
                          "wide.svgz && cat g.svgz g.svgz > twice.svgz && cat g.svgz plain.svg > tail.svgz && "
                          "head -c 30 g.svgz > short.svgz && head -c 10000 /dev/zero | gzip > zeros.gz"),
              0);
    std::string broken = readFile("g.svgz");
    broken[broken.size() - 6] ^= 1;  // in its checksum
    writeFile("broken.svgz", broken);
    const std::string error = "File input error: ";
    const struct {
        std::string in, lines, map;
    } cases[] = {
        {"g.svgz", "", "0 0 1 0\n2 0 3 0\n5"},
        {"g.svgz#p", "", "0 0 1 0\n2 0 3 0\n5"},
        {"named.svg", "", "0 0 1 0\n2 0 3 0\n5"},
        {"wide.svgz", "", "0 0 0 1\n0 2 0 3\n5"},
        {"twice.svgz", error + "twice.svgz: not well-formed XML at line 1, column 41: a second root element <svg>\n",
         ""},
        {"tail.svgz", error + "tail.svgz: the compressed drawing has bytes after its gzip data\n", ""},
        {"short.svgz", error + "short.svgz: the compressed drawing is cut short\n", ""},
        {"broken.svgz", error + "broken.svgz: the compressed drawing cannot be unpacked: ", ""},
    };
    for (const auto& c : cases) {
        Recorded messages;
        std::vector<Segment> segments;
        EXPECT_EQ(readDrawingFile(c.in, segments, messages), !c.map.empty()) << c.in;
        EXPECT_EQ(messages.problems.substr(0, c.lines.size()), c.lines) << c.in;
        EXPECT_EQ(formatMapFile(segments), c.map) << c.in;
    }
    // Data that would unpack past the bound stops there.
    std::string out;
    EXPECT_EQ(gunzip(readFile("zeros.gz"), 10000, out), "");
    EXPECT_EQ(out, std::string(10000, '\0'));
    EXPECT_EQ(gunzip(readFile("zeros.gz"), 9999, out), "the compressed drawing unpacks to more than 9999 bytes");
}

// The node types Inkscape reads off the ground: "s" at a smooth junction,
// "c" at a kink, a corner, a handle on its junction and every subpath's ends.
TEST(DrawingFile, NodeTypesFollowTheReadoutsRule) {
    const std::vector<Segment> chain{
        // Smooth at (3, 1), Ctrl+M's way: the handles P -/+ (B - A) / 6.
        makeSegment(0, 0, 1, 0, 3 - 7.0 / 6, 0.5, 3, 1),
        // A kink of 0.1 degrees at (7, 3).
        makeSegment(3, 1, 3 + 7.0 / 6, 1.5, 6, 3, 7, 3),
        makeSegment(7, 3, 7 + std::cos(0.1 * std::acos(-1.0) / 180),
                    3 + std::sin(0.1 * std::acos(-1.0) / 180), 9, 3, 10, 3),
        // Straight on into a straight segment, then a right angle.
        makeSegment(10, 3, 11, 3, 12, 3, 13, 3), makeSegment(13, 3, 13, 4, 13, 5, 13, 6),
        // A handle on its junction, then a gap: a second subpath.
        makeSegment(13, 6, 13, 6, 14, 7, 15, 8), makeSegment(20, 0, 21, 0, 22, 0, 23, 0)};
    const std::string drawing = formatDrawing(chain).text;
    const std::size_t types = drawing.find(" sodipodi:nodetypes=\"");
    ASSERT_NE(types, std::string::npos);
    EXPECT_EQ(drawing.substr(types, 35), " sodipodi:nodetypes=\"cscsccccc\"\n d=");
}

// On a page shrunk 76 times (a 10,000-segment course), the outline lies
// beneath the ground and locked, and both strokes keep their width on the
// page: the ground's 2 pixels wide, the outline's seen along the bottom.
TEST(DrawingFile, GroundOnTopAndStrokesVisibleOnAShrunkPage) {
    ScratchDir scratch;
    const std::string drawing = formatDrawing(longCourse(10000, 5, 36)).text;
    const std::size_t outline = drawing.find("<path id=\"outline\"");
    const std::size_t ground = drawing.find("<path id=\"ground\"");
    ASSERT_TRUE(outline != std::string::npos && ground != std::string::npos);
    EXPECT_LT(outline, ground);
    EXPECT_NE(drawing.find("sodipodi:insensitive=\"true\"", outline), std::string::npos);
    EXPECT_LT(drawing.find("sodipodi:insensitive"), ground);
    EXPECT_NE(drawing.find(" xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\""),
              std::string::npos);
    writeFile("course.svg", drawing);
    const Rendered image = render("course.svg", "-b white ");
    ASSERT_EQ(image.width, 4096);
    // Per column: the rows of dark blue (the ground) and whether any is orange (the outline).
    int groundColumns = 0, outlineColumns = 0, thickest = 0;
    for (int x = 0; x < image.width; ++x) {
        int blue = 0;
        bool orange = false;
        for (int y = 0; y < image.height; ++y) {
            const unsigned char* rgb = image.at(x, y);
            blue += rgb[2] > rgb[0] + 40 && rgb[0] < 120;
            orange = orange || (rgb[0] > rgb[2] + 40 && rgb[1] < 200);
        }
        groundColumns += blue > 0;
        outlineColumns += orange;
        thickest = std::max(thickest, blue);
    }
    // The view box's margins are a fiftieth on each side.
    EXPECT_GT(groundColumns, image.width * 9 / 10);
    EXPECT_GT(outlineColumns, image.width * 9 / 10);
    EXPECT_GE(thickest, 2);
}

// The exported drawing rendered by librsvg: the ground's pixels lie on the
// curve, where the editor draws it (ten pixels per map unit, less the view
// box's corner), and the curve has ground pixels all along.
TEST(DrawingFile, RenderedGroundLiesWhereTheEditorDrawsIt) {
    ScratchDir scratch;
    const std::vector<Segment> course = longCourse(12, 5, 7);
    writeFile("course.svg", formatDrawing(course).text);
    const Rendered image = render("course.svg");
    const int width = image.width, height = image.height;
    ASSERT_GT(width, 0);
    const std::string drawing = readFile("course.svg");
    double left = 0, top = 0;
    ASSERT_EQ(std::sscanf(drawing.c_str() + drawing.find("viewBox=\""), "viewBox=\"%lf %lf", &left, &top), 2);
    // Whether a pixel of the 3 x 3 around (x, y) is mostly blue (the ground) or red (the outline).
    auto near = [&](double x, double y, int more, int less) {
        for (int k = 0; k < 9; ++k) {
            const int px = int(x) + k % 3 - 1, py = int(y) + k / 3 - 1;
            if (px < 0 || py < 0 || px >= width || py >= height) continue;
            const unsigned char* rgb = image.at(px, py);
            if (rgb[more] > rgb[less] + 40 && rgb[less] < 150) return true;
        }
        return false;
    };
    std::vector<ControlPoint> curve;
    for (Segment s : course) {
        s.setResolution(200);
        for (const ControlPoint& p : s.getSamples()) curve.push_back({p.x * 10 - left, p.y * 10 - top});
    }
    for (const ControlPoint& p : curve)
        ASSERT_TRUE(near(p.x, p.y, 2, 0)) << "no ground at " << p.x << ", " << p.y;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double nearest = 1e9;
            for (const ControlPoint& p : curve)
                nearest = std::min(nearest, std::hypot(p.x - x - 0.5, p.y - y - 0.5));
            ASSERT_TRUE(nearest < 3.5 || !near(x + 0.5, y + 0.5, 2, 0)) << "ground at " << x << ", " << y;
        }
    // The outline runs from the first point to the left foot (400 map units down) across the bottom edge.
    const ControlPoint first = course.front().getStartPoint();
    const double bottom = top + height - 0.5;
    EXPECT_TRUE(near((first.x - 0.5 * (bottom - first.y * 10) / (4000 - first.y * 10)) * 10 - left,
                     height - 1, 0, 2));
}

}  // namespace
