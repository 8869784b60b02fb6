#include <gtest/gtest.h>

#include <string>

#include "MapEditor.h"
#include "SampleBudget.h"
#include "SegmentFactory.h"

// The tools reach the chain only through the handles the editor gives out:
// a handle works on the editor it came from, with the state that editor
// keeps, and says refusals to that editor's sink.

// The initial map at view offset (10, 10): the junction at pixel (115, 110).
TEST(ChainEdit, ACopyCarriesTheToolsStateAndEditsOnlyItsOwnChain) {
    MapEditor original;
    original.many().pickAllEndPoints();
    original.precision().set(true);
    MapEditor copy = original;
    // The copy's band selection moves on a press on one of its points.
    ASSERT_TRUE(copy.many().press(115, 110, false, false));
    ASSERT_TRUE(copy.many().motion(135, 130));
    ASSERT_TRUE(copy.many().release());
    EXPECT_TRUE(copy.precision().isOn());
    EXPECT_EQ(copy.segment(0).getEndPoint(), (ControlPoint{13, 12}));  // 12.5 onto the grid
    EXPECT_EQ(original.segment(0).getEndPoint(), (ControlPoint{10.5, 10}));
    EXPECT_FALSE(original.undo());
    // The step is the copy's: undone there, the original's history is untouched.
    EXPECT_TRUE(copy.undo());
    EXPECT_EQ(copy.segment(0).getEndPoint(), (ControlPoint{10.5, 10}));
    EXPECT_EQ(copy.contentId(), original.contentId());
}

TEST(ChainEdit, EachEditorSaysItsRefusalsToItsOwnSink) {
    std::string first, second;
    MapEditor a, b, silent;
    a.setRefusalSink([&first](const std::string& line) { first += line + "\n"; });
    b.setRefusalSink([&second](const std::string& line) { second += line + "\n"; });
    for (MapEditor* e : {&a, &b, &silent}) {
        e->mouse(ButtonAction::press, 10, 110);
        e->mouse(ButtonAction::release, 10, 110);
        e->splitJoin().dissolvePicked();
    }
    b.replaceChain({makeSegment(0, 10, 10, 10, 20, 10, 30, 10, static_cast<int>(sampleBudget - 2))});
    EXPECT_FALSE(b.splitJoin().splitAt(150, 101));
    const std::string end = "An end of the ground cannot be dissolved: use Remove Point\n";
    EXPECT_EQ(first, end);
    EXPECT_EQ(second, end + "Split refused: " + std::to_string(sampleBudget + 2) +
                          " points, more than the editor holds (" + std::to_string(sampleBudget) + ")\n");
    EXPECT_EQ(silent.segmentCount(), 2);
}
