// What a window is told after a save or an export: the notice beside the
// lines of standard output, which stay as they were.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "BatchRunner.h"
#include "EditorFiles.h"
#include "MapEditor.h"
#include "Messages.h"
#include "Notices.h"
#include "ScratchDir.h"

namespace {

std::uint32_t clockAtZero() { return 0; }

}  // namespace

TEST(OutcomeNotice, SaveAndExportTellWhatWasDoneOrWhyNot) {
    const struct {
        const char* name;
        const char* batch;        // copy.bat's text; null: no copy.bat
        bool save;                // a save instead of an export
        const char* notice;       // how the notice starts
        const char* detail;       // how its second line starts
        const char* outputEnd;    // how standard output ends, unchanged by the notice
    } cases[] = {
        {"save", nullptr, true, "Saved hills.mef", "", ""},
        // The notice counts a junction's sample once, as gnd.pts and the counter do.
        {"export delivered", "exit 0\n", false, "Exported gnd.pts and go (2 segments, 13 points); copy.bat done", "",
         "Saved 2 segments, containing 14 points\n"},
        {"no copy.bat", nullptr, false, "No copy.bat in \"/", "An example copy.bat: ",
         "copy.bat not found in the working directory: gnd.pts and go were not delivered\n"},
        {"copy.bat fails", "echo first >&2\necho 'copy: not found' >&2\necho ' ' >&2\nexit 127\n", false,
         "copy: not found (copy.bat, status 127, in \"/", "gnd.pts and go were written",
         "copy.bat exited with status 127\n"},
        {"copy.bat fails silently", "exit 4\n", false, "copy.bat exited with status 4 in \"/", "gnd.pts and go",
         "copy.bat exited with status 4\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir scratch;
        if (c.batch) writeFile("copy.bat", c.batch);
        MapEditor editor;
        editor.setMapFileName((std::filesystem::current_path() / "hills.mef").string());
        Notices notices;
        NoticeMessages messages(stdout, stdout, notices, clockAtZero);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        if (c.save)
            saveMapFile(editor, messages);
        else
            exportMap(editor, messages);
        const std::string errors = testing::internal::GetCapturedStderr();
        const std::string output = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(notices.shown(0));
        EXPECT_EQ(notices.latest().rfind(c.notice, 0), 0u) << notices.latest();
        EXPECT_EQ(notices.detail().rfind(c.detail, 0), 0u) << notices.detail();
        // One notice, the success or the failure; no second one joins it.
        EXPECT_EQ(notices.more(), 0);
        ASSERT_GE(output.size(), std::string(c.outputEnd).size());
        EXPECT_EQ(output.substr(output.size() - std::string(c.outputEnd).size()), c.outputEnd);
        // copy.bat's standard error still reaches ours, every line of it.
        if (c.batch && std::string(c.batch).find("first") != std::string::npos) {
            EXPECT_EQ(errors, "first\ncopy: not found\n \n");
        }
    }
}

TEST(OutcomeNotice, LastLineKeeperKeepsTheLastLineThatSaysSomething) {
    const struct {
        const char* pieces[3];
        const char* line;
    } cases[] = {
        {{"", "", ""}, ""},
        {{"one\ntw", "o\n", "\n \t\r\n"}, "two"},
        {{"a\r\n", "b\r", "\n"}, "b"},
        {{"a\n", "unfinished", ""}, "unfinished"},
        {{"\n\n", "  ", ""}, ""},
    };
    for (const auto& c : cases) {
        LastLineKeeper keeper;
        for (const char* piece : c.pieces) keeper.feed(piece, std::strlen(piece));
        EXPECT_EQ(keeper.line(), c.line) << c.pieces[0] << c.pieces[1] << c.pieces[2];
    }
}
