#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "MapEditor.h"
#include "MapFile.h"
#include "SampleBudget.h"
#include "SegmentFactory.h"

// A flat chain at y = 10, segment i from x = 5i to 5i + 5, its handles
// 1 + i above and below the line so that every segment's shape is its own.
// After replaceChain the view shows map point p at pixel 10 p + 1.
namespace {

std::vector<Segment> flatChain(int count) {
    std::vector<Segment> chain;
    for (int i = 0; i < count; ++i) {
        const double x = 5.0 * i, h = 1.0 + i;
        chain.push_back(makeSegment(x, 10, x + 1, 10 - h, x + 4, 10 + h, x + 5, 10, 2 + i % 3));
    }
    return chain;
}

// Which segment of flatChain `s` has the shape of (by its handle), or -1.
int shapeOf(const Segment& s) {
    const double h = s.getStartPoint().y - s.getStartHandle().y;
    const int i = static_cast<int>(std::lround(h - 1.0));
    return std::fabs(h - 1.0 - i) < 1e-9 && s.getResolution() == 2 + i % 3 ? i : -1;
}

void dragBand(MapEditor& editor, int x0, int y0, int x1, int y1) {
    ASSERT_TRUE(editor.many().press(x0, y0, true, false));
    ASSERT_TRUE(editor.many().motion(x1, y1));
    ASSERT_TRUE(editor.many().release());
}

// The map file's text and, with `selection`, which segments are selected.
std::string mapText(const MapEditor& editor, bool selection = true) {
    std::string text = formatMapFile(editor.getSegments());
    if (selection)
        for (const Segment& s : editor.getSegments()) text += s.isSelected() ? '1' : '0';
    return text;
}

}  // namespace

TEST(Stretches, CopyCutPasteAndDuplicateKeepTheGroundJoinedAndUndoWhole) {
    struct Case {
        const char* what;
        int length;
        // Segments selected by the load, or the run picked by a band (first, last).
        std::vector<int> selected;
        int bandFirst, bandLast;
        // C copy, X cut, V paste, D duplicate, N a press on nothing (deselects).
        const char* keys;
        std::vector<int> shapes;
        std::vector<int> selectedAfter;
    } cases[] = {
        {"copy and paste after the selection", 4, {1}, -1, -1, "CV", {0, 1, 1, 2, 3}, {2}},
        {"paste with nothing selected goes to the end", 4, {1}, -1, -1, "CNV", {0, 1, 2, 3, 1}, {4}},
        {"cut in the middle", 4, {1}, -1, -1, "X", {0, 2, 3}, {}},
        {"cut at the start", 4, {0}, -1, -1, "X", {1, 2, 3}, {}},
        {"cut at the end", 4, {3}, -1, -1, "X", {0, 1, 2}, {}},
        {"cut runs that are not neighbours, paste at the end", 4, {0, 2}, -1, -1, "XV", {1, 3, 0, 2}, {2, 3}},
        {"duplicate a band's run", 4, {}, 1, 2, "D", {0, 1, 2, 1, 2, 3}, {3, 4}},
        {"a band at the chain's start", 4, {}, 0, 0, "D", {0, 0, 1, 2, 3}, {1}},
        {"duplicate runs that are not neighbours", 4, {0, 3}, -1, -1, "D", {0, 1, 2, 3, 0, 3}, {4, 5}},
        {"one segment", 1, {0}, -1, -1, "DD", {0, 0, 0}, {2}},
        {"cut everything, paste it back", 3, {0, 1, 2}, -1, -1, "XV", {0, 1, 2}, {0, 1, 2}},
        {"duplicate, then paste at the end", 4, {1}, -1, -1, "CDNV", {0, 1, 1, 2, 3, 1}, {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MapEditor editor;
        std::vector<Segment> chain = flatChain(c.length);
        for (int i : c.selected) chain[i].setSelected(true);
        editor.replaceChain(chain);
        if (c.bandFirst >= 0) dragBand(editor, 50 * c.bandFirst - 7, 93, 50 * c.bandLast + 59, 109);
        // A press on nothing changes the selection without a step of its own,
        // which the step before it takes along: undo then gives back the points.
        const bool selection = std::string(c.keys).find('N') == std::string::npos;
        const std::string before = mapText(editor, selection);
        const std::uint64_t idBefore = editor.contentId();
        std::vector<std::string> refusals;
        editor.setRefusalSink([&](const std::string& line) { refusals.push_back(line); });
        int steps = 0;
        for (const char* k = c.keys; *k != '\0'; ++k) {
            Stretches tool = editor.stretches();
            switch (*k) {
                case 'C':
                    EXPECT_TRUE(tool.copy());
                    break;
                case 'X':
                    EXPECT_TRUE(tool.cut());
                    ++steps;
                    break;
                case 'V':
                    EXPECT_TRUE(tool.paste());
                    ++steps;
                    break;
                case 'D':
                    EXPECT_TRUE(tool.duplicate());
                    ++steps;
                    break;
                default:
                    editor.mouse(ButtonAction::press, 700, 400);
                    editor.mouse(ButtonAction::release, 700, 400);
            }
        }
        EXPECT_TRUE(refusals.empty());
        std::vector<int> shapes, selected;
        for (int i = 0; i < editor.segmentCount(); ++i) {
            const Segment& s = editor.segment(i);
            shapes.push_back(shapeOf(s));
            if (s.isSelected()) selected.push_back(i);
            // Joined and in place: segment i runs from x = 5i to 5i + 5 on the line.
            EXPECT_NEAR(s.getStartPoint().x, 5.0 * i, 1e-9);
            EXPECT_NEAR(s.getEndPoint().x, 5.0 * i + 5, 1e-9);
            EXPECT_EQ(s.getStartPoint().y, 10.0);
            EXPECT_EQ(s.getEndPoint().y, 10.0);
        }
        EXPECT_EQ(shapes, c.shapes);
        EXPECT_EQ(selected, c.selectedAfter);
        EXPECT_EQ(editor.pointCount(), [&] {
            int n = 1;
            for (const Segment& s : editor.getSegments()) n += s.getResolution() + 1;
            return n;
        }());
        for (int k = 0; k < steps; ++k) EXPECT_TRUE(editor.undo());
        EXPECT_EQ(mapText(editor, selection), before);
        EXPECT_EQ(editor.contentId(), idBefore);
    }
}

TEST(Stretches, NothingToCopyAndThePointBudgetChangeNothing) {
    MapEditor editor;
    editor.replaceChain(flatChain(3));
    std::vector<std::string> refusals;
    editor.setRefusalSink([&](const std::string& line) { refusals.push_back(line); });
    const std::string before = mapText(editor);
    EXPECT_FALSE(editor.stretches().copy());
    EXPECT_FALSE(editor.stretches().cut());
    EXPECT_FALSE(editor.stretches().duplicate());
    EXPECT_FALSE(editor.stretches().paste());
    ASSERT_EQ(refusals.size(), 4u);
    EXPECT_NE(refusals[0].find("Nothing to copy: pick both ends of segments"), std::string::npos);
    EXPECT_NE(refusals[3].find("Nothing to paste"), std::string::npos);
    EXPECT_EQ(mapText(editor), before);
    EXPECT_EQ(editor.getHistory().redoCount(), 0u);

    // A stretch that would take the map past the budget: refused, nothing changed.
    refusals.clear();
    Segment huge = makeSegment(0, 0, 1, 1, 2, 1, 3, 0, static_cast<int>(sampleBudget));
    const std::uint64_t id = editor.contentId();
    EXPECT_FALSE(editor.stretches().paste({huge}));
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_NE(refusals[0].find("Paste refused"), std::string::npos);
    EXPECT_EQ(mapText(editor), before);
    EXPECT_EQ(editor.contentId(), id);
    EXPECT_FALSE(editor.undo());

    // Duplicate leaves the clipboard as it was: empty here.
    std::vector<Segment> chain = flatChain(2);
    chain[1].setSelected(true);
    editor.replaceChain(chain);
    refusals.clear();
    EXPECT_TRUE(editor.stretches().duplicate());
    EXPECT_FALSE(editor.stretches().paste());
    EXPECT_EQ(editor.segmentCount(), 3);
    EXPECT_EQ(refusals.size(), 1u);
}
