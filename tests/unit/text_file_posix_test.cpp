// Replacing a file keeps it what it was: links followed, permission bits,
// owner and read-only kept, unwritable folders written in place.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "EditorFiles.h"
#include "MapFile.h"
#include "ScenarioScript.h"
#include "ScratchDir.h"
#include "SegmentFactory.h"
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

// A save as the editor makes it: the file written through storeFile, and
// what came of it said on standard output as the window says it.
bool storeTelling(const std::string& path, const std::string& text) {
    const FileWrite write = storeFile(path, text);
    tellFileWrite(path, write, windowMessages());
    return write.written();
}

mode_t modeOf(const char* path) {
    struct stat info {};
    EXPECT_EQ(::stat(path, &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(TextFile, ReplacingALinkReplacesTheFileAtItsEnd) {
    struct Case {
        const char* setUp;   // shell commands run in a folder holding real.mef ("old")
        const char* saved;   // the name written to
        const char* holder;  // the file that must hold the new content, null when the save must fail
    } cases[] = {
        {"ln -s real.mef map.mef", "map.mef", "real.mef"},
        {"mkdir sim repo && mv real.mef repo && ln -s ../repo/real.mef sim/map.mef", "sim/map.mef",
         "repo/real.mef"},
        {"mkdir repo && mv real.mef repo && ln -s \"$PWD/repo/real.mef\" a.mef && ln -s a.mef map.mef",
         "map.mef", "repo/real.mef"},
        {"mkdir repo && ln -s repo/new.mef map.mef", "map.mef", "repo/new.mef"},  // dangling: created
        {"ln -s b.mef map.mef && ln -s map.mef b.mef", "map.mef", nullptr},       // a loop
        // A hard link is a second name of one inode, which the rename does not write.
        {"ln real.mef map.mef", "map.mef", "map.mef"},
    };
    const mode_t oldMask = ::umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setUp);
        ScratchDir scratch;
        writeFile("real.mef", "old");
        ASSERT_EQ(std::system(c.setUp), 0);
        std::vector<std::string> expected = tree();
        if (c.holder && !fs::exists(c.holder)) expected.push_back(std::string("./") + c.holder);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(replaceFile(c.saved, "new"), c.holder ? ReplaceResult::replaced : ReplaceResult::failed);
        EXPECT_EQ(tree(), expected);  // links kept, no temporary file left
        if (c.holder) {
            EXPECT_EQ(readFile(c.holder), "new");
            EXPECT_EQ(modeOf(c.holder), 0644u);
        }
        for (const char* other : {"real.mef", "repo/real.mef"}) {
            if (fs::exists(other) && (!c.holder || fs::path(other) != c.holder)) {
                EXPECT_EQ(readFile(other), "old");
            }
        }
    }
    ::umask(oldMask);
}

TEST(TextFile, ReplacingKeepsPermissionBitsAndOwner) {
    ScratchDir scratch;
    // The map, the ground file and the script, each with its own bits.
    for (const mode_t mode : {0600, 0640, 0755}) {
        writeFile("f", "old");
        ::chmod("f", mode);
        EXPECT_EQ(replaceFile("f", "new"), ReplaceResult::replaced);
        EXPECT_EQ(modeOf("f"), mode);
    }
    if (::geteuid() != 0) GTEST_SKIP() << "giving the file to another user needs root";
    // Root keeps another user's owner and group, and writes a read-only file.
    ASSERT_EQ(::chown("f", nobody, nobody), 0);
    ::chmod("f", 0444);
    EXPECT_EQ(replaceFile("f", "newer"), ReplaceResult::replaced);
    struct stat info {};
    ASSERT_EQ(::stat("f", &info), 0);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_gid, nobody);
    EXPECT_EQ(info.st_mode & 07777, 0444u);
    EXPECT_EQ(readFile("f"), "newer");
}

struct SaveOutcome {
    bool ok = false;
    std::string output;
};

// Runs `save` as an ordinary user: when the tests run as root, in a child
// process that has become nobody; otherwise directly as the current user.
SaveOutcome saveUnprivileged(const std::function<bool()>& save) {
    testing::internal::CaptureStdout();  // the child writes to the same capture
    bool ok = false;
    if (::geteuid() != 0) {
        ok = save();
    } else {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            const bool dropped =
                ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0;
            const bool saved = dropped && save();
            std::fflush(stdout);
            ::_exit(!dropped ? 2 : saved ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "could not become nobody";
        ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return {ok, testing::internal::GetCapturedStdout()};
}

TEST(TextFile, UnprivilegedSavesRespectReadOnlyFilesAndFallBackInUnwritableFolders) {
    const struct Case {
        const char* name;
        mode_t fileMode, folderMode;
        bool written;
        const char* output;
    } cases[] = {
        {"d/map.mef", 0444, 0777, false, "File output error: d/map.mef: Permission denied\n"},
        {"d/go", 0444, 0777, false, "File output error: d/go: Permission denied\n"},
        {"d/map.mef", 0644, 0555, true, "Warning: d/map.mef: folder not writable, saved in place\n"},
        {"d/go", 0755, 0555, true, "Warning: d/go: folder not writable, saved in place\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " " << std::oct << c.fileMode << " in " << c.folderMode);
        ScratchDir scratch;
        ::chmod(".", 0755);  // mkdtemp's 0700 would keep nobody out
        fs::create_directory("d");
        writeFile(c.name, "old");
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(c.name, nobody, nobody), 0);
        }
        ::chmod(c.name, c.fileMode);
        ::chmod("d", c.folderMode);
        struct stat before {
        }, after{};
        ASSERT_EQ(::stat(c.name, &before), 0);
        const std::vector<std::string> entries = tree();

        const std::string name = c.name;
        const SaveOutcome outcome = saveUnprivileged([&] {
            return storeTelling(name, name == "d/go" ? formatScenarioScript({0.5, 0.5}) : "");
        });
        EXPECT_EQ(outcome.ok, c.written);
        EXPECT_EQ(outcome.output, c.output);
        EXPECT_EQ(tree(), entries);
        ASSERT_EQ(::stat(c.name, &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode & 07777, c.fileMode);
        EXPECT_EQ(readFile(c.name) != "old", c.written);
        ::chmod("d", 0755);
    }
}

TEST(TextFile, UnprivilegedFailuresNameTheSystemsReason) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files nobody may not touch";
    ScratchDir scratch;
    ::chmod(".", 0755);
    writeFile("map.mef", "1 2 3 4 5 6 7 8 1");
    ::chmod("map.mef", 0);
    fs::create_directory("ro");
    ::chmod("ro", 0555);
    const struct Case {
        std::function<bool()> act;
        const char* output;
    } cases[] = {
        {[] {
             std::vector<Segment> segments;
             return readMap("map.mef", segments, windowMessages());
         },
         "File input error: map.mef: Permission denied\n"},
        {[] {
             return storeTelling("ro/go", formatScenarioScript({0.5, 0.5}));
         },
         "File output error: ro/go: Permission denied\n"},
    };
    for (const Case& c : cases) {
        const SaveOutcome outcome = saveUnprivileged(c.act);
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.output, c.output);
    }
}

// Unmounts `folder` at the end of its scope.
struct Unmount {
    const char* folder;
    ~Unmount() { ::umount2(folder, MNT_DETACH); }
};

// Writes `path` until the file system is full.
void fillUp(const char* path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string chunk(4096, 'f');
    while (::write(fd, chunk.data(), chunk.size()) > 0) {
    }
    ::close(fd);
}

std::vector<Segment> chainOf(int count) {
    return std::vector<Segment>(static_cast<std::size_t>(count), makeSegment(1.5, 2, 3, 4, 5, 6, 7, 8, 5));
}

TEST(TextFile, InPlaceSaveOnAFullDiskLeavesTheOldBytesAndABusyNameIsWrittenInPlace) {
    if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
    ScratchDir scratch;
    ::chmod(".", 0755);
    fs::create_directory("disk");
    if (::mount("tmpfs", "disk", "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    const Unmount unmount{"disk"};

    // A folder nobody may not add to, holding nobody's map, on a full disk.
    fs::create_directory("disk/d");
    const std::string old = formatMapFile(chainOf(1000));
    writeFile("disk/d/map.mef", old);
    ASSERT_EQ(::chown("disk/d/map.mef", nobody, nobody), 0);
    ::chmod("disk/d", 0555);
    fillUp("disk/filler");
    const std::vector<Segment> larger = chainOf(2000);
    ASSERT_GT(formatMapFile(larger).size(), old.size() + 8192);
    const SaveOutcome full =
        saveUnprivileged([&] { return storeTelling("disk/d/map.mef", formatMapFile(larger)); });
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.output, "File output error: disk/d/map.mef: No space left on device\n");
    EXPECT_TRUE(readFile("disk/d/map.mef") == old) << "the old map was changed";

    // A file mounted on the name cannot be renamed over: it is written in place.
    std::filesystem::remove("disk/filler");
    writeFile("disk/real.mef", "old");
    writeFile("disk/map.mef", "");
    ASSERT_EQ(::mount("disk/real.mef", "disk/map.mef", nullptr, MS_BIND, nullptr), 0);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(storeTelling("disk/map.mef", formatMapFile(chainOf(3))));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Warning: disk/map.mef: a mount point, saved in place\n");
    ::umount2("disk/map.mef", MNT_DETACH);
    EXPECT_EQ(readFile("disk/real.mef"), formatMapFile(chainOf(3)));
    EXPECT_EQ(readFile("disk/map.mef"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator("disk"), fs::directory_iterator()), 3);  // no temporary
}

}  // namespace
