// Replacing a file keeps it what it was: links followed, permission bits,
// owner and read-only kept, unwritable folders written in place.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Export.h"
#include "MapFile.h"
#include "ScratchDir.h"
#include "TextFile.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t nobody = 65534;

// Every entry below the working directory, links with their targets: a save
// that leaves this unchanged left no temporary file and kept every link.
std::vector<std::string> tree() {
    std::vector<std::string> entries;
    for (const auto& e : fs::recursive_directory_iterator(".")) {
        std::string line = e.path().string();
        if (e.is_symlink()) line += " -> " + fs::read_symlink(e.path()).string();
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

mode_t modeOf(const char* path) {
    struct stat info {};
    EXPECT_EQ(::stat(path, &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(TextFile, ReplacingALinkReplacesTheFileAtItsEnd) {
    struct Case {
        const char* what;
        std::function<void(const std::string& scratch)> setUp;
        const char* saved;   // the name written to
        const char* holder;  // the file that must hold the new content, null when the save must fail
    };
    const Case cases[] = {
        {"link to a file", [](auto&) { fs::create_symlink("real.mef", "map.mef"); }, "map.mef", "real.mef"},
        {"relative link in another folder",
         [](auto&) {
             fs::create_directories("sim");
             fs::create_directories("repo");
             writeFile("repo/real.mef", "old");
             fs::create_symlink("../repo/real.mef", "sim/map.mef");
         },
         "sim/map.mef", "repo/real.mef"},
        {"chain of an absolute and a relative link",
         [](const std::string& scratch) {
             fs::create_directories("repo");
             writeFile("repo/real.mef", "old");
             fs::create_symlink(scratch + "/repo/real.mef", "a.mef");
             fs::create_symlink("a.mef", "map.mef");
         },
         "map.mef", "repo/real.mef"},
        {"dangling link creates its target",
         [](auto&) {
             fs::create_directories("repo");
             fs::create_symlink("repo/new.mef", "map.mef");
         },
         "map.mef", "repo/new.mef"},
        {"loop of links",
         [](auto&) {
             fs::create_symlink("b.mef", "map.mef");
             fs::create_symlink("map.mef", "b.mef");
         },
         "map.mef", nullptr},
        // A hard link is a second name of one inode, which the rename does not
        // write: only the saved name gets the new content.
        {"hard link", [](auto&) { fs::create_hard_link("real.mef", "map.mef"); }, "map.mef", "map.mef"},
    };
    const mode_t oldMask = ::umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        writeFile("real.mef", "old");
        c.setUp(scratch.path());
        std::vector<std::string> expected = tree();
        const bool created = c.holder && !fs::exists(c.holder);
        const ReplaceResult result = replaceFile(c.saved, "new");
        EXPECT_EQ(result, c.holder ? ReplaceResult::replaced : ReplaceResult::failed);
        if (created) {
            expected.push_back(std::string("./") + c.holder);
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(modeOf(c.holder), 0644u);
        }
        EXPECT_EQ(tree(), expected);
        if (c.holder) {
            EXPECT_EQ(readFile(c.holder), "new");
        }
        if (c.holder == nullptr || std::string(c.holder) != "real.mef") {
            EXPECT_EQ(readFile("real.mef"), "old");
        }
    }
    ::umask(oldMask);
}

TEST(TextFile, ReplacingKeepsThePermissionBits) {
    ScratchDir scratch;
    const mode_t oldMask = ::umask(022);
    // The map, the ground file and the script, each with its own bits.
    for (const mode_t mode : {0600, 0640, 0755}) {
        writeFile("f", "old");
        ::chmod("f", mode);
        EXPECT_EQ(replaceFile("f", "new"), ReplaceResult::replaced);
        EXPECT_EQ(modeOf("f"), mode);
        EXPECT_EQ(readFile("f"), "new");
    }
    ::umask(oldMask);
}

TEST(TextFile, ReplacingKeepsTheOwnerAndRootWritesReadOnlyFiles) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving the file to another user needs root";
    ScratchDir scratch;
    writeFile("f", "old");
    ASSERT_EQ(::chown("f", nobody, nobody), 0);
    ::chmod("f", 0444);
    EXPECT_EQ(replaceFile("f", "new"), ReplaceResult::replaced);
    struct stat info {};
    ASSERT_EQ(::stat("f", &info), 0);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_gid, nobody);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(readFile("f"), "new");
}

struct SaveOutcome {
    bool ok = false;
    std::string output;
};

// Runs `save` as an ordinary user: when the tests run as root, in a child
// process that has become nobody (its output collected through a pipe);
// otherwise directly as the current user.
SaveOutcome saveUnprivileged(const std::function<bool()>& save) {
    if (::geteuid() != 0) {
        testing::internal::CaptureStdout();
        const bool ok = save();
        return {ok, testing::internal::GetCapturedStdout()};
    }
    int out[2];
    if (::pipe(out) != 0) return {false, "no pipe"};
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(2);
        const bool ok = save();
        std::fflush(stdout);
        ::_exit(ok ? 0 : 1);
    }
    ::close(out[1]);
    SaveOutcome outcome;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) outcome.output.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
    outcome.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return outcome;
}

TEST(TextFile, UnprivilegedSavesRespectReadOnlyFilesAndFallBackInUnwritableFolders) {
    struct Case {
        const char* what;
        mode_t fileMode, folderMode;
        std::function<bool()> save;
        bool written;
        const char* output;
    };
    const Case cases[] = {
        {"read-only map", 0444, 0777, [] { return storeMapFile("d/map.mef", {}); }, false,
         "File output error\n"},
        {"read-only script", 0444, 0777,
         [] {
             return writeScenarioScriptAt({0.5, 0.5}, "d/go");
         },
         false, "File output error: d/go\n"},
        {"map in a folder that is not writable", 0644, 0555, [] { return storeMapFile("d/map.mef", {}); },
         true, "Warning: d/map.mef: folder not writable, saved in place\n"},
        {"script in a folder that is not writable", 0755, 0555,
         [] {
             return writeScenarioScriptAt({0.5, 0.5}, "d/go");
         },
         true, "Warning: d/go: folder not writable, saved in place\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir scratch;
        ::chmod(".", 0755);  // mkdtemp's 0700 would keep nobody out
        fs::create_directory("d");
        const std::string name = std::string(c.what).find("map") != std::string::npos ? "d/map.mef" : "d/go";
        writeFile(name, "old");
        struct stat before {};
        ASSERT_EQ(::stat(name.c_str(), &before), 0);
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(name.c_str(), nobody, nobody), 0);
        }
        ::chmod(name.c_str(), c.fileMode);
        ::chmod("d", c.folderMode);
        const std::vector<std::string> entries = tree();

        const SaveOutcome outcome = saveUnprivileged(c.save);
        EXPECT_EQ(outcome.ok, c.written);
        EXPECT_EQ(outcome.output, c.output);
        EXPECT_EQ(tree(), entries);
        struct stat after {};
        ASSERT_EQ(::stat(name.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(readFile(name) != "old", c.written);
        ::chmod("d", 0755);
    }
}

}  // namespace
