#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "GroundFile.h"
#include "MapEditor.h"
#include "MapFile.h"
#include "SampleBudget.h"
#include "SegmentFactory.h"

namespace {

constexpr ButtonAction press = ButtonAction::press;
constexpr ButtonAction release = ButtonAction::release;

// A joined chain of `count` pieces, piece k from (3k, 10) to (3k + 3, 10), with
// its handles at (3k + 1, 7) and (3k + 2, 13): after a load (view offset (1, 1))
// piece k's start handle lies alone at window pixel (30k + 11, 71).
std::vector<Segment> chainOf(int count) {
    std::vector<Segment> chain;
    for (int k = 0; k < count; ++k) {
        const double x = 3.0 * k;
        chain.push_back(makeSegment(x, 10, x + 1, 7, x + 2, 13, x + 3, 10));
    }
    return chain;
}

void pressStartHandleOf(MapEditor& editor, int k) {
    editor.mouse(press, 30 * k + 11, 71);
    editor.mouse(release, 30 * k + 11, 71);
}

void expectPoints(const Segment& s, const std::vector<ControlPoint>& expected) {
    EXPECT_EQ(s.controlPoints(), expected);
}

std::vector<std::vector<ControlPoint>> allPoints(const MapEditor& editor) {
    std::vector<std::vector<ControlPoint>> points;
    for (const Segment& s : editor.getSegments()) points.push_back(s.controlPoints());
    return points;
}

// Removal exactly as the chain's rule states it: walk down from the last index,
// remove each selected segment and rejoin its neighbours when both exist.
void removeByDownwardWalk(std::vector<Segment>& segments) {
    for (int i = static_cast<int>(segments.size()) - 1; i >= 0; --i) {
        if (!segments[i].isSelected()) continue;
        segments.erase(segments.begin() + i);
        if (i > 0 && i < static_cast<int>(segments.size())) {
            Segment& p = segments[i - 1];
            const Segment& n = segments[i];
            const double dx = p.getEndPoint().x - p.getEndHandle().x;
            const double dy = p.getEndPoint().y - p.getEndHandle().y;
            const ControlPoint target = n.getStartPoint();
            p.setPoints(p.getStartPoint().x, p.getStartPoint().y, p.getStartHandle().x, p.getStartHandle().y,
                        target.x - dx, target.y - dy, target.x, target.y);
        }
    }
}

}  // namespace

TEST(MapEditorModel, InitialMap) {
    MapEditor editor;
    ASSERT_EQ(editor.segmentCount(), 2);
    expectPoints(editor.segment(0), {{0, 10}, {0.5, 18}, {10, 18}, {10.5, 10}});
    expectPoints(editor.segment(1), {{10.5, 10}, {12, 8}, {14, 8}, {16, 10}});
    EXPECT_EQ(editor.pointCount(), 13);
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{10, 10}));
    EXPECT_EQ(editor.getRestLocation(), (ControlPoint{0.5, 0.5}));
    for (const Segment& s : editor.getSegments()) {
        EXPECT_EQ(s.getViewOffset(), (ControlPoint{10, 10}));
        EXPECT_EQ(s.getResolution(), 5);
        EXPECT_FALSE(s.isSelected());
    }
    ASSERT_EQ(editor.getMarkers().size(), 1u);
    EXPECT_EQ(editor.getMarkers()[0].getX(), 3);
    EXPECT_EQ(editor.getMarkers()[0].getY(), 10);
}

TEST(MapEditorModel, ReplaceChainActsAsALoad) {
    MapEditor editor;
    editor.keyboard('a');
    editor.replaceChain(chainOf(3));
    EXPECT_EQ(editor.segmentCount(), 3);
    EXPECT_TRUE(editor.getMarkers().empty());
    EXPECT_EQ(editor.getRestLocation(), (ControlPoint{0.5, 0.5}));
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{1, 1}));
    for (const Segment& s : editor.getSegments()) EXPECT_EQ(s.getViewOffset(), (ControlPoint{1, 1}));
    EXPECT_EQ(editor.pointCount(), 3 * 5 + 3 + 1);

    editor.replaceChain({});
    EXPECT_EQ(editor.segmentCount(), 0);
    EXPECT_EQ(editor.pointCount(), 1);
}

TEST(MapEditorModel, PointCountTakesNegativeResolutionAsZero) {
    MapEditor editor;
    std::vector<Segment> chain = chainOf(2);
    chain[0].setResolution(-4);
    editor.replaceChain(chain);
    // The first segment holds its two end points only: 1 + 1 + (5 + 1).
    EXPECT_EQ(editor.pointCount(), 8);
}

TEST(MapEditorMouse, JunctionPressSelectsBothAndDragKeepsTheChainJoined) {
    MapEditor editor;
    editor.mouse(press, 115, 110);
    const Segment& first = editor.segment(0);
    const Segment& second = editor.segment(1);
    EXPECT_TRUE(first.isSelected());
    EXPECT_TRUE(second.isSelected());
    EXPECT_EQ(first.getDragPoint(), PointRole::endPoint);
    EXPECT_EQ(second.getDragPoint(), PointRole::startPoint);

    editor.motion(130, 120);
    editor.motion(135, 150);
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{12.5, 14}));
    EXPECT_EQ(editor.segment(1).getStartPoint(), (ControlPoint{12.5, 14}));
    // Both handles moved by the junction's step (2, 4): the tangents are kept.
    EXPECT_EQ(editor.segment(0).getEndHandle(), (ControlPoint{12, 22}));
    EXPECT_EQ(editor.segment(1).getStartHandle(), (ControlPoint{14, 12}));
    EXPECT_EQ(editor.segment(0).getStartPoint(), (ControlPoint{0, 10}));
    EXPECT_EQ(editor.segment(1).getEndPoint(), (ControlPoint{16, 10}));
    EXPECT_EQ(editor.segment(0).getSamples().back(), (ControlPoint{12.5, 14}));

    // The release ends both picks; the selection stays.
    editor.mouse(release, 135, 150);
    editor.motion(300, 300);
    EXPECT_EQ(editor.segment(0).getEndPoint(), (ControlPoint{12.5, 14}));
    EXPECT_EQ(editor.segment(1).getStartPoint(), (ControlPoint{12.5, 14}));
    for (const Segment& s : editor.getSegments()) {
        EXPECT_EQ(s.getDragPoint(), PointRole::none);
        EXPECT_TRUE(s.isSelected());
    }
}

TEST(MapEditorMouse, HandlePressMovesThatHandleAlone) {
    MapEditor editor;
    editor.mouse(press, 130, 90);
    EXPECT_FALSE(editor.segment(0).isSelected());
    EXPECT_TRUE(editor.segment(1).isSelected());
    editor.motion(140, 40);
    expectPoints(editor.segment(1), {{10.5, 10}, {13, 3}, {14, 8}, {16, 10}});
    expectPoints(editor.segment(0), {{0, 10}, {0.5, 18}, {10, 18}, {10.5, 10}});
}

TEST(MapEditorMouse, PressOnEmptyMapDeselectsAll) {
    MapEditor editor;
    editor.mouse(press, 115, 110);
    editor.mouse(release, 115, 110);
    editor.mouse(press, 400, 400);
    for (const Segment& s : editor.getSegments()) EXPECT_FALSE(s.isSelected());
}

TEST(MapEditorMouse, StartUpPressAtOriginHitsNothing) {
    MapEditor editor;
    editor.mouse(press, 0, 0);
    for (const Segment& s : editor.getSegments()) {
        EXPECT_FALSE(s.isSelected());
        EXPECT_EQ(s.getDragPoint(), PointRole::none);
    }
    EXPECT_FALSE(editor.getMarkers()[0].isGrabbed());
}

TEST(MapEditorMouse, MarkerFollowsTheDragAndStaysAfterRelease) {
    MapEditor editor;
    // The marker covers (10, 17) to (16, 23); its centre is (13, 20).
    editor.mouse(press, 13, 20);
    ASSERT_TRUE(editor.getMarkers()[0].isGrabbed());
    editor.motion(50, 60);
    EXPECT_EQ(editor.getMarkers()[0].getX(), 40);
    EXPECT_EQ(editor.getMarkers()[0].getY(), 50);
    editor.mouse(release, 50, 60);
    EXPECT_FALSE(editor.getMarkers()[0].isGrabbed());
    editor.mouse(press, 300, 300);
    editor.motion(310, 320);
    EXPECT_EQ(editor.getMarkers()[0].getX(), 40);
    EXPECT_EQ(editor.getMarkers()[0].getY(), 50);

    // The edge of the marker is outside: all four comparisons are strict.
    editor.mouse(release, 0, 0);
    editor.mouse(press, 47, 60);
    EXPECT_FALSE(editor.getMarkers()[0].isGrabbed());
    editor.mouse(press, 48, 60);
    EXPECT_TRUE(editor.getMarkers()[0].isGrabbed());
}

TEST(MapEditorKeyboard, ViewKeysShiftByFifteenPixels) {
    MapEditor editor;
    editor.keyboard('a');
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{25, 10}));
    editor.keyboard('w');
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{25, 25}));
    editor.keyboard('d');
    editor.keyboard('d');
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{-5, 25}));
    editor.keyboard('s');
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{-5, 10}));
    for (const Segment& s : editor.getSegments()) EXPECT_EQ(s.getViewOffset(), (ControlPoint{-5, 10}));

    // The junction now lies at (100, 110), and a press there picks it.
    editor.mouse(press, 100, 110);
    EXPECT_TRUE(editor.segment(0).isSelected());
    EXPECT_TRUE(editor.segment(1).isSelected());
}

TEST(MapEditorKeyboard, OtherKeysDoNothing) {
    MapEditor editor;
    const std::vector<unsigned char> keys = {'A', 'D', 'W', 'S', 'x', ' ', '\r', 0x1b, 0, 200};
    for (unsigned char key : keys) {
        editor.keyboard(key);
    }
    EXPECT_EQ(editor.getViewOffset(), (ControlPoint{10, 10}));
    for (const Segment& s : editor.getSegments()) EXPECT_EQ(s.getViewOffset(), (ControlPoint{10, 10}));
}

TEST(MapEditorCommands, AppendAfterTheLastSegment) {
    MapEditor editor;
    editor.keyboard('a');
    editor.appendSegment();
    ASSERT_EQ(editor.segmentCount(), 3);
    const Segment& added = editor.segment(2);
    expectPoints(added, {{16, 10}, {17, 11}, {18, 11}, {19, 10}});
    EXPECT_FALSE(added.isSelected());
    EXPECT_EQ(added.getDragPoint(), PointRole::none);
    EXPECT_EQ(added.getSamples().size(), 7u);
    EXPECT_EQ(added.getViewOffset(), (ControlPoint{25, 10}));
    EXPECT_EQ(editor.pointCount(), 19);

    editor.appendSegment();
    expectPoints(editor.segment(3), {{19, 10}, {20, 11}, {21, 11}, {22, 10}});
}

TEST(MapEditorCommands, AppendOnEmptyChainStartsANewOne) {
    MapEditor editor;
    editor.replaceChain({});
    editor.appendSegment();
    ASSERT_EQ(editor.segmentCount(), 1);
    expectPoints(editor.segment(0), {{0, 10}, {1, 11}, {2, 11}, {3, 10}});
    EXPECT_EQ(editor.segment(0).getViewOffset(), (ControlPoint{1, 1}));
    EXPECT_EQ(editor.pointCount(), 7);
}

TEST(MapEditorCommands, RemoveMiddleOfThreeRejoinsItsNeighbours) {
    MapEditor editor;
    editor.replaceChain(chainOf(3));
    pressStartHandleOf(editor, 1);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 2);
    // S1's end moves onto S3's start (6, 10) and its end handle by the same (3, 0).
    expectPoints(editor.segment(0), {{0, 10}, {1, 7}, {5, 13}, {6, 10}});
    expectPoints(editor.segment(1), {{6, 10}, {7, 7}, {8, 13}, {9, 10}});
    EXPECT_EQ(editor.segment(0).getSamples().back(), (ControlPoint{6, 10}));
}

TEST(MapEditorCommands, RemoveLastOrTrailingRunNeedsNoRejoin) {
    MapEditor editor;
    editor.replaceChain(chainOf(3));
    pressStartHandleOf(editor, 2);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 2);
    expectPoints(editor.segment(1), {{3, 10}, {4, 7}, {5, 13}, {6, 10}});

    std::vector<Segment> chain = chainOf(3);
    chain[1].setSelected(true);
    chain[2].setSelected(true);
    editor.replaceChain(chain);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 1);
    expectPoints(editor.segment(0), {{0, 10}, {1, 7}, {2, 13}, {3, 10}});
}

TEST(MapEditorCommands, RemoveInFourSegmentChains) {
    MapEditor editor;
    editor.replaceChain(chainOf(4));
    pressStartHandleOf(editor, 2);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 3);
    expectPoints(editor.segment(1), {{3, 10}, {4, 7}, {8, 13}, {9, 10}});
    expectPoints(editor.segment(2), {{9, 10}, {10, 7}, {11, 13}, {12, 10}});

    // S2 and S3 both selected: S1 ends up rejoined to S4 with its own end handle vector.
    std::vector<Segment> chain = chainOf(4);
    chain[1].setSelected(true);
    chain[2].setSelected(true);
    editor.replaceChain(chain);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 2);
    expectPoints(editor.segment(0), {{0, 10}, {1, 7}, {8, 13}, {9, 10}});
    expectPoints(editor.segment(1), {{9, 10}, {10, 7}, {11, 13}, {12, 10}});
}

TEST(MapEditorCommands, RemoveFirstOrEverything) {
    MapEditor editor;
    editor.mouse(press, 10, 110);
    editor.removeSelected();
    ASSERT_EQ(editor.segmentCount(), 1);
    expectPoints(editor.segment(0), {{10.5, 10}, {12, 8}, {14, 8}, {16, 10}});

    MapEditor junction;
    junction.mouse(press, 115, 110);
    junction.removeSelected();
    EXPECT_EQ(junction.segmentCount(), 0);
    EXPECT_EQ(junction.pointCount(), 1);

    MapEditor none;
    none.removeSelected();
    EXPECT_EQ(none.segmentCount(), 2);
}

TEST(MapEditorCommands, RemoveMatchesTheDownwardWalkOnRandomChains) {
    std::mt19937 rng(424242);
    std::uniform_real_distribution<double> coord(-50.0, 50.0);
    std::uniform_int_distribution<int> length(0, 12);
    std::bernoulli_distribution pick(0.4);
    MapEditor editor;
    for (int round = 0; round < 300; ++round) {
        // Unjoined random pieces, so every rejoin shows in the result.
        std::vector<Segment> chain;
        const int n = length(rng);
        for (int k = 0; k < n; ++k) {
            double c[8];
            for (double& v : c) v = coord(rng);
            chain.push_back(makeSegment(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]));
            chain.back().setSelected(pick(rng));
        }
        std::vector<Segment> expected = chain;
        removeByDownwardWalk(expected);
        editor.replaceChain(chain);
        editor.removeSelected();
        ASSERT_EQ(editor.segmentCount(), static_cast<int>(expected.size())) << "round " << round;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(editor.segment(static_cast<int>(i)).controlPoints(), expected[i].controlPoints())
                << "round " << round << " segment " << i;
            EXPECT_EQ(editor.segment(static_cast<int>(i)).getSamples().back(), expected[i].getEndPoint());
        }
    }
}

TEST(MapEditorCommands, ResolutionOfSelectedOnly) {
    MapEditor editor;
    editor.mouse(press, 150, 90);
    editor.setResolutionOfSelected(0);
    EXPECT_EQ(editor.segment(1).getResolution(), 0);
    ASSERT_EQ(editor.segment(1).getSamples().size(), 2u);
    EXPECT_EQ(editor.segment(1).getSamples()[0], (ControlPoint{10.5, 10}));
    EXPECT_EQ(editor.segment(1).getSamples()[1], (ControlPoint{16, 10}));
    EXPECT_EQ(editor.segment(0).getResolution(), 5);
    EXPECT_EQ(editor.pointCount(), 8);

    editor.setResolutionOfSelected(50);
    EXPECT_EQ(editor.segment(1).getSamples().size(), 52u);
    EXPECT_EQ(editor.pointCount(), 58);

    editor.mouse(press, 400, 400);
    editor.setResolutionOfSelected(9);
    EXPECT_EQ(editor.segment(0).getResolution(), 5);
    EXPECT_EQ(editor.segment(1).getResolution(), 50);
}

TEST(MapEditorCommands, SplitTheMiddleOfThree) {
    MapEditor editor;
    editor.replaceChain(chainOf(3));
    editor.keyboard('a');
    editor.mouse(press, 30 + 11 + 15, 71);  // start handle of the middle piece, view shifted by 15
    ASSERT_TRUE(editor.segment(1).isSelected());
    const Segment middle = editor.segment(1);
    const int pointsBefore = editor.pointCount();
    editor.splitSelected();

    ASSERT_EQ(editor.segmentCount(), 4);
    expectPoints(editor.segment(0), chainOf(3)[0].controlPoints());
    expectPoints(editor.segment(3), chainOf(3)[2].controlPoints());
    const Segment& left = editor.segment(1);
    const Segment& right = editor.segment(2);
    EXPECT_EQ(left.getStartPoint(), middle.getStartPoint());
    EXPECT_EQ(right.getEndPoint(), middle.getEndPoint());
    EXPECT_EQ(left.getEndPoint(), right.getStartPoint());
    EXPECT_EQ(left.getEndPoint(), (ControlPoint{4.5, 10}));
    // The halves' outer handles lie halfway along the old ones: tangents kept.
    EXPECT_EQ(left.getStartHandle(), (ControlPoint{3.5, 8.5}));
    EXPECT_EQ(right.getEndHandle(), (ControlPoint{5.5, 11.5}));
    for (const Segment* half : {&left, &right}) {
        EXPECT_TRUE(half->isSelected());
        EXPECT_EQ(half->getResolution(), 2);
        EXPECT_EQ(half->getDragPoint(), PointRole::none);
        EXPECT_EQ(half->getViewOffset(), (ControlPoint{16, 1}));
    }
    EXPECT_FALSE(editor.segment(0).isSelected());
    EXPECT_FALSE(editor.segment(3).isSelected());
    EXPECT_EQ(editor.pointCount(), pointsBefore);

    // The halves stay selected and split again.
    editor.splitSelected();
    EXPECT_EQ(editor.segmentCount(), 6);
}

TEST(MapEditorCommands, SplitWithNothingSelectedChangesNothing) {
    MapEditor editor;
    const auto before = allPoints(editor);
    editor.splitSelected();
    EXPECT_EQ(allPoints(editor), before);
    EXPECT_EQ(editor.pointCount(), 13);
}

namespace {

// Where window pixel (x, y) lies on the map, from the editor's own view.
ControlPoint mapPointAt(const MapEditor& editor, double x, double y) {
    const double unit = 10.0 * editor.getZoom();
    return {(x - editor.getViewOffset().x) / unit, (y - editor.getViewOffset().y) / unit};
}

}  // namespace

// Each case steps one way `repeat` times; the limits are reached after 13 in and
// 19 out, and a step there must change nothing, or the point would move.
TEST(MapEditorZoom, StepsKeepThePointUnderThePointerWithinTheLimits) {
    struct Case {
        int x, y, steps, repeat;
        double zoomAfter;
    };
    for (const Case& c : std::vector<Case>{{115, 110, 1, 3, 1.953125},
                                           {0, 0, -1, 2, 0.64},
                                           {799, 599, 1, 40, 16.0},
                                           {400, 300, -1, 40, 1.0 / 64.0},
                                           {-250, 1000, -1, 6, 1.0 / (1.953125 * 1.953125)}}) {
        MapEditor editor;
        editor.keyboard('d');
        const ControlPoint under = mapPointAt(editor, c.x, c.y);
        for (int i = 0; i < c.repeat; ++i) {
            editor.zoomAt(c.x, c.y, c.steps);
            const ControlPoint now = mapPointAt(editor, c.x, c.y);
            // Within a thousandth of a pixel at the largest zoom.
            ASSERT_NEAR(now.x, under.x, 1e-5 / 160) << c.x << "," << c.y << " step " << i;
            ASSERT_NEAR(now.y, under.y, 1e-5 / 160) << c.x << "," << c.y << " step " << i;
        }
        EXPECT_DOUBLE_EQ(editor.getZoom(), c.zoomAfter) << c.x << "," << c.y;
        // As many steps back as took effect return to exactly zoom 1.
        editor.zoomAt(c.x, c.y, -c.steps * std::min(c.repeat, c.steps > 0 ? 13 : 19));
        EXPECT_EQ(editor.getZoom(), 1.0) << c.x << "," << c.y;
    }
}

TEST(MapEditorZoom, EditingAtAZoomUsesItAndALoadResetsIt) {
    MapEditor editor;
    editor.zoomAt(115, 110, 3);  // about the junction, which stays at (115, 110)
    const double zoom = editor.getZoom();
    editor.mouse(press, 115, 110);
    editor.motion(115 + 25, 110 - 50);  // a unit is 19.53125 pixels at 1.25^3
    EXPECT_NEAR(editor.segment(1).getStartPoint().x, 10.5 + 1.28, 1e-12);
    EXPECT_NEAR(editor.segment(1).getStartPoint().y, 10 - 2.56, 1e-12);
    editor.appendSegment();
    editor.splitSelected();  // the two junction segments
    ASSERT_EQ(editor.segmentCount(), 5);
    for (const Segment& s : editor.getSegments()) EXPECT_EQ(s.getZoom(), zoom);

    // The marker's centre (3, 10) moves with the map, its size does not.
    const ControlPoint offset = editor.getViewOffset();
    const int mx = static_cast<int>(std::lround(offset.x + 3 * zoom));
    const int my = static_cast<int>(std::lround(offset.y + 10 * zoom));
    editor.mouse(press, mx + 1, my);
    ASSERT_TRUE(editor.getMarkers()[0].isGrabbed());
    editor.motion(mx + 39, my);  // 39 pixels at this zoom are 20 at zoom 1
    EXPECT_NEAR(editor.getMarkers()[0].getX(), 3 + 20, 0.1);

    editor.replaceChain(chainOf(2));
    EXPECT_EQ(editor.getZoom(), 1.0);
    for (const Segment& s : editor.getSegments()) EXPECT_EQ(s.getZoom(), 1.0);
}

// Every segment shows the editor's one view, however it came into the chain
// (loaded, appended, split, brought back by an undo, copied with the editor):
// a press where the editor's view puts a point picks it, at both zoom limits,
// and a copy pans apart from its original.
TEST(MapEditorZoom, PicksFollowThePanAndZoomOfEverySegment) {
    const auto expectPicksInView = [](MapEditor& editor, const char* what) {
        const ControlPoint o = editor.getViewOffset();
        const double perUnit = 10.0 * editor.getZoom();
        for (int i = 0; i < editor.segmentCount(); ++i) {
            const ControlPoint p = editor.segment(i).getEndHandle();
            const ControlPoint w = editor.segment(i).toWindow(p);
            EXPECT_EQ(w.x, p.x * perUnit + o.x) << what << " segment " << i;
            EXPECT_EQ(w.y, p.y * perUnit + o.y) << what << " segment " << i;
            editor.mouse(press, static_cast<int>(w.x), static_cast<int>(w.y));
            EXPECT_TRUE(editor.segment(i).isSelected()) << what << " segment " << i;
            editor.mouse(release, static_cast<int>(w.x), static_cast<int>(w.y));
        }
    };
    for (const int steps : {-19, 13}) {
        MapEditor editor;
        editor.replaceChain(chainOf(3));
        pressStartHandleOf(editor, 1);
        editor.splitSelected();
        editor.appendSegment();
        pressStartHandleOf(editor, 0);
        editor.removeSelected();
        ASSERT_TRUE(editor.undo());
        editor.zoomAt(130, 70, steps);
        editor.keyboard('a');
        editor.keyboard('s');
        ASSERT_EQ(editor.segmentCount(), 5);
        expectPicksInView(editor, steps < 0 ? "zoom 1/64" : "zoom 16");

        MapEditor copy = editor;
        copy.shiftView(-45, 30);
        copy.zoomAt(400, 300, steps < 0 ? 3 : -3);
        expectPicksInView(copy, "the copy");
        expectPicksInView(editor, "its original");
        EXPECT_NE(copy.segment(0).getViewOffset(), editor.segment(0).getViewOffset());
    }
}

TEST(MapEditorZoom, FilesAndExportDoNotDependOnTheView) {
    MapEditor plain, viewed;
    viewed.zoomAt(300, 40, 7);
    viewed.shiftView(45, 0);
    viewed.zoomAt(12, 500, -11);
    std::string plainGround, viewedGround;
    appendGroundFile(plainGround, plain.getSegments());
    appendGroundFile(viewedGround, viewed.getSegments());
    EXPECT_EQ(viewedGround, plainGround);
    EXPECT_EQ(formatMapFile(viewed.getSegments()), formatMapFile(plain.getSegments()));
}

// The frame copies the map's last picture while the revision stays the same,
// so every edit that changes the picture must give a new revision, and a
// press that changes nothing must leave it alone.
TEST(MapEditorRevision, ChangesWithThePicture) {
    auto none = [](MapEditor&) {};
    auto selectJunction = [](MapEditor& e) { e.mouse(press, 115, 110), e.mouse(release, 115, 110); };
    const struct {
        const char* what;
        void (*setUp)(MapEditor&);
        void (*edit)(MapEditor&);
        bool changes;
    } cases[] = {
        {"a press on empty map with nothing selected", none,
         [](MapEditor& e) { e.mouse(press, 400, 400), e.mouse(release, 400, 400); }, false},
        {"the junction selected", none, selectJunction, true},
        {"the marker dragged", none, [](MapEditor& e) { e.mouse(press, 13, 20), e.motion(40, 60); }, true},
        {"a wheel step", none, [](MapEditor& e) { e.zoomAt(300, 300, 1); }, true},
        {"the view scrolled", none, [](MapEditor& e) { e.shiftView(0, 15); }, true},
        {"a segment appended", none, [](MapEditor& e) { e.appendSegment(); }, true},
        {"the selected pair at resolution 9", selectJunction,
         [](MapEditor& e) { e.setResolutionOfSelected(9); }, true},
        {"the slider at the resolution the pair has", selectJunction,
         [](MapEditor& e) { e.setResolutionOfSelected(5); }, false},
        {"a drag step of the junction", [](MapEditor& e) { e.mouse(press, 115, 110); },
         [](MapEditor& e) { e.motion(130, 120); }, true},
        {"the selected pair split", selectJunction, [](MapEditor& e) { e.splitSelected(); }, true},
        {"the selected pair removed", selectJunction, [](MapEditor& e) { e.removeSelected(); }, true},
        {"a map loaded", none, [](MapEditor& e) { e.replaceChain(chainOf(3)); }, true},
        {"the key a", none, [](MapEditor& e) { e.keyboard('a'); }, true},
        {"a key that does nothing", none, [](MapEditor& e) { e.keyboard('x'); }, false},
        {"an append undone", [](MapEditor& e) { e.appendSegment(); }, [](MapEditor& e) { e.undo(); }, true},
        {"an undone append redone", [](MapEditor& e) { e.appendSegment(), e.undo(); },
         [](MapEditor& e) { e.redo(); }, true},
        {"a handle drag on a long chain undone",
         [](MapEditor& e) {
             e.replaceChain(chainOf(40));
             e.mouse(press, 161, 71), e.motion(161, 90), e.mouse(release, 161, 90);
         },
         [](MapEditor& e) { e.undo(); }, true},
        {"undo with nothing to undo", none, [](MapEditor& e) { e.undo(); }, false},
    };
    for (const auto& c : cases) {
        MapEditor editor;
        c.setUp(editor);
        const MapRevision before = editor.revision();
        c.edit(editor);
        EXPECT_EQ(editor.revision() != before, c.changes) << c.what;
    }
    // One map layer cache may be handed several editors: theirs never meet,
    // a copy's included, though each counts its own changes.
    MapEditor first, second;
    EXPECT_NE(first.revision(), second.revision());
    MapEditor copy = first;
    copy.keyboard('a'), first.keyboard('d');
    EXPECT_NE(copy.revision(), first.revision());
    EXPECT_EQ(copy.revision().count, first.revision().count);
    second.keyboard('a'), second.keyboard('d');
    const MapRevision beforeAssignment = second.revision();
    second = MapEditor();
    second.keyboard('a'), second.keyboard('d');
    EXPECT_EQ(second.revision().count, beforeAssignment.count);
    EXPECT_NE(second.revision(), beforeAssignment);
}

// A command that would take the map past the sample budget changes nothing and
// says so in one line; one that reaches the budget exactly is carried out.
TEST(MapEditorBudget, CommandsPastTheBudgetChangeNothing) {
    const auto refused = [](const char* what, long long over) {
        return std::string(what) + " refused: " + std::to_string(sampleBudget + over) +
               " points, more than the editor holds (" + std::to_string(sampleBudget) + ")\n";
    };
    const struct {
        long long room;  // samples left below the budget
        void (*command)(MapEditor&);
        std::string output;
        int segmentsAfter;
    } cases[] = {
        {7, [](MapEditor& e) { e.appendSegment(); }, "", 3},
        {6, [](MapEditor& e) { e.appendSegment(); }, refused("Append Point", 1), 2},
        {3, [](MapEditor& e) { e.setResolutionOfSelected(8); }, "", 2},
        // The slider repeats its value at every drag step: one line all the same.
        {3, [](MapEditor& e) { e.setResolutionOfSelected(9), e.setResolutionOfSelected(9); },
         refused("Resolution 9", 1), 2},
        // Both halves stay selected: presses add 1, 4, 4, 16, 32, and refuse 64.
        {60, [](MapEditor& e) { for (int i = 0; i < 6; ++i) e.splitSelected(); }, refused("Insert Point", 61), 33},
    };
    for (const auto& c : cases) {
        // Piece 0 holds all but `room` samples; piece 1 (resolution 5, 7 samples) is selected.
        MapEditor editor;
        editor.replaceChain(chainOf(2));
        pressStartHandleOf(editor, 0);
        editor.setResolutionOfSelected(static_cast<int>(sampleBudget - c.room - 7 - 2));
        pressStartHandleOf(editor, 1);
        const std::string before = formatMapFile(editor.getSegments());
        std::string said;
        editor.setRefusalSink([&said](const std::string& line) { said += line + "\n"; });
        c.command(editor);
        EXPECT_EQ(said, c.output) << c.room;
        EXPECT_EQ(editor.segmentCount(), c.segmentsAfter) << c.room;
        if (c.output.empty()) {
            EXPECT_EQ(editor.pointCount() - 1 + editor.segmentCount(), sampleBudget) << c.room;
        } else if (c.segmentsAfter == 2) {
            EXPECT_EQ(formatMapFile(editor.getSegments()), before) << c.room;
        }
        EXPECT_LE(editor.pointCount() - 1 + editor.segmentCount(), sampleBudget) << c.room;
    }
}
