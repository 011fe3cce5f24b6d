// Settings and keys of an installed game: read from the shipped files on a
// first start, written to the player's own folder, read from there next time.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/key_settings.h"
#include "frontend/settings_file.h"
#include "world/game_folders.h"
#include "world/world_support.h"

namespace fs = std::filesystem;

TEST(UserFolder, AFirstStartTakesTheShippedFilesAndChangesAreKeptInThePlayersFolder) {
    WorldRig rig; // its folder plays the installed, read-only data folder
    Game& g = rig.g();
    const std::string shipped = std::string(MOOR_SOURCE_DIR) + "/data/";
    for (const char* name : {DefaultSettingsFileName, KeySettingsFileName})
        fs::copy_file(shipped + name, rig.Folder.File(name));
    struct {
        fs::path Path;
    } home{rig.Folder.Path / "home"};
    const fs::path config = home.Path / "config" / "moorclash";
    struct TPutBack {
        TGameFolders Old = StartFolders();
        ~TPutBack() { SetStartFolders(Old); }
    } putBack;
    SetStartFolders({rig.Folder.Path.string(), config.string(), "", false});

    // First start: nothing of the player's yet, and nothing to complain of.
    TSettings s;
    EXPECT_EQ(LoadSettings(g, s), "");
    const std::string shippedName = s.TankSetups[0].Name;
    LoadKeyMapAtStart(g);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
    EXPECT_EQ(g.KeyMap[vk::Up], caForward);

    // The player renames the driver and moves fire to F: both land in the
    // player's folder, made on the way.
    s.TankSetups[0].Name = "Moor Queen";
    EXPECT_EQ(SaveSettings(g, s), "");
    TKeyLists keys = DefaultKeyLists();
    BindKey(keys, 0, caFire, vk::Letter('F'));
    EXPECT_EQ(AcceptKeyLists(g, keys), "");
    EXPECT_TRUE(fs::is_regular_file(config / SettingsFileName));
    EXPECT_TRUE(fs::is_regular_file(config / KeySettingsFileName));
    EXPECT_FALSE(fs::exists(rig.Folder.File(SettingsFileName)));
    std::ifstream original(shipped + KeySettingsFileName, std::ios::binary);
    const std::string originalText{std::istreambuf_iterator<char>(original), {}};
    EXPECT_EQ(rig.Folder.Read(KeySettingsFileName), originalText);

    // Next start: the player's own files.
    TSettings again;
    EXPECT_EQ(LoadSettings(g, again), "");
    EXPECT_EQ(again.TankSetups[0].Name, "Moor Queen");
    EXPECT_NE(shippedName, "Moor Queen");
    g.KeyMap.fill(NoKeyAction);
    LoadKeyMapAtStart(g);
    EXPECT_EQ(g.KeyMap['F'], caFire);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());

    // A folder that cannot be made: the write fails with a reason, and the
    // shipped files are not touched in its place.
    fs::create_directories(home.Path / "file");
    std::ofstream(home.Path / "file" / "here") << "x";
    SetStartFolders({rig.Folder.Path.string(), (home.Path / "file" / "here").string(), "", false});
    const std::string error = SaveSettings(g, again);
    EXPECT_NE(error.find("file/here"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(rig.Folder.File(SettingsFileName)));
}
