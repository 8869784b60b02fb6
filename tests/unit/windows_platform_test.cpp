// The Windows halves of the file and batch code, run under Wine in CI.
#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "Autosave.h"
#include "BatchRunner.h"
#include "EditorFiles.h"
#include "Export.h"
#include "MapEditor.h"
#include "ScratchDir.h"
#include "TextFile.h"
#include "windows/BatchOutputText.h"

namespace {

// Sets an environment variable of this process (and so of its children) for
// the lifetime of the object.
class EnvironmentOverride {
public:
    EnvironmentOverride(const wchar_t* name, const std::wstring& value) : name(name) {
        wchar_t buffer[32768];
        const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
        hadOld = length > 0 && length < 32768;
        if (hadOld) oldValue.assign(buffer, length);
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentOverride() { ::SetEnvironmentVariableW(name, hadOld ? oldValue.c_str() : nullptr); }

private:
    const wchar_t* name;
    bool hadOld = false;
    std::wstring oldValue;
};

std::set<std::string> onlyMap = {"map.mef"};

TEST(WindowsTextFile, ReplacesAnExistingFileWithExactlyTheBytesGiven) {
    ScratchDir scratch;
    // Paths are UTF-8; the second name is not in any single-byte code page.
    for (const std::string name : {"map.mef", "K\xC3\xA4rte-\xE5\x9C\xB0\xE5\x9B\xB3.mef"}) {
        std::ofstream(std::filesystem::u8path(name), std::ios::binary) << std::string(5000, '9');
        ASSERT_EQ(replaceFile(name,
                              "1 2\n3 4\r\n\x1a"
                              "5\n"),
                  ReplaceResult::replaced)
            << name;
        std::string text;
        EXPECT_TRUE(readWholeFile(name.c_str(), text)) << name;
        EXPECT_EQ(text,
                  "1 2\n3 4\r\n\x1a"
                  "5\n")
            << name;
        EXPECT_EQ(
            std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator()), 1)
            << name;
        std::filesystem::remove(std::filesystem::u8path(name));
    }
}

TEST(WindowsTextFile, TargetHeldByAReaderIsKeptWithTheReasonAndNoTemporaryFileStays) {
    // As the simulator or an editor might hold it: no sharing at all, the
    // ordinary sharing of a reader, or a reader that lets others write.
    for (const DWORD sharing : {DWORD{0}, DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                                DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
        SCOPED_TRACE(sharing);
        ScratchDir scratch;
        writeFile("map.mef", "old");
        const HANDLE held =
            ::CreateFileW(L"map.mef", GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(replaceFile("map.mef", "new"), ReplaceResult::failed);
        MapEditor editor;
        testing::internal::CaptureStdout();
        saveMapFile(editor, windowMessages());
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "File output error: map.mef: used by another program\n");
        ::CloseHandle(held);
        EXPECT_EQ(readFile("map.mef"), "old");
        EXPECT_EQ(directoryEntries(), onlyMap);
    }
}

// Run only as the child of the next test: takes a temporary file beside the
// target named by MAPEDITOR_HOLD_TARGET, says so, and waits to be killed.
TEST(WindowsTextFile, DISABLED_HoldATemporaryFileUntilKilled) {
    const char* target = std::getenv("MAPEDITOR_HOLD_TARGET");
    ASSERT_NE(target, nullptr);
    TempFile temp = createTempFileBeside(target);
    ASSERT_NE(temp.stream, nullptr);
    std::fputs("half a map", temp.stream);
    std::fflush(temp.stream);
    writeFile(std::string(target) + ".ready", "");
    ::Sleep(INFINITE);
}

TEST(WindowsTextFile, TemporaryFileOfAKilledSaveIsRemovedByTheNextSaveOnly) {
    ScratchDir scratch;
    const std::string target = scratch.path() + "\\map.mef";
    EnvironmentOverride holdTarget(L"MAPEDITOR_HOLD_TARGET", std::filesystem::path(target).wstring());
    wchar_t self[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    std::wstring commandLine = L"\"" + std::wstring(self) +
                               L"\" --gtest_also_run_disabled_tests "
                               L"--gtest_filter=WindowsTextFile.DISABLED_HoldATemporaryFileUntilKilled";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &child));
    ::CloseHandle(child.hThread);
    for (int i = 0; i < 300 && !std::filesystem::exists("map.mef.ready"); ++i) ::Sleep(20);
    ASSERT_TRUE(std::filesystem::exists("map.mef.ready"));
    std::filesystem::remove("map.mef.ready");
    ASSERT_EQ(directoryEntries().size(), 1u);
    const std::string held = *directoryEntries().begin();

    // While its writer lives, a save of the same target leaves it alone.
    ASSERT_EQ(replaceFile("map.mef", "first"), ReplaceResult::replaced);
    EXPECT_EQ(directoryEntries(), (std::set<std::string>{"map.mef", held}));

    ::TerminateProcess(child.hProcess, 9);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::CloseHandle(child.hProcess);
    EXPECT_EQ(directoryEntries(), (std::set<std::string>{"map.mef", held}));
    ASSERT_EQ(replaceFile("map.mef", "second"), ReplaceResult::replaced);
    EXPECT_EQ(directoryEntries(), onlyMap);
    EXPECT_EQ(readFile("map.mef"), "second");
}

TEST(WindowsTextFile, ReadsBytesUnchangedAndRefusesWhatIsNoRegularFile) {
    ScratchDir scratch;
    const std::string bytes = "0 0 1 1\r\n2 2 3 3\r\n\x1a 9\r\n";
    writeFile("crlf.mef", bytes);
    std::filesystem::create_directory("folder");
    // A sparse file just over the size limit.
    {
        const HANDLE big = ::CreateFileW(L"big.mef", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(big, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = (256ll << 20) + 1;
        ::SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(big);
        ::CloseHandle(big);
    }
    std::string text = "unchanged";
    EXPECT_TRUE(readWholeFile("crlf.mef", text));
    EXPECT_EQ(text, bytes);
    const struct {
        const char* path;
        ReadError error;
    } refused[] = {
        {"folder", ReadError::notRegularFile},
        {"NUL", ReadError::notRegularFile},
        {"CON", ReadError::notRegularFile},
        {"CONIN$", ReadError::notRegularFile},
        {"CONOUT$", ReadError::notRegularFile},
        {"big.mef", ReadError::tooLarge},
        {"missing.mef", ReadError::cannotOpen},
    };
    for (const auto& c : refused) {
        text = "unchanged";
        ReadError error = ReadError::none;
        EXPECT_FALSE(readWholeFile(c.path, text, &error)) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
        EXPECT_EQ(text, "unchanged") << c.path;
    }
}

TempFile refusedByTheFolder(const std::string&) { return {nullptr, {}, EACCES}; }

TEST(WindowsTextFile, ReadOnlyTargetsAreKeptAndRefusingFoldersGetAnInPlaceWrite) {
    ScratchDir scratch;
    writeFile("map.mef", "old");
    ASSERT_TRUE(::SetFileAttributesW(L"map.mef", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(replaceFile("map.mef", "new"), ReplaceResult::failed);
    ::SetFileAttributesW(L"map.mef", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile("map.mef"), "old");
    EXPECT_EQ(directoryEntries(), onlyMap);

    // A folder that refuses new files: the existing file is rewritten in place,
    // a missing one cannot be made.
    writeFile("map.mef", std::string(5000, '9'));
    const FileWrite inPlace = storeFile("map.mef", "new", refusedByTheFolder);
    EXPECT_EQ(inPlace.result, ReplaceResult::writtenInPlace);
    EXPECT_EQ(inPlace.reason, "folder not writable");
    EXPECT_EQ(readFile("map.mef"), "new");
    // Growing in place: the space is reserved, then written.
    EXPECT_EQ(replaceFile("map.mef", std::string(6000, '8'), refusedByTheFolder),
              ReplaceResult::writtenInPlace);
    EXPECT_EQ(readFile("map.mef"), std::string(6000, '8'));
    EXPECT_EQ(replaceFile("other.mef", "new", refusedByTheFolder), ReplaceResult::failed);
    EXPECT_EQ(directoryEntries(), onlyMap);
}

TEST(WindowsTextFile, OneCauseGivesOneReasonInTheSystemsWords) {
    ScratchDir scratch;
    writeFile("map.mef", "old");
    ASSERT_TRUE(::SetFileAttributesW(L"map.mef", FILE_ATTRIBUTE_READONLY));
    std::string readOnly;
    EXPECT_EQ(replaceFile("map.mef", "new", createTempFileBeside, &readOnly), ReplaceResult::failed);
    ::SetFileAttributesW(L"map.mef", FILE_ATTRIBUTE_NORMAL);
    // Access refused to the temporary file reads as to the file itself.
    std::string refused;
    EXPECT_EQ(replaceFile("new.mef", "new", refusedByTheFolder, &refused), ReplaceResult::failed);
    EXPECT_EQ(refused, readOnly);
    // A missing folder: Windows' words, as a missing file's are.
    std::string missingFolder;
    EXPECT_EQ(replaceFile("none\\new.mef", "new", createTempFileBeside, &missingFolder), ReplaceResult::failed);
    EXPECT_NE(missingFolder, std::strerror(ENOENT));
    std::string text;
    std::string missingFile;
    EXPECT_FALSE(readWholeFile("none\\new.mef", text, nullptr, &missingFile));
    EXPECT_EQ(missingFolder, missingFile);
    // Every device, with any extension, is no regular file, as CON is.
    for (const char* device : {"nul.mef", "AUX.svg", "lpt1.svg", "CON.mef", "none\\COM1.mef"}) {
        std::string reason;
        EXPECT_EQ(replaceFile(device, "new", createTempFileBeside, &reason), ReplaceResult::failed) << device;
        EXPECT_EQ(reason, "not a regular file") << device;
    }
    EXPECT_EQ(directoryEntries(), onlyMap);
}

TEST(WindowsTextFile, ALinkedTargetIsReplacedAtItsEndAndStaysALink) {
    ScratchDir scratch;
    std::filesystem::create_directory("repo");
    writeFile("repo\\real.mef", "old");
    // Wine reports success but makes no link (tests/windows/exe_test.sh saves
    // through a POSIX link instead).
    if (!::CreateSymbolicLinkW(L"map.mef", L"repo\\real.mef", SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) ||
        ::GetFileAttributesW(L"map.mef") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "symbolic links cannot be made here";
    EXPECT_EQ(replaceFile("map.mef", "new"), ReplaceResult::replaced);
    EXPECT_EQ(readFile("repo\\real.mef"), "new");
    EXPECT_TRUE(std::filesystem::is_symlink("map.mef"));
    EXPECT_EQ(directoryEntries(), (std::set<std::string>{"map.mef", "repo"}));
}

TEST(WindowsTextFile, TheAutosaveIsNamedAfterTheFileWindowsKeeps) {
    const struct {
        const char* given;
        const char* kept;
    } cases[] = {
        {"a.mef.", "a.mef"},           {"a.mef ", "a.mef"},
        {"a.mef. .", "a.mef"},         {"levels\\a.mef..", "levels\\a.mef"},
        {"levels/\xc3\xa9.mef ", "levels/\xc3\xa9.mef"}, {"C:a.mef.", "C:a.mef"},
        {"a.mef", "a.mef"},            {"a. b.mef", "a. b.mef"},
        {"..", ".."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(systemFileName(c.given), c.kept) << c.given;
        EXPECT_EQ(Autosave::pathFor(c.given), std::string(c.kept) + ".autosave") << c.given;
    }
    // An existing file given by its short 8.3 name has the autosave of its long one.
    ScratchDir scratch;
    std::filesystem::create_directory("levels");
    writeFile("levels/canyon-long-name.mef", "map");
    wchar_t shortName[MAX_PATH];
    ASSERT_GT(::GetShortPathNameW(L"levels\\canyon-long-name.mef", shortName, MAX_PATH), 0u);
    std::wstring shortPath(shortName);
    ASSERT_NE(shortPath, L"levels\\canyon-long-name.mef");
    const std::string given(shortPath.begin(), shortPath.end());
    EXPECT_EQ(systemFileName(given), "levels\\canyon-long-name.mef") << given;
    EXPECT_EQ(Autosave::pathFor(given), "levels\\canyon-long-name.mef.autosave") << given;
}

TEST(WindowsBatchRunner, RunsTheWorkingDirectoryCopyBatNeverOneOnThePath) {
    ScratchDir scratch;
    std::filesystem::create_directory("bin");
    writeFile("bin\\copy.bat", "echo impostor> impostor-ran\r\n");
    EnvironmentOverride path(L"PATH", std::filesystem::current_path().wstring() + L"\\bin;" +
                                          std::filesystem::path(std::getenv("PATH")).wstring());
    writeFile("copy.bat", "@echo ran> batch-ran\r\n@exit /b 3\r\n");
    EXPECT_EQ(runBatchFile("./copy.bat"), 3);
    EXPECT_EQ(readFile("batch-ran"), "ran\r\n");
    EXPECT_FALSE(std::filesystem::exists("impostor-ran"));

    // Without its own copy.bat, the interpreter complains and still nothing from the PATH runs.
    std::filesystem::remove("copy.bat");
    EXPECT_TRUE(runBatchFile("./copy.bat").has_value());
    EXPECT_FALSE(std::filesystem::exists("impostor-ran"));

    // Nor does one that cmd would find for "copy.bat" by adding an extension.
    writeFile("copy.bat.cmd", "echo impostor> impostor-ran\r\n");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(exportMap(MapEditor(), windowMessages()));
    EXPECT_NE(testing::internal::GetCapturedStdout().find("copy.bat not found in the working directory"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("impostor-ran"));

    EnvironmentOverride comSpec(L"ComSpec", L"C:\\no such folder\\cmd.exe");
    EXPECT_FALSE(runBatchFile("./copy.bat").has_value());
}

TEST(WindowsBatchRunner, ReturnsTheWholeExitCodeAsCmdShowsIt) {
    ScratchDir scratch;
    // 9009: cmd's code for a command it cannot find.
    for (const int status : {256, -256, -1, 9009}) {
        writeFile("copy.bat", "@exit /b " + std::to_string(status) + "\r\n");
        EXPECT_EQ(runBatchFile("./copy.bat"), status);
    }
}

TEST(WindowsBatchRunner, ReadsCmdsOutputInTheCodePageItWasWrittenIn) {
    // bytes | code page | text
    const struct {
        std::string bytes;
        unsigned codePage;
        std::string text;
    } cases[] = {
        {"Kopie nach n-Jos\x82 fehlgeschlagen\r\n", 850, "Kopie nach n-José fehlgeschlagen\r\n"},
        {"\x92n\x90}", 932, "地図"},
        {"Gr\xfc\xdf" "e", 1252, "Grüße"},
        // Already UTF-8 (a batch file that ran chcp 65001): as it is.
        {"José 地図", 437, "José 地図"},
        {"", 437, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(batchOutputText(c.bytes, c.codePage), c.text) << c.bytes;
}

// Records the notice a failed copy.bat leaves.
class NoticeRecorder final : public Messages {
public:
    bool report(std::string_view) override { return true; }
    void problem(std::string_view) override {}
    void explainedProblem(std::string, std::string line, std::string) override { notice = std::move(line); }
    std::string notice;
};

TEST(WindowsBatchRunner, CopyBatsWordsReachOutputAndNoticeReadable) {
    ScratchDir scratch;
    const std::filesystem::path folder = std::filesystem::current_path() / std::filesystem::u8path("é-地図");
    std::filesystem::create_directory(folder);
    std::filesystem::current_path(folder);
    writeFile("copy.bat", "@echo into %CD% failed\r\n@echo copy into %CD% failed 1>&2\r\n@exit /b 1\r\n");
    NoticeRecorder messages;
    testing::internal::CaptureStdout();
    EXPECT_EQ(runBatchAfterExport(messages), 1);
    const std::string printed = testing::internal::GetCapturedStdout();
    // é is in every Western code page; 地図 only in some, and cmd writes
    // "??" where its code page lacks them.
    const auto named = [](const std::string& text) {
        return text.find("\\é-地図 failed") != std::string::npos || text.find("\\é-?? failed") != std::string::npos;
    };
    EXPECT_TRUE(named(printed)) << printed;
    EXPECT_TRUE(named(messages.notice)) << messages.notice;
}

TEST(WindowsBatchRunner, AnEndSignalEndsWhatTheBatchFileStartedWhileItsOwnEndLeavesItRunning) {
    ScratchDir scratch;
    // copy.bat starts a program that writes child-done 3 s on, makes started
    // and waits 30 s, unless told to be quick.
    writeFile("copy.bat",
              "@start /b cmd /d /c \"ping -n 4 127.0.0.1 >nul & type nul > child-done\"\r\n"
              "@type nul > started\r\n@if not exist quick ping -n 31 127.0.0.1 >nul\r\n");
    watchEndSignalsDuringBatch([] { return std::filesystem::exists("started") ? SIGINT : 0; });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runBatchFile("./copy.bat"), 128 + SIGINT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    watchEndSignalsDuringBatch(nullptr);
    ::Sleep(6000);
    EXPECT_FALSE(std::filesystem::exists("child-done"));

    writeFile("quick", "");
    EXPECT_EQ(runBatchFile("./copy.bat"), 0);
    for (int waited = 0; waited < 200 && !std::filesystem::exists("child-done"); ++waited) ::Sleep(100);
    EXPECT_TRUE(std::filesystem::exists("child-done"));
}

}  // namespace
