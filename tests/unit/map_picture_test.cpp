// The pictures of a map that --convert writes: which maps give one, and what
// the PNG shows where, read back with Cairo.

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "CommandLine.h"
#include "DrawingConvert.h"
#include "InitialMap.h"
#include "MapPicture.h"
#include "ScratchDir.h"

namespace {

struct Recorded final : Messages {
    std::string reports, problems;
    bool report(std::string_view lines) override { return reports += lines, true; }
    void problem(std::string_view lines) override { problems += lines; }
};

struct SurfaceEnd {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using Png = std::unique_ptr<cairo_surface_t, SurfaceEnd>;

Png readPng(const char* path) { return Png(cairo_image_surface_create_from_png(path)); }

// The pixel at (x, y) as 0xRRGGBB.
std::uint32_t pixel(cairo_surface_t* png, int x, int y) {
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(png) || y >= cairo_image_surface_get_height(png)) {
        ADD_FAILURE() << "no pixel at " << x << ", " << y;
        return 0;
    }
    const unsigned char* row = cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png);
    return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
}

// A course of 400 waves, for a map with many segments.
std::string waves() {
    std::string map;
    for (int i = 0; i < 400; ++i) {
        const std::string x = std::to_string(i * 3), y = i % 2 ? "4" : "-4";
        map += x + " 0 " + x + " " + y + "\n" + std::to_string(i * 3 + 3) + " " + y + " " + std::to_string(i * 3 + 3) +
               " 0\n5\n";
    }
    return map;
}

TEST(MapPicture, WhichMapsGivePicturesAndWhichAreRefused) {
    ScratchDir scratch;
    // 521 segments of 10,002 points: past the point budget.
    std::string overBudget;
    for (int i = 0; i < 521; ++i) overBudget += "0 0 1 0\n2 0 3 0\n10000\n";
    const struct {
        std::string map;
        int status;
        std::string problem;  // after "IN: "
        int width, height;    // of the PNG
    } cases[] = {
        {initialMapText, 0, "", 1024, 501},  // 16 x 7.5 and the margins
        {"0 0 10 0\n20 0 30 0\n5", 0, "", 1024, 39},  // flat: no height but the margin
        {waves(), 0, "", 1024, 44},  // the waves' tops (not their handles) make the box
        {"0 0 a\n", 1, "File input error: IN: record 1, line 1: \"a\" is not a number\n", 0, 0},
        {"", 1, "IN: the map has no segments\n", 0, 0},
        {overBudget, 1, "File input error: IN: 5211042 points, more than the editor holds (5200000)\n", 0, 0},
        {"-1.7e308 0 0 0\n0 0 1.7e308 0\n5", 1, "IN: the ground is too large to be drawn\n", 0, 0},
        {"5 -0 5 0\n5 0 5 -0\n5\n5 0 5 0\n5 0 5 0\n0", 1,
         "IN: the ground has no extent to draw: all its points are one point\n", 0, 0},
        {"0 0 0 0\n0 0 1e-320 0\n5", 1, "IN: the ground is too small to be drawn\n", 0, 0},
    };
    for (const auto& c : cases) {
        writeFile("IN", c.map);
        for (const char* out : {"out.png", "out.pdf"}) {
            std::remove(out);
            Recorded messages;
            EXPECT_EQ(convertWithoutWindow("IN", out, messages), c.status) << c.map.substr(0, 40) << out;
            EXPECT_EQ(messages.problems, c.problem) << out;
            if (c.status != 0) {
                EXPECT_NE(std::remove(out), 0) << "written after a refusal: " << out;
                continue;
            }
            if (out == std::string("out.pdf")) {
                const std::string pdf = readFile(out);
                EXPECT_EQ(pdf.compare(0, 5, "%PDF-"), 0);
                EXPECT_NE(pdf.find("%%EOF", pdf.size() - 8), std::string::npos);
                continue;
            }
            const Png png = readPng(out);
            ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
            EXPECT_EQ(cairo_image_surface_get_width(png.get()), c.width);
            EXPECT_EQ(cairo_image_surface_get_height(png.get()), c.height);
        }
    }
    // Sizes at the bounds, and a size for no picture.
    writeFile("flat.mef", "0 0 10 0\n20 0 30 0\n5");
    Recorded messages;
    ASSERT_EQ(convertWithoutWindow("flat.mef", "small.png", messages, minPictureSize), 0);
    EXPECT_EQ(cairo_image_surface_get_width(readPng("small.png").get()), 16);
    EXPECT_EQ(cairo_image_surface_get_height(readPng("small.png").get()), 1);
    EXPECT_EQ(convertWithoutWindow("flat.mef", "big.svg", messages, 64), usageExitStatus);
    EXPECT_NE(std::remove("big.svg"), 0);
    // A picture that cannot be written: its line, status 1.
    messages.problems.clear();
    EXPECT_EQ(convertWithoutWindow("flat.mef", "missing/out.png", messages), 1);
    EXPECT_EQ(messages.problems.rfind("File output error: missing/out.png: ", 0), 0u) << messages.problems;
}

TEST(MapPicture, EarthBelowTheGroundAndNoneAboveIt) {
    ScratchDir scratch;
    // Flat from x 0 to 50 at height 0, then straight up to height 40 at x 100
    // (map y is the height negated). The box is 100 x 40 with a margin of 2:
    // 1024 pixels for 104 units.
    // Sampled at resolution 5, Cairo draws it; at 3000 (past 4,096 points)
    // its pixels are worked out without Cairo: the same earth either way.
    std::uint32_t background = 0;
    for (const char* resolution : {"5", "3000"}) {
        writeFile("step.mef", std::string("0 0 10 0\n40 0 50 0\n") + resolution + "\n50 0 60 -8\n90 -32 100 -40\n" +
                                  resolution);
        Recorded messages;
        ASSERT_EQ(convertWithoutWindow("step.mef", "step.png", messages), 0) << messages.problems;
        const Png png = readPng("step.png");
        ASSERT_EQ(cairo_image_surface_get_width(png.get()), 1024);
        ASSERT_EQ(cairo_image_surface_get_height(png.get()), 433);
        const double scale = 1024.0 / 104;
        background = pixel(png.get(), 0, 0);
        const struct {
            double x, height;
            bool earth;
        } points[] = {
            {25, 5, false}, {25, -1, true}, {25, -1.5, true},  {75, 25, false},
            {75, 15, true}, {90, 36, false}, {90, 28, true}, {101, 20, false},
        };
        for (const auto& p : points) {
            const int x = static_cast<int>((p.x + 2) * scale), y = static_cast<int>((42 - p.height) * scale);
            EXPECT_EQ(pixel(png.get(), x, y) != background, p.earth) << p.x << ", " << p.height << ", " << resolution;
        }
    }
    Recorded messages;
    // The flat ground: earth on the bottom row, the background on the top one.
    writeFile("flat.mef", "0 0 10 0\n20 0 30 0\n5");
    ASSERT_EQ(convertWithoutWindow("flat.mef", "flat.png", messages), 0);
    const Png flat = readPng("flat.png");
    EXPECT_EQ(pixel(flat.get(), 512, 0), background);
    EXPECT_NE(pixel(flat.get(), 512, 38), background);
    // The line (0.12 grey, 2.56 pixels wide) is drawn over the earth: two
    // whole rows of its colour along its 985 pixels, where earth drawn over it
    // would leave none.
    int linePixels = 0;
    for (int y = 0; y < cairo_image_surface_get_height(flat.get()); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(flat.get()); ++x)
            linePixels += pixel(flat.get(), x, y) == 0x1E1E1E;
    EXPECT_GE(linePixels, 2 * 980);
}

}  // namespace
