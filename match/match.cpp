#include "match/match.h"

#include "core/asset_names.h"
#include "match/level.h"
#include "match/setup.h"
#include "sim/sounds.h"
#include "world/level_list.h"
#include "world/maps.h"
#include "world/text_file.h"

bool PrepareMatch(Game& g, IMatchPictures& pictures) {
    LoadCreditsText(g);
    g.MineHalfWidth = SpriteList[spMine].Width / 2;
    const std::string problem =
        pictures.LoadExplosions(FolderFile(g.ProgramFolder, "explosion.bmp"));
    if (!problem.empty()) g.TheUi.MessageBox(problem);
    const bool textures = LoadTextures(g, pictures);
    TuneSounds(g);
    return textures;
}

std::string StartNewMatch(Game& g, int32_t nowMs) {
    TStartChoices& st = g.Start;
    if (st.LevelList.empty()) {
        TLevelLists lists;
        BuildLevelList(g, lists);
        lists.BaseLevelMode = st.CaptureTheCowBox || (st.TeamWarBox && st.UseBasesBox);
        st.LevelList = lists.Shown();
    }
    if (st.SelectedLevel.empty() && !st.LevelList.empty()) st.SelectedLevel = st.LevelList.front();
    if (st.SelectedLevel.empty())
        return "There is no level to play: no .map file beside the program.";
    g.CreditsLevel = st.SelectedLevel == CreditsLevelName;
    st.NewGameRequested = false;
    SetupStep(g, nowMs);
    std::string error;
    if (!StartLevel(g, nowMs, error)) return error;
    return {};
}

std::string LevelSummary(const Game& g) {
    return "Level \"" + g.CurrentMapName + "\": " + std::to_string(g.MapWidth) + " x " +
           std::to_string(g.MapHeight) + " cells, " + std::to_string(g.SpawnCount) +
           " spawn points, " + std::to_string(g.BaseCount) + " bases";
}
