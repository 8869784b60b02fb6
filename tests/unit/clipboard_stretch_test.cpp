#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClipboardStretch.h"
#include "MapFile.h"
#include "SegmentFactory.h"

TEST(ClipboardStretch, WhatTheClipboardHoldsReadsAsSegmentsOrSaysWhy) {
    struct Case {
        const char* what;
        std::string svg, text;
        // The map file text of the pasted segments, or a piece of the notice.
        std::string segments, problem;
    } cases[] = {
        {"map records", "", "0 0 1 1\n2 1 3 0\n4\n", "0 0 1 1\n2 1 3 0\n4", ""},
        {"map records after blank lines", "", "\n\n  3 0 4 1 5 1 6 0 2", "3 0 4 1\n5 1 6 0\n2", ""},
        {"path data, ten SVG units a map unit", "", "M 0 0 C 10 10 20 10 30 0", "0 0 1 1\n2 1 3 0\n5", ""},
        {"path data of lines", "", "m 0 0 30 0", "0 0 1 0\n2 0 3 0\n5", ""},
        {"an SVG document as text", "",
         "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0L30 0\"/></svg>", "0 0 1 0\n2 0 3 0\n5",
         ""},
        {"the drawing comes before the text",
         "<svg xmlns=\"http://www.w3.org/2000/svg\"><path d=\"M0 0L30 0\"/></svg>", "9 9 9 9 9 9 9 9 9",
         "0 0 1 0\n2 0 3 0\n5", ""},
        {"words", "", "hello, ground", "", "neither map records nor SVG path data: \"hello, ground\""},
        {"a record with a word in it", "", "0 0 1 x 2 1 3 0 4", "", "neither map records"},
        {"path data that is not", "", "M 0 0 C &", "", "path data"},
        {"a drawing without a path", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>", "", "", "drawing"},
        {"a drawing that is not XML", "<svg", "", "", "drawing"},
        {"nothing at all", "", "", "", "the clipboard is empty"},
        {"only a picture", "", " \n", "", "neither a drawing nor text (image/png)"},
        {"more records than the editor holds", "", "0 0 1 1 2 1 3 0 100000000\n0 0 1 1 2 1 3 0 100000000", "",
         "neither map records"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ClipboardPaste paste =
            readClipboard(c.svg, c.text, c.what == std::string("only a picture") ? "image/png" : "");
        if (c.problem.empty()) {
            EXPECT_EQ(paste.problem, "");
            std::string text = formatMapFile(paste.segments);
            while (!text.empty() && text.back() == '\n') text.pop_back();
            EXPECT_EQ(text, c.segments);
        } else {
            EXPECT_TRUE(paste.segments.empty());
            EXPECT_NE(paste.problem.find(c.problem), std::string::npos) << paste.problem;
            EXPECT_EQ(paste.problem.rfind("Nothing pasted", 0), 0u);
        }
    }
}

TEST(ClipboardStretch, TheOfferReadsBackAsTheStretch) {
    const std::vector<Segment> stretch = {makeSegment(1, 2, 3, 0, 4, 5, 6, 2, 7),
                                          makeSegment(6, 2, 7, 1, 8.5, 1, 9, 3, 0)};
    const std::string text = clipboardTextOf(stretch);
    EXPECT_EQ(text, formatMapFile(stretch));
    EXPECT_EQ(formatMapFile(readClipboard(clipboardDrawingOf(stretch), "", "").segments), text);
    EXPECT_EQ(formatMapFile(readClipboard("", text, "").segments), text);
}
