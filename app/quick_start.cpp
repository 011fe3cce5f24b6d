#include <filesystem>

#include "app/run.h"
#include "core/level.h"
#include "world/level_list.h"
#include "world/maps.h"

void ApplyQuickStart(Game& g, const TOptions& o) {
    TStartChoices& s = g.Start;
    if (o.Map) {
        s.SelectedLevel = *o.Map;
        g.CreditsLevel = *o.Map == "Credits...";
    }
    if (o.Bots) s.BotCount = *o.Bots;
    if (o.Style) {
        s.TeamWarBox = *o.Style == "tw";
        s.CaptureTheCowBox = *o.Style == "ctc";
    }
    if (o.FragLimit) s.FragLimitSpin = *o.FragLimit;
    g.TwoPlayers = o.TwoPlayers;
    g.ScreenSaverMode = o.ScreenSaver;
    s.NewGameRequested = true;
}

void InstallLevelStart(Game& g, const std::string& programFolder) {
    g.ProgramFolder = programFolder;
    // Without a choice, the first level of the list (maps with bases come
    // last when the style needs no bases).
    if (g.Start.SelectedLevel.empty()) {
        TLevelLists lists;
        BuildLevelList(g, lists);
        lists.BaseLevelMode = g.Start.CaptureTheCowBox;
        if (!lists.Shown().empty()) g.Start.SelectedLevel = lists.Shown().front();
        g.CreditsLevel = g.Start.SelectedLevel == "Credits...";
    }
    // A level that cannot be loaded keeps the map that was there before.
    auto start = [&g] {
        if (!g.Start.SelectedLevel.empty()) LoadMap(g, g.Start.SelectedLevel);
        StartLevel(g);
    };
    g.Hooks.StartLevel = start;
    g.Hooks.StartNextLevel = start;
}

std::string CheckOptionsAgainstFolder(const TOptions& o, const std::string& programFolder) {
    if (o.Map && *o.Map != "Credits...") {
        const std::filesystem::path file = std::filesystem::path(programFolder) / (*o.Map + ".map");
        if (!std::filesystem::is_regular_file(file))
            return "no level \"" + *o.Map + "\": " + file.string() + " not found";
    }
    return {};
}
