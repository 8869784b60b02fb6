// The file code on every system: names up to the longest a file may have,
// the temporary files of killed saves, and content written byte for byte.
// What only one system has is in text_file_posix_test.cpp and
// windows_platform_test.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "ScratchDir.h"
#include "TextFile.h"

namespace {

TEST(TextFile, NamesUpToTheLimitSaveAndTheirAbandonedTemporariesAreRemoved) {
    ScratchDir scratch;
    std::string accents = "x";  // 255 bytes: "x" and 127 two-byte characters, one cut by the shortening
    for (int i = 0; i < 127; ++i) accents += "\xC3\xA9";
    const std::string names[] = {std::string(241, 'a'), std::string(242, 'b'), std::string(250, 'c'),
                                 std::string(255, 'd'), accents};
    const auto entryCount = [] {
        return std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator());
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name.size());
        // As a killed save of the name leaves it: closed, so nobody holds it.
        const TempFile abandoned = createTempFileBeside(name);
        ASSERT_NE(abandoned.stream, nullptr);
        std::fclose(abandoned.stream);
        EXPECT_EQ(replaceFile(name, "new"), ReplaceResult::replaced);
        std::string text;
        EXPECT_TRUE(readWholeFile(name.c_str(), text));
        EXPECT_EQ(text, "new");
        EXPECT_EQ(entryCount(), 1);
        std::filesystem::remove(std::filesystem::u8path(name));
    }
    // Two long names alike up to the cut: a save of one leaves the other's temporary alone.
    const TempFile other = createTempFileBeside(std::string(250, 'f') + "1");
    ASSERT_NE(other.stream, nullptr);
    std::fclose(other.stream);
    EXPECT_EQ(replaceFile(std::string(250, 'f') + "2", "new"), ReplaceResult::replaced);
    EXPECT_TRUE(std::filesystem::exists(other.path));
}

TEST(TextFile, ReplaceFileWritesExactBytes) {
    ScratchDir scratch;
    const std::string bytes("a\0b\r\n\xff", 6);
    EXPECT_EQ(replaceFile("f.txt", bytes), ReplaceResult::replaced);
    EXPECT_EQ(readFile("f.txt"), bytes);
    std::string back;
    EXPECT_TRUE(readWholeFile("f.txt", back));
    EXPECT_EQ(back, bytes);
    EXPECT_FALSE(readWholeFile("missing.txt", back));
    EXPECT_EQ(back, bytes);
}

}  // namespace
