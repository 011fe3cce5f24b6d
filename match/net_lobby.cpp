// The lobby's hand-shake: a joining machine's vehicle list on the host;
// the set-up, map and vehicle list on a client.
#include <algorithm>
#include <cctype>

#include "core/colours.h"
#include "match/client_sync.h"
#include "match/level.h"
#include "match/net_receive.h"
#include "match/net_receive_parts.h"
#include "match/rejoin.h"
#include "sim/cows.h"
#include "sim/damage.h"
#include "sim/messages.h"
#include "sim/respawn.h"
#include "sim/sounds.h"
#include "sim/teams.h"
#include "sim/vehicles.h"
#include "world/level_list.h"
#include "world/maps.h"

namespace NetReceive {

namespace {

// A client brings itself and at most a second local player.
constexpr size_t MaxOwnEntries = 2;
// More copies of one map than this are not kept: the host would be filling
// the maps folder.
constexpr int MaxReplacementCopies = 20;

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void RebuildLevelList(Game& g) {
    TLevelLists lists;
    BuildLevelList(g, lists);
    lists.BaseLevelMode = g.CaptureTheCow || (g.TeamGame && g.UseBases);
    g.Start.LevelList = lists.Shown();
}

// The level list's entry of name, without regard to case; empty when none.
std::string FindLevel(const Game& g, const std::string& name) {
    for (const std::string& level : g.Start.LevelList)
        if (Lower(level) == Lower(name)) return level;
    return {};
}

int SortOf(uint8_t sort) {
    return sort == sortHovercraft || sort == sortHummer ? static_cast<int>(sort)
                                                        : static_cast<int>(sortTank);
}

// Adds a vehicle from a list entry; -1 when 64 exist.
int AddFromEntry(Game& g, const TTankEntry& e) {
    const int k = AddTank(g, SortOf(e.Sort));
    if (k < 0) return -1;
    TTank& t = g.Tanks[k];
    t.Name = Printable(e.Name);
    std::replace(t.Name.begin(), t.Name.end(), ' ', '_');
    ConsoleLine(g, t.Name + " joined the game");
    t.Weapon =
        e.Weapon <= wpBfg ? static_cast<int32_t>(e.Weapon) : static_cast<int32_t>(wpMachineGun);
    t.BodyColour = e.Body;
    t.SecondColour = e.Second;
    t.PaintJob = e.PaintJob <= 6 ? e.PaintJob : -1;
    if (g.TeamGame) ChangeColour(g, k, NamedColour(t.BodyColour));
    MarkAppearanceChanged(g, k);
    return k;
}

void StartLevelIfShown(Game& g) {
    if (g.GameWindowShown && g.HaveMap) {
        StartNextLevel(g, g.TickNow);
        g.MapReceived = true;
    }
}

void KeepReplacedMap(Game& g, const std::string& name) {
    ConsoleLine(g, "Map differs from server, downloading...");
    const std::string copy = ReplacementMapName(g.Start.LevelList, name);
    bool tooMany = true;
    for (int n = 1; n <= MaxReplacementCopies && tooMany; ++n)
        tooMany = copy != name + (n == 1 ? "(replaced by server map)"
                                         : "(replaced by server map " + std::to_string(n) + ")");
    if (tooMany || !IsPlainLevelName(copy)) {
        ConsoleLine(g, "Too many old copies of \"" + name + "\": this one is not kept");
        return;
    }
    ConsoleLine(g, "Old map saved as \"" + copy + "\"");
    SaveMap(g, copy);
    RebuildLevelList(g);
}

void AddFromServerList(Game& g, const TTankEntry& e) {
    const int k = AddFromEntry(g, e);
    if (k < 0) return;
    TTank& t = g.Tanks[k];
    t.PlayerId = static_cast<int32_t>(e.PlayerId);
    t.IsBot = e.IsBot != 0;
    const TTank* before = k > 0 ? &g.Tanks[k - 1] : nullptr;
    t.Seat = before && !t.IsBot && !before->IsBot && before->PlayerId == t.PlayerId ? 1 : 0;
}

} // namespace

void AssignViewports(Game& g) {
    const int p1 = FindTank(g, g.LocalPlayerId, 0);
    const int p2 = FindTank(g, g.LocalPlayerId, 1);
    if (p1 >= 0) g.Player1 = p1;
    if (p2 >= 0) g.Player2 = p2;
    const bool swap = g.TwoPlayers && g.Start.Player2LeftSide;
    g.LeftViewPlayer = swap ? g.Player2 : g.Player1;
    g.RightViewPlayer = swap ? g.Player1 : g.Player2;
}

void ApplyBaseList(Game& g) {
    std::vector<TBaseListEntry> list;
    for (size_t i = 0; i + 1 < g.ReceivedBaseList.size(); i += 2)
        list.push_back({g.ReceivedBaseList[i], g.ReceivedBaseList[i + 1]});
    ApplyReceivedBaseList(g, list);
}

void HostTanklist(Game& g, SessionNetOut& net, uint32_t from, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-S_MsgTanklist");
    std::vector<TTankEntry> entries;
    size_t expected = 0;
    if (!DecodeTanklist(d, n, entries, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(S_tl): ", n, expected));
        return;
    }
    // One list per join, of the machine's own players only.
    if (std::find(g.ListsReceived.begin(), g.ListsReceived.end(), from) != g.ListsReceived.end())
        return;
    if (entries.empty() || entries.size() > MaxOwnEntries) return;
    g.ListsReceived.push_back(from);
    const int teamsBefore = g.TeamCount;
    for (size_t i = 0; i < entries.size(); ++i) {
        const int k = AddFromEntry(g, entries[i]);
        if (k < 0) continue;
        TTank& t = g.Tanks[k];
        t.PlayerId = static_cast<int32_t>(from);
        t.Seat = i == 1 ? 1 : 0;
        t.IsBot = false;
        RespawnTank(g, k);
    }
    // Back at its seat (the session gave it its old id): what it had.
    GiveBackVehicles(g, from);
    RebuildMateLists(g);
    net.SendPingTo(from);
    net.SendTankListTo(SessionNetOut::AllPlayers);
    UpdateRanking(g);
    net.SendScoreTo(SessionNetOut::AllPlayers);
    net.SendMineList();
    RecordPlayerLimit(g, net);
    if (g.TeamGame && g.TeamCount <= g.BaseCount)
        net.SendBaseListTo(g.TeamCount > teamsBefore ? SessionNetOut::AllPlayers : from);
    g.TheUi.DebugLine("S_MsgTanklist");
}

void ClientSetup(Game& g, SessionNetOut& net, uint32_t from, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-MsgSetup");
    TSetupMsg m;
    size_t expected = 0;
    if (!DecodeSetup(d, n, m, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_setup): ", n, expected));
        return;
    }
    const std::string name = Printable(m.MapName);
    if (!IsPlainLevelName(name) || name == CreditsLevelName) {
        ConsoleLine(g, "The server's map name \"" + name + "\" is no file name: refused");
        return;
    }
    g.FragLimit = std::max<int32_t>(1, m.FragLimit);
    g.CaptureTheCow = m.Style == 2;
    g.TeamGame = m.Style == 1 || m.Style == 2;
    g.UseBases = m.UseBases != 0;
    g.ArmourLight = m.ArmourLight;
    g.ArmourTank = RoundEven(1.6 * m.ArmourLight);
    g.TankIndicators = m.TankIndicators != 0;
    g.ServerPlayerId = from;
    g.ServerMapName = name;
    // A recording carries its own map: nothing on this disk is looked at.
    const std::string found = g.Replaying ? std::string() : FindLevel(g, name);
    if (!g.HaveSetup) {
        net.SendOwnTankList(OwnTankList(g));
        if (g.TwoPlayers) PreparePlayer2Engine(g);
        for (int i = g.TankCount - 1; i >= 0; --i)
            RemoveTank(g, i);
        g.TankCount = 0;
        StartJoinPing(g);
    }
    g.HaveSetup = true;
    g.MapReceived = false;
    g.StatusReceived = false;
    g.HaveMap = !found.empty();
    if (!found.empty()) {
        g.TheUi.DebugLine("map found");
        g.Start.SelectedLevel = found;
        std::string error;
        const bool loaded = LoadMap(g, found, error);
        if (!loaded || MapChecksum(g) != m.MapChecksum) {
            g.TheUi.DebugLine("different map, downloading server map");
            if (loaded) KeepReplacedMap(g, found);
            g.TheUi.DebugLine("map req: " + name);
            net.SendMapRequest();
            g.HaveMap = false;
        }
    } else {
        g.TheUi.DebugLine("map req: " + name);
        net.SendMapRequest();
    }
    StartLevelIfShown(g);
    SetClockFromHost(g, m.ServerTime);
    g.TheUi.DebugLine("MsgSetup");
}

void ClientMap(Game& g, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-MsgMap");
    TMapMsg m;
    size_t expected = 0;
    if (!DecodeMap(d, n, m, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_sl): ", n, expected));
        return;
    }
    const std::string name = g.ServerMapName;
    if (!g.HaveSetup || !IsPlainLevelName(name)) return;
    TMapGrid grid;
    grid.Width = m.Width;
    grid.Height = m.Height;
    grid.Cells.assign(m.Cells.begin(), m.Cells.end());
    std::string error;
    // The loader's own checks: a grid nothing can start on is refused.
    if (!CommitMapGrid(g, g, g.Rng, grid, name, error)) {
        ConsoleLine(g, "The server's map \"" + name + "\" was refused: " + error);
        return;
    }
    g.MapReceived = true;
    if (!g.Replaying) {
        SaveMap(g, name);
        RebuildLevelList(g);
    }
    const std::string listed = FindLevel(g, name);
    g.Start.SelectedLevel = listed.empty() ? name : listed;
    ConsoleLine(g, "Downloaded map \"" + name + "\"");
    g.HaveMap = true;
    StartLevelIfShown(g);
    g.TheUi.DebugLine("MsgMap");
}

void ClientTanklist(Game& g, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-MsgTanklist");
    std::vector<TTankEntry> entries;
    size_t expected = 0;
    if (!DecodeTanklist(d, n, entries, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_tl): ", n, expected));
        return;
    }
    const int count = static_cast<int>(std::min<size_t>(entries.size(), MaxTanks));
    g.TheUi.DebugLine("tc: " + std::to_string(entries.size()));
    while (g.TankCount < count) {
        const int before = g.TankCount;
        AddFromServerList(g, entries[g.TankCount]);
        if (g.TankCount == before) break;
    }
    bool matches = static_cast<int>(entries.size()) >= g.TankCount;
    for (int i = 0; matches && i < g.TankCount; ++i)
        matches = entries[i].PlayerId == static_cast<uint32_t>(g.Tanks[i].PlayerId) &&
                  entries[i].Body == g.Tanks[i].BodyColour;
    if (!matches) {
        g.TheUi.DebugLine("ResetList");
        g.TeamCount = 0;
        for (int i = g.TankCount - 1; i >= 0; --i)
            RemoveTank(g, i);
        for (int i = 0; i < count; ++i)
            AddFromServerList(g, entries[i]);
    }
    AssignViewports(g);
    if (g.TeamGame) ApplyBaseList(g);
    if (g.CaptureTheCow) RebuildMateLists(g);
    g.HaveTanklist = true;
    g.TheUi.DebugLine("MsgTanklist");
}

} // namespace NetReceive

using namespace NetReceive;

void ClearReadiness(Game& g) {
    g.HaveMap = g.HaveSetup = g.HaveTanklist = g.HaveScores = false;
    g.ServerPlayerId = 0;
    g.ServerMapName.clear();
    g.ReceivedBaseList.clear();
    g.ListsReceived.clear();
}

int PlayerLimit(const Game& g) {
    return (MaxTanks - g.TankCount) / 2;
}

std::vector<TTankEntry> OwnTankList(const Game& g) {
    std::vector<TTankEntry> list;
    for (int s = 0; s < (g.TwoPlayers ? 2 : 1); ++s) {
        const TTankSetup& setup = g.Start.TankSetups[s];
        TTankEntry e;
        e.Name = setup.Name.empty() ? "Player" : setup.Name;
        std::replace(e.Name.begin(), e.Name.end(), ' ', '_');
        e.PlayerId = static_cast<uint32_t>(g.LocalPlayerId);
        e.Body = HsbToRgb(setup.Colour1);
        e.Second = HsbToRgb(setup.Colour2);
        e.PaintJob =
            setup.Pattern >= 0 && setup.Pattern <= 6 ? static_cast<uint8_t>(setup.Pattern) : 255;
        e.Weapon =
            setup.Weapon >= 0 && setup.Weapon <= wpBfg ? static_cast<uint8_t>(setup.Weapon) : 0;
        e.Sort = static_cast<uint8_t>(SortOf(static_cast<uint8_t>(setup.Sort)));
        e.IsBot = 0;
        list.push_back(e);
    }
    return list;
}

bool ClientReady(const Game& g) {
    return g.ClientMode && g.HaveMap && g.HaveSetup && g.HaveTanklist && g.HaveScores &&
           g.Start.NewGameRequested && !g.GameWindowShown;
}
