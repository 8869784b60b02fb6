// The ground points file "gnd.pts" and the start-point listing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "GroundFile.h"
#include "MapEditor.h"
#include "SegmentFactory.h"

namespace {

const char initialMapGround[] =
    "-0.5 -400.00000 0.0000000 0.000000\n"
    "0 -10 0.000000 0.00000\n"
    "0.916667 -13.3333 -0.00000 1.00000\n"
    "2.83333 -15.3333 -0.00000 1.00000\n"
    "5.25 -16 -0.00000 1.00000\n"
    "7.66667 -15.3333 -0.00000 1.00000\n"
    "9.58333 -13.3333 -0.00000 1.00000\n"
    "10.5 -10 -0.00000 1.00000\n"
    "11.2894 -9.16667 -0.00000 1.00000\n"
    "12.1481 -8.66667 -0.00000 1.00000\n"
    "13.0625 -8.5 -0.00000 1.00000\n"
    "14.0185 -8.66667 -0.00000 1.00000\n"
    "15.0023 -9.16667 -0.00000 1.00000\n"
    "16 -10 -0.00000 1.00000\n"
    "16.5 -400.00000 0.000000 0.00000\n";

Segment startingAt(double x, double y) { return makeSegment(x, y, x + 1, y, x + 2, y, x + 3, y, 1); }

// The listing as a double loop over all pairs, exactly as the editor first did it.
std::string literalListing(const std::vector<Segment>& segments) {
    std::string listing;
    for (std::size_t i = 0; i < segments.size(); ++i)
        for (std::size_t j = 0; j < segments.size(); ++j)
            if (segments[j].getStartPoint().x == segments[i].getStartPoint().x &&
                segments[j].getStartPoint().y == segments[i].getStartPoint().y)
                listing += std::to_string(j) + "\n";
    return listing;
}

TEST(GroundFile, InitialMapGivesTheFifteenLines) {
    MapEditor editor;
    std::string text;
    EXPECT_EQ(appendGroundFile(text, editor.getSegments()), 14);
    EXPECT_EQ(text, initialMapGround);
}

TEST(GroundFile, OneSegmentWithoutInteriorSamplesGivesFourLines) {
    std::string text;
    EXPECT_EQ(appendGroundFile(text, {makeSegment(0, 10, 0.5, 18, 10, 18, 10.5, 10, 0)}), 2);
    EXPECT_EQ(text,
              "-0.5 -400.00000 0.0000000 0.000000\n"
              "0 -10 0.000000 0.00000\n"
              "10.5 -10 -0.00000 1.00000\n"
              "11 -400.00000 0.000000 0.00000\n");
}

TEST(GroundFile, YOfZeroIsWrittenNegated) {
    std::string text;
    appendGroundFile(text, {makeSegment(1, 0, 2, 0, 3, 0, 4, 0, 0)});
    EXPECT_EQ(text,
              "0.5 -400.00000 0.0000000 0.000000\n"
              "1 -0 0.000000 0.00000\n"
              "4 -0 -0.00000 1.00000\n"
              "4.5 -400.00000 0.000000 0.00000\n");
}

TEST(GroundFile, PointTotalCountsEverySample) {
    const std::vector<Segment> chain = {startingAt(0, 0), makeSegment(3, 0, 4, 1, 5, 1, 6, 0, 7),
                                        makeSegment(6, 0, 7, 1, 8, 1, 9, 0, 0)};
    std::string text;
    EXPECT_EQ(appendGroundFile(text, chain), 3 + 9 + 2);
    // Lines: two feet, the start line, and one line fewer than the samples per segment.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 2 + 8 + 1);
}

TEST(StartPointListing, DistinctStartPointsListEachIndexOnce) {
    EXPECT_EQ(sharedStartPointListing({startingAt(0, 0), startingAt(3, 0), startingAt(6, 0)}), "0\n1\n2\n");
    EXPECT_EQ(sharedStartPointListing({}), "");
}

TEST(StartPointListing, SharedStartPointIsListedForEachSharer) {
    EXPECT_EQ(sharedStartPointListing({startingAt(0, 0), startingAt(3, 0), startingAt(0, 0)}),
              "0\n2\n1\n0\n2\n");
}

TEST(StartPointListing, ComparesLikeDoublesDo) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // -0 equals 0; a NaN start point equals nothing, not even itself.
    const std::vector<Segment> chain = {startingAt(0.0, 1), startingAt(nan, 1), startingAt(-0.0, 1),
                                        startingAt(1, nan)};
    EXPECT_EQ(sharedStartPointListing(chain), "0\n2\n0\n2\n");
    EXPECT_EQ(sharedStartPointListing(chain), literalListing(chain));
}

TEST(StartPointListing, MatchesThePairwiseLoopOnRandomChains) {
    std::mt19937 random(977);
    // Few distinct coordinates, signed zeros and NaN among them, so that many
    // start points are shared.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double pool[] = {0.0, -0.0, 1.0, 2.5, -3.0, 1e-300, nan};
    std::uniform_int_distribution<int> pick(0, 6);
    std::uniform_int_distribution<int> length(0, 120);
    for (int round = 0; round < 200; ++round) {
        std::vector<Segment> chain;
        const int n = length(random);
        for (int i = 0; i < n; ++i) chain.push_back(startingAt(pool[pick(random)], pool[pick(random)]));
        ASSERT_EQ(sharedStartPointListing(chain), literalListing(chain)) << "round " << round;
    }
}

}  // namespace
