#include "world/level_list.h"
#include "world_support.h"

TEST(BuildLevelList, MapsWithBasesComeLastThenTheCredits) {
    WorldRig rig;
    const TempFolder& f = rig.Folder;
    f.Write("b.map", "0 4");
    f.Write("A.map", "20 22");
    f.Write("c.map", "20 0");
    f.Write("d.map", "20 21");
    f.Write("notes.txt", "20 20");
    f.Write("e.MAP", "0");
    std::filesystem::create_directory(f.Path / "folder.map");
    TLevelLists lists;
    lists.AllLevels = {"stale"};
    BuildLevelList(rig.g(), lists);
    EXPECT_EQ(lists.AllLevels, (std::vector<std::string>{"b", "c", "A", "d", "Credits..."}));
    EXPECT_EQ(lists.BaseLevels, (std::vector<std::string>{"A", "d", "Credits..."}));
    EXPECT_EQ(&lists.Shown(), &lists.AllLevels);
    lists.BaseLevelMode = true;
    EXPECT_EQ(&lists.Shown(), &lists.BaseLevels);
}

TEST(BuildLevelList, AnEmptyFolderStillOffersTheCredits) {
    WorldRig rig;
    TLevelLists lists;
    BuildLevelList(rig.g(), lists);
    EXPECT_EQ(lists.AllLevels, (std::vector<std::string>{"Credits..."}));
    EXPECT_EQ(lists.BaseLevels, (std::vector<std::string>{"Credits..."}));
}

TEST(ReplacementMapName, CountsUpPastNamesAlreadyListed) {
    std::vector<std::string> levels = {"Arena", "Credits..."};
    EXPECT_EQ(ReplacementMapName(levels, "Arena"), "Arena(replaced by server map)");
    levels.push_back("Arena(replaced by server map)");
    EXPECT_EQ(ReplacementMapName(levels, "Arena"), "Arena(replaced by server map 2)");
    levels.push_back("Arena(replaced by server map 2)");
    EXPECT_EQ(ReplacementMapName(levels, "Arena"), "Arena(replaced by server map 3)");
}

TEST(LoadCreditsText, ReadsEveryLine) {
    WorldRig rig;
    rig.Folder.Write("Credits.txt", "Moorclash\r\n\r\nCode: us\r\n\x1a"
                                    "junk");
    ASSERT_TRUE(LoadCreditsText(rig.g()));
    EXPECT_EQ(rig.g().CreditsLines, (std::vector<std::string>{"Moorclash", "", "Code: us"}));
}

TEST(LoadCreditsText, AMissingFileSaysSoAndKeepsTheLines) {
    WorldRig rig;
    rig.g().CreditsLines = {"kept"};
    EXPECT_FALSE(LoadCreditsText(rig.g()));
    ASSERT_EQ(rig.TheUi.Boxes.size(), 1u);
    EXPECT_NE(rig.TheUi.Boxes[0].find("Credits.txt"), std::string::npos);
    EXPECT_EQ(rig.g().CreditsLines, (std::vector<std::string>{"kept"}));
}
