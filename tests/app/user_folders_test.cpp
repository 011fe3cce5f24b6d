// The program with the player's folders of an installed game: a map saved
// in the player's folder plays by name, and a settings folder that cannot
// be made is said once at start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/run.h"
#include "program_run.h"
#include "world/game_folders.h"

namespace fs = std::filesystem;

TEST(UserFolders, APlayersMapPlaysByNameAndAnUnwritableFolderIsSaidOnce) {
    const fs::path home =
        fs::temp_directory_path() / ("moor_user_folders_" + std::to_string(::getpid()));
    fs::remove_all(home);
    fs::create_directories(home / "maps");
    fs::copy_file(fs::path(MOOR_BIN_DIR) / "Green Acres.map", home / "maps" / "Home Made.map");
    std::ofstream(home / "not a folder") << "x";
    struct TPutBack {
        TGameFolders Old = StartFolders();
        ~TPutBack() { SetStartFolders(Old); }
    } putBack;
    SetStartFolders({MOOR_BIN_DIR, (home / "not a folder" / "moorclash").string(),
                     (home / "maps").string(), false});

    const TOptions o = ProgramRun::Parse({"--map", "Home Made", "--bots", "2"});
    EXPECT_EQ(CheckOptionsAgainstFolder(o, MOOR_BIN_DIR), "");
    EXPECT_NE(CheckOptionsAgainstFolder(ProgramRun::Parse({"--map", "Nowhere"}), MOOR_BIN_DIR), "");
    {
        ProgramRun run(3);
        ASSERT_EQ(run.Start(o), "");
        EXPECT_EQ(run.g().CurrentMapName, "Home Made");
        ASSERT_EQ(run.TheUi.Boxes.size(), 1u);
        EXPECT_NE(run.TheUi.Boxes[0].find("not a folder"), std::string::npos);
        EXPECT_NE(run.TheUi.Boxes[0].find("will not be kept"), std::string::npos);
    }
    fs::remove_all(home);
}
