// Where the game finds its shipped files and keeps the player's own: a
// build's bin/, an installed tree, and maps saved beside the shipped ones.
#include <sys/stat.h>

#include "world/game_folders.h"
#include "world/level_list.h"
#include "world_support.h"

namespace fs = std::filesystem;

namespace {

// The run's folders for one test, put back afterwards.
struct TFoldersScope {
    explicit TFoldersScope(const TGameFolders& f) : Old(StartFolders()) { SetStartFolders(f); }
    ~TFoldersScope() { SetStartFolders(Old); }
    TGameFolders Old;
};

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << "x";
}

std::string Slash(const fs::path& p) {
    return p.lexically_normal().string() + "/";
}

} // namespace

TEST(GameFolders, ABuildKeepsEverythingBesideTheProgramAndAnInstallUsesTheUsersFolders) {
    TempFolder root;
    const TFolderEnvironment env{(root.Path / "home").string(), "", ""};

    // build/bin: the data beside the program, which can be written.
    const fs::path bin = root.Path / "build" / "bin";
    Touch(bin / "TextureList.txt");
    TGameFolders f = FindGameFolders(bin.string(), "../share/moorclash", "/nowhere", env);
    EXPECT_TRUE(f.Portable);
    EXPECT_EQ(f.Data, Slash(bin));
    EXPECT_EQ(f.Settings, Slash(bin));
    EXPECT_EQ(f.Maps, Slash(bin));

    // prefix/bin and prefix/share/moorclash: found from the program's own
    // place, whatever prefix it was built for; writes go to the home folder.
    const fs::path prefix = root.Path / "prefix";
    Touch(prefix / "share" / "moorclash" / "TextureList.txt");
    fs::create_directories(prefix / "bin");
    f = FindGameFolders((prefix / "bin").string() + "/", "../share/moorclash", "/nowhere", env);
    EXPECT_FALSE(f.Portable);
    EXPECT_EQ(f.Data, Slash(prefix / "share" / "moorclash"));
    EXPECT_EQ(f.Settings, Slash(root.Path / "home" / ".config" / "moorclash"));
    EXPECT_EQ(f.Maps, Slash(root.Path / "home" / ".local" / "share" / "moorclash"));

    // The XDG variables win when they are absolute paths, and only then.
    f = FindGameFolders((prefix / "bin").string(), "../share/moorclash", "",
                        {env.Home, (root.Path / "cfg").string(), "relative/data"});
    EXPECT_EQ(f.Settings, Slash(root.Path / "cfg" / "moorclash"));
    EXPECT_EQ(f.Maps, Slash(root.Path / "home" / ".local" / "share" / "moorclash"));

    // A program moved away from its tree still finds the prefix compiled in.
    const fs::path elsewhere = root.Path / "elsewhere";
    fs::create_directories(elsewhere);
    f = FindGameFolders(elsewhere.string(), "../share/moorclash",
                        (prefix / "share" / "moorclash").string(), env);
    EXPECT_EQ(f.Data, Slash(prefix / "share" / "moorclash"));
    EXPECT_FALSE(f.Portable);

    // A program folder that already holds settings.dat is a portable copy.
    Touch(elsewhere / "settings.dat");
    f = FindGameFolders(elsewhere.string(), "../share/moorclash",
                        (prefix / "share" / "moorclash").string(), env);
    EXPECT_TRUE(f.Portable);
    EXPECT_EQ(f.Settings, Slash(elsewhere));
    EXPECT_EQ(f.Data, Slash(prefix / "share" / "moorclash"));
}

TEST(GameFolders, SavedMapsGoToThePlayersFolderAndAreListedBesideTheShippedOnes) {
    WorldRig rig;
    Game& g = rig.g();
    const fs::path shipped = rig.Folder.Path / "shipped", home = rig.Folder.Path / "home";
    const fs::path maps = home / "data" / "moorclash";
    g.ProgramFolder = shipped.string();
    fs::create_directories(shipped);
    TFoldersScope scope({"", (home / "config").string(), maps.string(), false});
    rig.Folder.Write("shipped/Shipped.map", "0 4\r\n4 0");
    rig.Folder.Write("shipped/Based.map", "20 22\r\n0 4");

    // Nothing saved yet: the missing folder is no fault.
    TLevelLists lists;
    BuildLevelList(g, lists);
    EXPECT_EQ(lists.AllLevels, (std::vector<std::string>{"Shipped", "Based", "Credits..."}));
    EXPECT_TRUE(rig.TheUi.Boxes.empty());

    // A map from a host: saved into the player's folder, made on the way.
    ASSERT_TRUE(LoadMap(g, "Shipped"));
    ASSERT_TRUE(SaveMap(g, "Downloaded"));
    EXPECT_TRUE(fs::is_regular_file(maps / "Downloaded.map"));
    EXPECT_FALSE(fs::exists(shipped / "Downloaded.map"));
    // A shipped name saved again is the player's copy; the shipped file stays.
    UseMap(g, {"0 4 0", "4 0 4"}, "Shipped");
    ASSERT_TRUE(SaveMap(g, "Shipped"));
    EXPECT_EQ(rig.Folder.Read("shipped/Shipped.map"), "0 4\r\n4 0");
    BuildLevelList(g, lists);
    EXPECT_EQ(lists.AllLevels,
              (std::vector<std::string>{"Downloaded", "Shipped", "Based", "Credits..."}));
    EXPECT_EQ(MapFilePath(g, "Shipped"), (maps / "Shipped.map").string());
    EXPECT_EQ(MapFilePath(g, "Based"), (shipped / "Based.map").string());
    ASSERT_TRUE(LoadMap(g, "Shipped"));
    EXPECT_EQ(g.MapWidth, 3);
    ASSERT_TRUE(LoadMap(g, "Based"));
    EXPECT_EQ(g.BaseCount, 2);

    // A maps folder that cannot be made: said once, nothing written anywhere.
    const std::vector<fs::path> before{fs::directory_iterator(shipped), {}};
    Touch(home / "blocked");
    TFoldersScope blocked({"", "", (home / "blocked" / "maps").string(), false});
    rig.TheUi.Boxes.clear();
    EXPECT_FALSE(SaveMap(g, "Lost"));
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_NE(rig.TheUi.Boxes[0].find("blocked"), std::string::npos) << rig.TheUi.Boxes[0];
    const std::vector<fs::path> after{fs::directory_iterator(shipped), {}};
    EXPECT_EQ(before.size(), after.size());
}

TEST(GameFolders, ReadingPrefersThePlayersCopyAndAFolderIsMadeOnFirstUse) {
    TempFolder root;
    const fs::path mine = root.Path / "mine", shipped = root.Path / "shipped";
    Touch(shipped / "keysettings.dat");
    EXPECT_EQ(ReadableFile(mine.string(), shipped.string(), "keysettings.dat"),
              (shipped / "keysettings.dat").string());
    EXPECT_EQ(PrepareWritableFolder((mine / "deeper").string()), "");
    EXPECT_TRUE(fs::is_directory(mine / "deeper"));
    Touch(mine / "keysettings.dat");
    EXPECT_EQ(ReadableFile(mine.string(), shipped.string(), "keysettings.dat"),
              (mine / "keysettings.dat").string());
    // No probe file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(mine / "deeper"), {}), 0);
    if (::geteuid() != 0) { // root writes anywhere
        fs::permissions(shipped, fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_NE(PrepareWritableFolder(shipped.string()), "");
        fs::permissions(shipped, fs::perms::owner_write, fs::perm_options::add);
    }
}
