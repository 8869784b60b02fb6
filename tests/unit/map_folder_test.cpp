// --in-map-folder: the working directory the editor ends up in, and the map
// name it then uses, for each way of naming a map.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "MapFolder.h"
#include "ScratchDir.h"

namespace {

TEST(MapFolder, WorksWhereTheNamedMapIsAndOnlyWithTheOption) {
    ScratchDir scratch;
    std::filesystem::create_directories("levels/deep");
    const std::filesystem::path home = std::filesystem::current_path();
    const std::string absolute = (home / "levels" / "canyon.mef").string();
    const struct {
        std::vector<std::string> args;
        bool ok;
        std::string folder;  // relative to the scratch directory
        std::string mapFile;
    } cases[] = {
        {{"--in-map-folder", "levels/canyon.mef"}, true, "levels", "canyon.mef"},
        {{"--export", "--in-map-folder", "levels/deep/../käse.mef"}, true, "levels", "käse.mef"},
        {{"--in-map-folder", absolute}, true, "levels", "canyon.mef"},
        {{"--in-map-folder", "canyon.mef"}, true, ".", "canyon.mef"},
        {{"--in-map-folder", "levels/"}, true, ".", "levels/"},
        {{"--in-map-folder"}, true, ".", "map.mef"},
        {{"levels/canyon.mef"}, true, ".", "levels/canyon.mef"},
        {{"--in-map-folder", "missing/canyon.mef"}, false, ".", "missing/canyon.mef"},
    };
    for (const auto& c : cases) {
        std::filesystem::current_path(home);
        CommandLine commandLine = parseCommandLine(c.args);
        const std::string shown = c.args.back();
        EXPECT_EQ(enterMapFolder(commandLine), c.ok) << shown;
        EXPECT_EQ(commandLine.mapFile, c.mapFile) << shown;
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), home / c.folder)) << shown;
    }
    std::filesystem::current_path(home);
}

}  // namespace
