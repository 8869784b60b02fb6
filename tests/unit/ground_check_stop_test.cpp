// The ground check asked to stop: a program ending need not wait for it.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "EditorFiles.h"
#include "GroundCheck.h"
#include "GroundReport.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"

namespace {

// A sheared zigzag of 2n straight segments whose pieces' boxes all meet, so
// that the search for crossings has much to compare.
std::vector<Segment> shearedZigzag(int n) {
    std::vector<Segment> segments;
    for (int k = 0; k < n; ++k) {
        segments.push_back(makeSegment(k, 0, k, 0, k + n, 100, k + n, 100, 1));
        segments.push_back(makeSegment(k + n, 100, k + n, 100, k + 1, 0, k + 1, 0, 1));
    }
    return segments;
}

int asked = 0;
int stopAt = 0;
bool stopWhenAsked() { return ++asked >= stopAt; }

// Stopped at its first question, a later one, or never: only a check that
// was not stopped has a result, and that is the one without a stop.
TEST(GroundCheckStop, TheCheckEndsWhenAskedAndOnlyThen) {
    const std::vector<Segment> segments = shearedZigzag(1000);
    const GroundProblems whole = checkGround(segments);
    ASSERT_FALSE(whole.interrupted);
    for (int at : {1, 2, 50, 1000000}) {
        asked = 0;
        stopAt = at;
        const GroundProblems problems = checkGround(segments, stopWhenAsked);
        EXPECT_EQ(problems.interrupted, at != 1000000) << at;
        if (problems.interrupted) {
            EXPECT_EQ(asked, at) << "asked again after it said stop";
        }
        EXPECT_GT(asked, at == 1000000 ? 100 : 0) << "the search must ask as it goes";
        if (!problems.interrupted) {
            EXPECT_EQ(groundWarnings(problems), groundWarnings(whole));
        }
    }
}

// The window's export stopped during its check: the files are written, the
// check says it was stopped, and copy.bat is not run.
TEST(GroundCheckStop, AStoppedExportRunsNoBatchFile) {
    ScratchDir scratch;
    writeFile("copy.bat", "echo ran > ran.txt\n");
    MapEditor editor;
    editor.replaceChain(shearedZigzag(100));
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    StreamMessages messages(out, out);
    EXPECT_FALSE(exportMap(editor, messages, [] { return true; }));
    std::fflush(out);
    std::rewind(out);
    std::string said;
    for (int c; (c = std::fgetc(out)) != EOF;) said += static_cast<char>(c);
    std::fclose(out);
    EXPECT_NE(said.find("\nThe ground check was stopped\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("Warning"), std::string::npos) << said;
    EXPECT_FALSE(readFile("gnd.pts").empty());
    EXPECT_FALSE(std::filesystem::exists("ran.txt"));
}

}  // namespace
