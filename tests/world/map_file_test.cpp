#include <set>

#include "core/terrain.h"
#include "world_support.h"

namespace {

struct Parsed {
    bool Ok = false;
    TMapGrid Grid;
    std::string Error;
};

Parsed Parse(std::string_view text) {
    Parsed p;
    p.Ok = ParseMapText(text, "Arena.map", p.Grid, p.Error);
    return p;
}

std::string RowOf(int count, const std::string& code) {
    std::string row;
    for (int i = 0; i < count; ++i)
        row += (i ? " " : "") + code;
    return row;
}

} // namespace

TEST(ParseMapText, ReadsRowsFromTheTop) {
    const Parsed p = Parse("1 2 3\r\n-4 5 +6");
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Grid.Width, 3);
    EXPECT_EQ(p.Grid.Height, 2);
    EXPECT_EQ(p.Grid.At(0, 0), 1);
    EXPECT_EQ(p.Grid.At(2, 0), 3);
    EXPECT_EQ(p.Grid.At(0, 1), -4);
    EXPECT_EQ(p.Grid.At(2, 1), 6);
}

TEST(ParseMapText, LineEndsAndTrailingBlanksMakeNoExtraCells) {
    for (const char* text :
         {"1 2\n3 4\n", "1 2 \r\n3 4\r\n\r\n", "1 2\r3 4", "\r\n1\t2\r\n3 4  "}) {
        const Parsed p = Parse(text);
        ASSERT_TRUE(p.Ok) << p.Error;
        EXPECT_EQ(p.Grid.Width, 2) << text;
        EXPECT_EQ(p.Grid.Height, 2) << text;
        EXPECT_EQ(p.Grid.At(1, 1), 4);
    }
}

TEST(ParseMapText, OnlyTheFirstLineFixesTheWidth) {
    const struct {
        std::string Text;
        int Width, Height;
        std::vector<int32_t> Cells;
    } cases[] = {
        {"1 2 3 4\r\n1 2\r\n3 4 5 6 7 8\r\n", 4, 3, {1, 2, 3, 4, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"1 2\r\n3 4 5 6", 2, 3, {1, 2, 3, 4, 5, 6}},
        {"1 2 3\n4\n\n5\t\n 6 7 8\n9", 3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"\r\n7\r\n8 9\r\n", 1, 3, {7, 8, 9}},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.Text);
        ASSERT_TRUE(p.Ok) << p.Error;
        EXPECT_EQ(p.Grid.Width, c.Width) << c.Text;
        EXPECT_EQ(p.Grid.Height, c.Height) << c.Text;
        EXPECT_EQ(p.Grid.Cells, c.Cells) << c.Text;
    }
}

TEST(ParseMapText, CtrlZEndsTheFile) {
    const Parsed p = Parse(std::string("1 2\r\n3 4\x1a"
                                       "this is not a map"));
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Grid.Height, 2);
}

TEST(ParseMapText, FaultsNameTheFileAndLine) {
    const struct {
        std::string Text;
        std::string Says;
    } cases[] = {
        {"1 2 3\r\n4 5",
         "Arena.map, line 2: only 2 codes in the last row, but the first row has 3."},
        {"1 2\r\n3 4\r\n5 6 7", "Arena.map, line 3: only 1 code in the last row"},
        {"1 2 3 4\r\n1 2\r\n3 4 5\r\n\r\n", "Arena.map, line 3: only 1 code"},
        {"1 2\r\n3 4 5\x1a"
         "6",
         "Arena.map, line 2: only 1 code"},
        {"1 2\r\n3 x4", "Arena.map, line 2: \"x4\" is not a whole number"},
        {"1 2.5", "line 1: \"2.5\""},
        {"1 4294967296", "line 1: \"4294967296\""},
        {"1 --2", "line 1"},
        {RowOf(1001, "0"), "line 1: the map is wider than 1000 cells"},
        {JoinRows(FilledRows(1, 1001, 0)), "line 1001: the map has more than 1000 rows"},
        {"0\r\n" + RowOf(1000, "0"), "line 2: the map has more than 1000 rows"},
        {"", "Arena.map holds no map cells"},
        {" \r\n\t\r\n", "Arena.map holds no map cells"},
        {"\x1a"
         "1 2",
         "holds no map cells"},
    };
    for (const auto& c : cases) {
        const Parsed p = Parse(c.Text);
        EXPECT_FALSE(p.Ok) << c.Says;
        EXPECT_NE(p.Error.find(c.Says), std::string::npos) << p.Error;
    }
}

TEST(ParseMapText, TakesTheLargestMap) {
    std::string text = JoinRows(FilledRows(1000, 1000, -2147483647 - 1));
    const Parsed p = Parse(text);
    ASSERT_TRUE(p.Ok) << p.Error;
    EXPECT_EQ(p.Grid.Width, 1000);
    EXPECT_EQ(p.Grid.Height, 1000);
    EXPECT_EQ(p.Grid.At(999, 999), -2147483647 - 1);
}

TEST(MapChecksum, MatchesAHandWorkedSum) {
    WorldRig rig;
    Game& g = rig.g();
    // 4 + 1*1 + 2*2 + 3*3 + 4*4
    UseMap(g, {"1 2", "3 4"});
    EXPECT_EQ(MapChecksum(g), 34);
    // 1 + 70000 wraps past 65536.
    UseMap(g, {"70000"});
    EXPECT_EQ(MapChecksum(g), 4465);
    // 2 + 1*(-1) + 2*(-1) = -1: the low 16 bits of the 32-bit sum.
    UseMap(g, {"-1 -1"});
    EXPECT_EQ(MapChecksum(g), 0xFFFF);
}

TEST(CountBaseCodes, IgnoresLinesAndStopsAtTheLimit) {
    TTerrainTables t;
    UseKindPerTexture(t);
    EXPECT_EQ(CountBaseCodes("20 0\r\n0 21", t, 2), 2);
    EXPECT_EQ(CountBaseCodes("20 0\r\n0 0", t, 2), 1);
    EXPECT_EQ(CountBaseCodes("20 20 20 20", t, 2), 2);
    EXPECT_EQ(CountBaseCodes("20 oops 20", t, 2), 1);
    EXPECT_EQ(CountBaseCodes("20\x1a"
                             "20",
                             t, 2),
              1);
}

TEST(LoadMap, CollectsSpawnPointsAndBasesInReadingOrder) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"0 4 0 20", "5 8 22 0", "0 0 0 6"});
    ASSERT_EQ(g.SpawnCount, 3);
    EXPECT_EQ(g.SpawnPoints[0].X, 1);
    EXPECT_EQ(g.SpawnPoints[0].Y, 0);
    EXPECT_EQ(g.SpawnPoints[1].X, 0);
    EXPECT_EQ(g.SpawnPoints[1].Y, 1);
    EXPECT_EQ(g.SpawnPoints[2].X, 3);
    EXPECT_EQ(g.SpawnPoints[2].Y, 2);
    ASSERT_EQ(g.BaseCount, 2);
    EXPECT_EQ(g.Bases[1].X, 2);
    EXPECT_EQ(g.Bases[1].Y, 1);
    EXPECT_EQ(g.MapWidthPx, 256);
    EXPECT_EQ(g.MapHeightPx, 192);
    EXPECT_EQ(g.SolverWidth, 4);
    EXPECT_EQ(g.SolverHeight, 3);
    EXPECT_EQ(g.Blocked(1, 1), 1);
    EXPECT_EQ(g.Blocked(0, 1), 0);
}

TEST(LoadMap, SpawnsAndBasesBeyondTheTablesAreIgnored) {
    WorldRig rig;
    Game& g = rig.g();
    std::vector<std::string> rows = FilledRows(13, 10, SP); // 130 spawn cells
    rows.push_back(RowOf(12, std::to_string(BS)) + " 0");   // 12 base cells
    UseMap(g, rows);
    EXPECT_EQ(g.SpawnCount, 128);
    EXPECT_EQ(g.SpawnPoints[127].X, 127 % 13);
    EXPECT_EQ(g.SpawnPoints[127].Y, 127 / 13);
    EXPECT_EQ(g.BaseCount, 11);
    EXPECT_EQ(g.Bases[10].X, 10);
    int assigned = 0;
    for (int b = 0; b < g.BaseCount; ++b)
        assigned += g.BaseSpawnCount[b];
    EXPECT_EQ(assigned, 128);
}

TEST(LoadMap, AMapWithoutSpawnCellsGetsSixteenOnOpenGround) {
    WorldRig rig;
    Game& g = rig.g();
    std::vector<std::string> rows = FilledRows(30, 30, WL);
    rows[4] = RowOf(10, std::to_string(WL)) + " 0 12 " + RowOf(18, std::to_string(WL));
    UseMap(g, rows);
    ASSERT_EQ(g.SpawnCount, 16);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(g.SpawnPoints[i].Y, 4);
        EXPECT_TRUE(g.SpawnPoints[i].X == 10 || g.SpawnPoints[i].X == 11) << g.SpawnPoints[i].X;
    }
}

TEST(LoadMap, OneBaseLeavesBaseSpawnsEmpty) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"4 20 4"});
    EXPECT_EQ(g.BaseCount, 1);
    EXPECT_EQ(g.BaseSpawnCount[0], 0);
}

TEST(LoadMap, SpawnPointsGoToTheNearestBaseTheFirstOnATie) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"20 4 20 4 4", "4 0 0 0 0"});
    EXPECT_EQ(g.BaseSpawnCount[0], 2); // (1,0) is a tie; (0,1) is nearer base 0
    EXPECT_EQ(g.BaseSpawns[0][0], 0);
    EXPECT_EQ(g.BaseSpawns[0][1], 3);
    EXPECT_EQ(g.BaseSpawnCount[1], 2);
    EXPECT_EQ(g.BaseSpawns[1][0], 1);
    EXPECT_EQ(g.BaseSpawns[1][1], 2);
}

TEST(LoadMap, HalfSnowMakesASnowMap) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"16 16", "0 4"});
    EXPECT_TRUE(g.SnowMap);
    UseMap(g, {"16 4", "0 0"});
    EXPECT_FALSE(g.SnowMap);
}

TEST(LoadMap, ReadsTheFileAndSetsTheLevelFlags) {
    WorldRig rig;
    Game& g = rig.g();
    rig.Folder.Write("Arena.map", "0 4\r\n8 0");
    rig.Folder.Write("Credits.dat", "4 4 4");
    g.MapReceived = false;
    ASSERT_TRUE(LoadMap(g, "Credits..."));
    EXPECT_TRUE(g.CreditsLevel);
    EXPECT_EQ(g.MapWidth, 3);
    ASSERT_TRUE(LoadMap(g, "Arena"));
    EXPECT_FALSE(g.CreditsLevel);
    EXPECT_TRUE(g.MapReceived);
    EXPECT_EQ(g.CurrentMapName, "Arena");
    EXPECT_EQ(g.MapCells(0, 1), 8);
    EXPECT_TRUE(rig.TheUi.Boxes.empty());
}

TEST(LoadMap, AFaultyFileLeavesTheLoadedMapAlone) {
    WorldRig rig;
    Game& g = rig.g();
    rig.Folder.Write("Arena.map", "0 4\r\n8 0");
    rig.Folder.Write("Broken.map", "1 1 1\r\n1 1 1\r\n1 1");
    rig.Folder.Write("Walls.map", "8 8\r\n8 8");
    ASSERT_TRUE(LoadMap(g, "Arena"));
    g.CreditsLevel = false;
    for (const char* bad : {"Broken", "Walls", "Missing", "../Arena", ""}) {
        rig.TheUi.Boxes.clear();
        EXPECT_FALSE(LoadMap(g, bad));
        ASSERT_EQ(rig.TheUi.Boxes.size(), 1u) << bad;
        EXPECT_EQ(g.MapWidth, 2);
        EXPECT_EQ(g.MapHeight, 2);
        EXPECT_EQ(g.MapCells(0, 1), 8);
        EXPECT_EQ(g.SpawnCount, 1);
        EXPECT_EQ(g.CurrentMapName, "Arena");
    }
    LoadMap(g, "Broken");
    EXPECT_NE(rig.TheUi.Boxes.back().find("Broken.map, line 3: only 2 codes"), std::string::npos)
        << rig.TheUi.Boxes.back();
}

TEST(SaveMap, SavedMapsLoadBackByteForByte) {
    WorldRig rig;
    Game& g = rig.g();
    const std::string text = "0 4 -3 20\r\n8 12 16 2147483647\r\n21 0 0 0";
    rig.Folder.Write("Arena.map", text);
    ASSERT_TRUE(LoadMap(g, "Arena"));
    ASSERT_TRUE(SaveMap(g, "Copy"));
    EXPECT_EQ(rig.Folder.Read("Copy.map"), text);
    const std::vector<int32_t> before(g.MapCellStore);
    ASSERT_TRUE(LoadMap(g, "Copy"));
    EXPECT_EQ(g.MapCellStore, before);
    EXPECT_EQ(g.MapWidth, 4);
    EXPECT_EQ(g.MapHeight, 3);
}

TEST(SaveMap, RefusesNamesThatLeaveTheFolder) {
    WorldRig rig;
    Game& g = rig.g();
    UseMap(g, {"0 4"});
    for (const char* bad : {"../Escape", "sub/Map", "C:Map", "a\\b", "", ".."})
        EXPECT_FALSE(SaveMap(g, bad)) << bad;
    EXPECT_EQ(rig.TheUi.Boxes.size(), 6u);
    EXPECT_FALSE(std::filesystem::exists(rig.Folder.Path.parent_path() / "Escape.map"));
}

TEST(MapHasBases, NeedsTwoBaseCells) {
    WorldRig rig;
    rig.Folder.Write("One.map", "20 0\r\n0 0");
    rig.Folder.Write("Two.map", "20 0\r\n0 22");
    EXPECT_FALSE(MapHasBases(rig.g(), "One"));
    EXPECT_TRUE(MapHasBases(rig.g(), "Two"));
    EXPECT_FALSE(MapHasBases(rig.g(), "Nowhere"));
}
