// The map file "map.mef": its text byte for byte and the reader's checks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "InitialMap.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "NumberFormat.h"
#include "SampleBudget.h"
#include "SegmentFactory.h"

namespace {

// ---- Writing ----

TEST(MapFileFormat, InitialMapIsTheSixLinesWithoutFinalLineEnd) {
    MapEditor editor;
    EXPECT_EQ(formatMapFile(editor.getSegments()), initialMapText);
}

TEST(MapFileFormat, OneSegmentIsThreeLines) {
    const std::vector<Segment> chain = {makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10, 0)};
    EXPECT_EQ(formatMapFile(chain), "0 10 0.5 18\n10 18 10.5 10\n0");
}

TEST(MapFileFormat, KeepsTheMapFrameAndSixDigits) {
    const std::vector<Segment> chain = {makeSegment(123.4567, -0.0, 1e7, -2.5e-5, 0, 0, 1, 1, 12)};
    EXPECT_EQ(formatMapFile(chain), "123.457 -0 1e+07 -2.5e-05\n0 0 1 1\n12");
}

TEST(MapFileFormat, EmptyChainIsEmptyText) { EXPECT_EQ(formatMapFile({}), ""); }

// ---- Reading ----

TEST(MapFileParse, ReadsTheWrittenLayout) {
    const MapFileParse parsed = parseMapFile(initialMapText);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.records.size(), 2u);
    EXPECT_FALSE(parsed.incompleteDropped);
    const MapRecord& second = parsed.records[1];
    EXPECT_EQ(second.points[0].x, 10.5);
    EXPECT_EQ(second.points[1].y, 8.0);
    EXPECT_EQ(second.points[2].x, 14.0);
    EXPECT_EQ(second.points[3].x, 16.0);
    EXPECT_EQ(second.resolution, 5);
}

TEST(MapFileParse, LineStructureAndTrailingWhitespacePlayNoPart) {
    const std::string reference = formatMapFile(segmentsFromRecords(parseMapFile(initialMapText).records));
    const char* variants[] = {
        "0 10 0.5 18 10 18 10.5 10 5 10.5 10 12 8 14 8 16 10 5",
        "0\n10\n0.5\n18\n10\n18\n10.5\n10\n5\n10.5\n10\n12\n8\n14\n8\n16\n10\n5\n",
        "  0 10 0.5 18\r\n10 18 10.5 10\r\n5\r\n10.5 10 12 8\r\n14 8 16 10\r\n5\r\n",
        "0\t10\v0.5\f18 10 18 10.5 10 5 10.5 10 12 8 14 8 16 10 5 \n\n \t",
        "+0 10 0.5 18 10 18 10.5 10 +5 10.5 10 12 8 14 8 16 10 5",
    };
    for (const char* text : variants) {
        const MapFileParse parsed = parseMapFile(text);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_FALSE(parsed.incompleteDropped) << text;
        EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), reference) << text;
    }
}

TEST(MapFileParse, EmptyAndBlankTextsHoldNoRecords) {
    for (const char* text : {"", " ", "\n\r\n\t "}) {
        const MapFileParse parsed = parseMapFile(text);
        EXPECT_TRUE(parsed.ok());
        EXPECT_TRUE(parsed.records.empty());
        EXPECT_FALSE(parsed.incompleteDropped);
    }
}

TEST(MapFileParse, TruncatedLastRecordIsDropped) {
    const MapFileParse parsed = parseMapFile("0 10 0.5 18 10 18 10.5 10 5\n10.5 10 12 8 14");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.records.size(), 1u);
    EXPECT_TRUE(parsed.incompleteDropped);
    EXPECT_EQ(parsed.incompleteValues, 5);

    // Eight coordinates without their resolution are incomplete too.
    const MapFileParse noResolution = parseMapFile("1 2 3 4 5 6 7 8");
    EXPECT_TRUE(noResolution.records.empty());
    EXPECT_TRUE(noResolution.incompleteDropped);
    EXPECT_EQ(noResolution.incompleteValues, 8);

    const MapFileParse oneValue = parseMapFile("1 2 3 4 5 6 7 8 1 9\n");
    EXPECT_EQ(oneValue.records.size(), 1u);
    EXPECT_TRUE(oneValue.incompleteDropped);
    EXPECT_EQ(oneValue.incompleteValues, 1);
}

TEST(MapFileParse, RejectsValuesThatAreNotFiniteNumbers) {
    const char* prefix = "0 10 0.5 18 10 18 10.5 10 5\n";
    const char* badSecondRecords[] = {
        "1 2 3 abc 5 6 7 8 5",       "1 2 3 4 nan 6 7 8 5",   "1 2 3 4 5 inf 7 8 5",
        "1 2 -infinity 4 5 6 7 8 5", "1 2 3 4 5 6 7 1e400 5", "1 2 3 4 5 6 7 1e-400 5",
        "1.5x 2 3 4 5 6 7 8 5",      "1 2 3 4 5 6 7 8,5 5",   "1 2 3 4 5 6 7 0x10 5",
        "1 2 3 4 5 6 7 +-8 5",       "1 2 3 4 5 6 7 - 5",     "1 2 3 4 5 6 7 1e 5",
    };
    for (const char* record : badSecondRecords) {
        const MapFileParse parsed = parseMapFile(std::string(prefix) + record);
        EXPECT_FALSE(parsed.ok()) << record;
        EXPECT_TRUE(parsed.records.empty()) << record;
        EXPECT_EQ(parsed.error.rfind("record 2, line 2: ", 0), 0u) << parsed.error;
    }
}

TEST(MapFileParse, RejectsResolutionsThatAreNotSmallCounts) {
    for (const char* resolution : {"-1", "10001", "99999999999", "5.0", "1e3", "five"}) {
        const MapFileParse parsed = parseMapFile(std::string("1 2 3 4 5 6 7 8 ") + resolution);
        EXPECT_FALSE(parsed.ok()) << resolution;
        EXPECT_NE(parsed.error.find("resolution"), std::string::npos) << parsed.error;
    }
    for (const char* resolution : {"0", "10000", "-0"}) {
        const MapFileParse parsed = parseMapFile(std::string("1 2 3 4 5 6 7 8 ") + resolution);
        EXPECT_TRUE(parsed.ok()) << resolution << ": " << parsed.error;
    }
}

TEST(MapFileParse, ErrorTextNamesThePlaceAndQuotesSafely) {
    const MapFileParse parsed = parseMapFile("1 2 3 4 5 6 7 8 1\n\n1 2 3\x1b[2J 5 6 7 8 1");
    EXPECT_EQ(parsed.error, "record 2, line 3: \"3?[2J\" is not a number");
    const MapFileParse longWord = parseMapFile(std::string(100, 'z'));
    EXPECT_EQ(longWord.error, "record 1, line 1: \"" + std::string(24, 'z') + "...\" is not a number");
}

// What Windows tools leave in a text file: a UTF-8 byte order mark, a Ctrl-Z
// after the last byte (copy a+b), CR-only line ends, UTF-16 of either order.
TEST(MapFileParse, TextFromWindowsTools) {
    const std::string map = initialMapText, bom = "\xEF\xBB\xBF";
    std::string utf16;
    for (const char c : map) utf16 += {c, '\0'};
    const std::string utf16Refused = "UTF-16 text, save it as UTF-8 or ANSI";
    const struct {
        std::string text;
        std::string error;  // a part of the error; empty: reads as the initial map
    } cases[] = {
        {bom + map + "\x1A", ""},
        {map + "\r\n\x1A", ""},
        {map + "\n\x1A\r\n", "is not a number"},
        {" " + bom + map, "is not a number"},
        {"1 2 3 4\r5 6 7 8\r1\r\r\n1 x", ", line 5: "},
        {"\xFF\xFE" + utf16, utf16Refused},
        {utf16, utf16Refused},
        {'\0' + utf16.substr(0, utf16.size() - 1), utf16Refused},
        {map + " " + '\0', "is not a number"},
    };
    for (const auto& c : cases) {
        const MapFileParse parsed = parseMapFile(c.text);
        if (c.error.empty())
            EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), map) << parsed.error;
        else
            EXPECT_NE(parsed.error.find(c.error), std::string::npos) << parsed.error;
    }
}

TEST(MapFileParse, RoundTripKeepsSixSignificantDigits) {
    std::mt19937 random(4242);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-6, 8);
    std::uniform_int_distribution<int> resolution(0, 50);
    std::vector<Segment> chain;
    for (int i = 0; i < 300; ++i) {
        double v[8];
        for (double& x : v) x = mantissa(random) * std::pow(10.0, exponent(random));
        chain.push_back(makeSegment(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], resolution(random)));
    }
    const std::string text = formatMapFile(chain);
    const MapFileParse parsed = parseMapFile(text);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.records.size(), chain.size());
    for (std::size_t i = 0; i < chain.size(); ++i) {
        const std::vector<ControlPoint> written = chain[i].controlPoints();
        for (int k = 0; k < 4; ++k) {
            const ControlPoint& read = parsed.records[i].points[k];
            EXPECT_NEAR(read.x, written[k].x, std::fabs(written[k].x) * 5e-6);
            EXPECT_NEAR(read.y, written[k].y, std::fabs(written[k].y) * 5e-6);
        }
        EXPECT_EQ(parsed.records[i].resolution, chain[i].getResolution());
    }
    // What was read once is written back unchanged.
    EXPECT_EQ(formatMapFile(segmentsFromRecords(parsed.records)), text);
}

TEST(MapFileParse, ReadsBackEveryValueTheWriterCanProduce) {
    const double tiny = std::numeric_limits<double>::denorm_min();
    const double big = std::numeric_limits<double>::max();
    const std::vector<Segment> chain = {makeSegment(tiny, -tiny, big, -big, 1e-310, 0, -0.0, 1, 10000)};
    const MapFileParse parsed = parseMapFile(formatMapFile(chain));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.records[0].points[0].x, tiny);
    // DBL_MAX rounds to six digits below it, still finite.
    EXPECT_TRUE(std::isfinite(parsed.records[0].points[1].y));
    EXPECT_TRUE(std::signbit(parsed.records[0].points[3].x));
}

TEST(MapFileParse, RecordsBecomeDefaultSegments) {
    const std::vector<Segment> chain = segmentsFromRecords(parseMapFile("0 0 1 1 2 1 3 0 2").records);
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_EQ(chain[0].getResolution(), 2);
    EXPECT_EQ(chain[0].getSamples().size(), 4u);
    EXPECT_FALSE(chain[0].isSelected());
    EXPECT_EQ(chain[0].getEndHandle().x, 2.0);
}

}  // namespace
