#include "match/net_receive.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/asset_names.h"
#include "core/colours.h"
#include "core/terrain.h"
#include "match/level.h"
#include "net/status.h"
#include "sim/controls.h"
#include "sim/cows.h"
#include "sim/damage.h"
#include "sim/explosions.h"
#include "sim/messages.h"
#include "sim/projectiles.h"
#include "sim/respawn.h"
#include "sim/sounds.h"
#include "sim/teams.h"
#include "sim/vehicles.h"
#include "sim/weapons.h"
#include "world/level_list.h"
#include "world/maps.h"

using namespace Vectors2D;

namespace {

constexpr int SizeBoxGapMs = 1000;
// A client brings itself and at most a second local player.
constexpr size_t MaxOwnEntries = 2;
// More copies of one map than this are not kept: the host would be filling
// the maps folder.
constexpr int MaxReplacementCopies = 20;
constexpr int SoundCount = 18;

// --- Small checks ------------------------------------------------------------------

// A size error: the box, at most once a second, never more.
void SizeError(Game& g, const std::string& text) {
    if (g.SizeErrorShown && g.TickNow - g.LastSizeErrorBox < SizeBoxGapMs) return;
    g.SizeErrorShown = true;
    g.LastSizeErrorBox = g.TickNow;
    g.TheUi.MessageBox(text);
}

// Names and texts from the network: control bytes become "_" so that no
// peer can break a console line or a file name.
std::string Printable(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '_';
    return s;
}

bool Finite(const std::vector<float>& v, size_t from, size_t count) {
    for (size_t i = from; i < from + count; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

// An index or count carried in a float: rounded; -1 when it is not finite
// or outside 0 .. limit-1.
int Index(float f, int limit) {
    if (!std::isfinite(f)) return -1;
    const double r = std::nearbyint(static_cast<double>(f));
    return r >= 0 && r < limit ? static_cast<int>(r) : -1;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Vehicle v is a person of the machine `player`.
bool BelongsTo(const Game& g, int v, uint32_t player) {
    return IsTankIndex(g, v) && !g.Tanks[v].IsBot &&
           static_cast<uint32_t>(g.Tanks[v].PlayerId) == player;
}

bool IsServer(const Game& g, SessionNetOut& net, uint32_t from) {
    return from != 0 && (from == net.session().HostPlayerId() || from == g.ServerPlayerId);
}

void RecordPlayerLimit(Game& g, SessionNetOut& net) {
    if (net.Open()) net.session().SetPlayerLimit(PlayerLimit(g));
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

void AssignViewports(Game& g) {
    const int p1 = FindTank(g, g.LocalPlayerId, 0);
    const int p2 = FindTank(g, g.LocalPlayerId, 1);
    if (p1 >= 0) g.Player1 = p1;
    if (p2 >= 0) g.Player2 = p2;
    const bool swap = g.TwoPlayers && g.Start.Player2LeftSide;
    g.LeftViewPlayer = swap ? g.Player2 : g.Player1;
    g.RightViewPlayer = swap ? g.Player1 : g.Player2;
}

// --- Vehicles from a list --------------------------------------------------------------

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

void ApplyBaseList(Game& g) {
    std::vector<TBaseListEntry> list;
    for (size_t i = 0; i + 1 < g.ReceivedBaseList.size(); i += 2)
        list.push_back({g.ReceivedBaseList[i], g.ReceivedBaseList[i + 1]});
    ApplyReceivedBaseList(g, list);
}

// --- Every machine ---------------------------------------------------------------------

void ReceiveKill(Game& g) {
    ConsoleLine(g, "Bye bye...");
    // Only a machine started for development lets another end it.
    if (g.StartedAsDeveloper) g.ShutdownTime = g.TickNow + 1000;
}

// May a text of this kind come from `from`? The host says anything; a
// client speaks only through its own vehicles and never as the game itself.
bool TextAllowed(const Game& g, bool fromServer, uint32_t from, int kind) {
    if (fromServer) return true;
    if (kind >= TextChat && kind < TextPersonal) return BelongsTo(g, kind - TextChat, from);
    if (kind >= TextPersonal && kind < TextNoOwner) return BelongsTo(g, kind - TextPersonal, from);
    return false;
}

void ApplyText(Game& g, const TTextMsg& m) {
    const std::string text = Printable(m.Text);
    const int kind = m.Kind;
    if (kind == TextNoOwner || kind < TextChat)
        ConsoleLine(g, text, IsTankIndex(g, kind) ? kind : -1);
    else if (kind < TextPersonal)
        ChatLine(g, text, kind - TextChat);
    else
        PersonalMessage(g, text, kind - TextPersonal);
}

bool ControlAllowed(const Game& g, uint32_t from, const TControlMsg& m) {
    return m.Action < ControlActionCount && FindTank(g, static_cast<int32_t>(from), m.Seat) >= 0;
}

void ApplyControlMsg(Game& g, uint32_t from, const TControlMsg& m) {
    const int v = FindTank(g, static_cast<int32_t>(from), m.Seat);
    if (v < 0 || m.Action >= ControlActionCount) return;
    ApplyControl(g, v, m.Action, !m.Released);
    if (!g.ClientMode && !m.Released && m.Action == caFire && g.LevelRunning && g.Tanks[v].Alive)
        FireStep(g, v);
}

bool OrderAllowed(const Game& g, uint32_t from, const TOrderMsg& m) {
    return IsTankIndex(g, m.Mate) && m.Order <= msFreelance && BelongsTo(g, m.From, from);
}

// --- Appearance ------------------------------------------------------------------------

void ApplyAppearance(Game& g, SessionNetOut& net, const TAppearanceMsg& m) {
    const int i = m.Tank;
    if (!IsTankIndex(g, i)) return;
    TTank& t = g.Tanks[i];
    t.BodyColour = m.Body;
    t.SecondColour = m.Second;
    t.PaintJob = m.PaintJob <= 6 ? m.PaintJob : -1;
    MarkAppearanceChanged(g, i);
    if (g.TeamGame) {
        const int teamsBefore = g.TeamCount;
        const TTeam* before = TeamOf(g, i);
        const int oldColour = before ? before->Colour : -1;
        ChangeColour(g, i, NamedColour(t.BodyColour));
        const TTeam* after = TeamOf(g, i);
        if ((after ? after->Colour : -1) != oldColour) {
            if (!g.ClientMode) Die(g, i);
            t.Frags = 0;
            t.SavedMission = t.Mission = msFreelance;
            t.TargetTeam = -1;
            if (g.CaptureTheCow) RebuildMateLists(g);
            if (!g.ClientMode && (g.TeamCount != teamsBefore || g.TeamCount < g.BaseCount))
                net.SendBaseListTo(SessionNetOut::AllPlayers);
            UpdateRanking(g);
        }
    }
    if (!g.ClientMode) net.SendAppearanceOf(i, SessionNetOut::AllPlayers);
}

// --- Host ------------------------------------------------------------------------------

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

// --- Client ----------------------------------------------------------------------------

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
    const std::string found = FindLevel(g, name);
    if (!g.HaveSetup) {
        net.SendOwnTankList(OwnTankList(g));
        if (g.TwoPlayers) PreparePlayer2Engine(g);
        for (int i = g.TankCount - 1; i >= 0; --i)
            RemoveTank(g, i);
        g.TankCount = 0;
        net.SendPing();
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
    g.GameTime = m.ServerTime;
    g.ClockOffset = g.TickNow - m.ServerTime;
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
    SaveMap(g, name);
    RebuildLevelList(g);
    const std::string listed = FindLevel(g, name);
    g.Start.SelectedLevel = listed.empty() ? name : listed;
    ConsoleLine(g, "Downloaded map \"" + name + "\"");
    g.HaveMap = true;
    StartLevelIfShown(g);
    g.TheUi.DebugLine("MsgMap");
}

void ClientStatus(Game& g, const uint8_t* d, size_t n) {
    if (!(g.HaveMap && g.HaveSetup && g.HaveTanklist)) return;
    TStatusMsg m;
    size_t expected = 0;
    if (!DecodeStatus(d, n, m, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_stat): ", n, expected));
        return;
    }
    if (g.StatusReceived && m.Stamp <= g.LastServerUpdate) return;
    ApplyStatus(g, m);
}

void ClientScore(Game& g, const uint8_t* d, size_t n) {
    TScoreMsg m;
    size_t expected = 0;
    if (!DecodeScore(d, n, g.CaptureTheCow, m, expected)) {
        SizeError(g, SizeErrorText("Msgsize error(C_sl): ", n, expected, true));
        return;
    }
    for (size_t i = 0; i < m.Tanks.size() && static_cast<int>(i) < g.TankCount; ++i) {
        g.Tanks[i].Frags = m.Tanks[i].Frags;
        g.Tanks[i].Deaths = std::max<int32_t>(0, m.Tanks[i].Deaths); // nobody died less than never
    }
    for (const TTeamScoreMsg& s : m.Teams) {
        const int t = FindTeamByColour(g, s.Colour);
        if (t < 0 || t >= g.TeamCount) {
            SizeError(g, "ERROR, team with specified style not found in msgscore");
            return;
        }
        TTeam& team = g.Teams[t];
        if (g.CaptureTheCow) team.Cows = s.Cows;
        team.TeamFrags = s.Frags;
        team.TeamDeaths = s.Deaths;
    }
    UpdateRanking(g);
    g.HaveScores = true;
}

// Bomblets of one cluster shot: m, then six values each.
void EventBomblets(Game& g, const std::vector<float>& v) {
    if (v.empty()) return;
    const int m = Index(v[0], static_cast<int>((v.size() - 1) / 6) + 1);
    for (int j = 0; j < m && !g.Bomblets.Full(); ++j) {
        const size_t at = 1 + 6 * static_cast<size_t>(j);
        if (!Finite(v, at, 6)) continue;
        TBomblet b;
        b.Origin = b.Position = {v[at], v[at + 1]};
        b.Velocity = {v[at + 2], v[at + 3]};
        b.LaunchTime = RoundEven(std::clamp<double>(v[at + 4], INT32_MIN / 2, INT32_MAX / 2));
        b.FuseTime = RoundEven(std::clamp<double>(v[at + 5], INT32_MIN / 2, INT32_MAX / 2));
        g.Bomblets.Add(b);
    }
}

bool PathFrom(const std::vector<float>& v, size_t at, TTrajectory& p) {
    if (v.size() < at + 8 || !Finite(v, at, 8)) return false;
    p.C = {v[at], v[at + 1]};
    p.StartTime = RoundEven(std::clamp<double>(v[at + 2], INT32_MIN / 2, INT32_MAX / 2));
    p.A = {v[at + 3], v[at + 4]};
    p.F = {v[at + 5], v[at + 6]};
    p.K = v[at + 7];
    // A drag that is not negative would fly to infinity.
    return p.K < -1e-6;
}

int RocketWithId(const Game& g, int32_t id) {
    for (int k = 0; k < g.Rockets.Count; ++k)
        if (g.Rockets[k].Kind == 0 && g.Rockets[k].Id == id) return k;
    return -1;
}

int32_t IdOf(float f) {
    return std::isfinite(f) && std::fabs(f) < 1e9f ? RoundEven(f) : -1;
}

void AddMine(Game& g, int32_t id, TVector at) {
    TMine mine;
    mine.Id = id;
    mine.Position = at;
    const TCell c = CellAt(g, at);
    mine.InWater = KindAt(g, c.X, c.Y) == tkWater;
    g.Mines.Add(mine);
}

void ClientEvent(Game& g, const uint8_t* d, size_t n) {
    TEventMsg m;
    if (!DecodeEvent(d, n, m)) return;
    const std::vector<float>& v = m.Values;
    const auto has = [&](size_t k) { return v.size() >= k && Finite(v, 0, k); };
    switch (m.Code) {
    case evRail: {
        if (!has(5)) return;
        const TVector from{v[0], v[1]};
        TVector to{v[2], v[3]};
        // No rail is longer than the map's diagonal.
        const double diagonal = std::hypot(g.MapWidthPx, g.MapHeightPx);
        const double length = Distance(from, to);
        if (length > diagonal) to = Add(from, Scale(Sub(to, from), diagonal / length));
        StrewRailParticles(g, from, to);
        PlaySoundAt(g, sndRailgun, from);
        return;
    }
    case evBomblets:
        EventBomblets(g, v);
        return;
    case evExplosion: {
        if (!has(3)) return;
        const int kind = RoundEven(std::clamp(v[0], -2.0f, 100.0f));
        if (kind != 1 && kind != 2 && kind != 14 && kind != -1) return;
        SpawnExplosion(g, {v[1], v[2]}, kind, kind > 0);
        return;
    }
    case evSound: {
        if (!has(3)) return;
        const int sound = Index(v[0], SoundCount);
        if (sound >= 0) PlaySoundAt(g, sound, {v[1], v[2]});
        return;
    }
    case evMultiKill:
        if (has(2) && Index(v[0], g.TankCount) >= 0)
            MultiKillAnnouncement(g, Index(v[0], g.TankCount), Index(v[1], 6));
        return;
    case evBfgBall: {
        TBfgBall b;
        if (!has(2) || !PathFrom(v, 2, b.Path) || g.BfgBalls.Full()) return;
        b.Id = IdOf(v[0]);
        b.Owner = Index(v[1], g.TankCount);
        b.ZapLast = -1;
        b.Position = b.PrevPosition = TrajectoryAt(b.Path, b.Path.StartTime);
        g.BfgBalls.Add(b);
        return;
    }
    case evBfgBurst:
        if (!has(1)) return;
        for (int k = 0; k < g.BfgBalls.Count; ++k)
            if (g.BfgBalls[k].Id == IdOf(v[0])) {
                SpawnExplosion(g, g.BfgBalls[k].Position, sndBlowBfg, true);
                g.BfgBalls.Remove(k);
                return;
            }
        return;
    case evMineLaid:
        if (has(3)) AddMine(g, IdOf(v[0]), {v[1], v[2]});
        return;
    case evMineGone:
        if (!has(1)) return;
        for (int k = 0; k < g.Mines.Count; ++k)
            if (g.Mines[k].Id == IdOf(v[0])) {
                const TMine mine = g.Mines[k];
                if (IsTankIndex(g, mine.Owner)) g.Tanks[mine.Owner].MinesLeft += 1;
                SpawnExplosion(g, mine.Position, sndSmallExplosion, true);
                g.Mines.Remove(k);
                return;
            }
        return;
    case evRocket: {
        TRocket r;
        if (!has(1) || !PathFrom(v, 1, r.Path) || g.Rockets.Full()) return;
        r.Id = IdOf(v[0]);
        r.Kind = 0;
        r.Angle = std::atan2(r.Path.F.y, r.Path.F.x);
        r.TargetRate = r.Rate = 0;
        r.Position = r.PrevPosition = r.PrevPrevPosition = TrajectoryAt(r.Path, r.Path.StartTime);
        g.Rockets.Add(r);
        return;
    }
    case evRocketGone: {
        if (!has(1)) return;
        const int k = RocketWithId(g, IdOf(v[0]));
        if (k < 0) return;
        SpawnExplosion(g, g.Rockets[k].Position, sndSmallExplosion, true);
        RemoveRocket(g, k);
        return;
    }
    case evGunSound:
        if (has(2) && Index(v[0], g.TankCount) >= 0)
            g.Tanks[Index(v[0], g.TankCount)].GunSounding = v[1] > 0;
        return;
    case evBaseList: {
        g.TheUi.DebugLine("-MsgBaselist");
        if (v.empty()) return;
        const int t =
            Index(v[0], std::min<int>(MaxTeams, static_cast<int>((v.size() - 1) / 2)) + 1);
        if (t < 0) return;
        g.ReceivedBaseList.clear();
        for (int j = 0; j < t; ++j) {
            const int colour = Index(v[1 + 2 * j], 256);
            const int base = Index(v[2 + 2 * j], MaxBases);
            if (colour < 0) continue;
            g.ReceivedBaseList.push_back(colour);
            g.ReceivedBaseList.push_back(base);
        }
        ApplyBaseList(g);
        return;
    }
    case evKill:
        if (has(2)) KillAnnouncement(g, Index(v[0], g.TankCount), Index(v[1], g.TankCount));
        return;
    case evMineList: {
        if (v.empty()) return;
        const int count = Index(v[0], static_cast<int>((v.size() - 1) / 3) + 1);
        if (count < 0) return;
        g.Mines.Clear();
        for (int j = 0; j < count; ++j)
            if (Finite(v, 1 + 3 * static_cast<size_t>(j), 3))
                AddMine(g, IdOf(v[1 + 3 * j]), {v[2 + 3 * j], v[3 + 3 * j]});
        return;
    }
    default:
        return;
    }
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

void ClientPing(Game& g, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-Ping");
    int32_t serverTime = 0;
    if (!DecodePing(d, n, serverTime)) return;
    const int32_t roundTrip = g.TickNow - g.PingSentTick;
    ConsoleLine(g, "Ping = " + std::to_string(roundTrip));
    g.ClockOffset = g.TickNow - serverTime - roundTrip / 2;
    g.TheUi.DebugLine("GST = " + std::to_string(g.ClockOffset));
}

// --- The star: what the host passes on --------------------------------------------------

// A client's message of type 3, 11 or 13 that names only what belongs to
// it: passed on to whom it was meant for; true when this machine applies it.
bool Forward(SessionNetOut& net, uint32_t from, uint32_t to, const uint8_t* d, size_t n) {
    const uint32_t self = net.session().LocalPlayerId();
    if (to != 0 && to != self) {
        net.session().Relay(from, to, d, n);
        return false;
    }
    if (to == 0) net.session().Relay(from, 0, d, n);
    return true;
}

} // namespace

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

void ReceiveMessage(Game& g, SessionNetOut& net, uint32_t from, uint32_t to, const uint8_t* d,
                    size_t n) {
    uint32_t type = 0;
    if (!BlockType(d, n, type)) return;
    const bool host = net.session().IsHost() && !g.ClientMode;
    const uint32_t self = net.session().LocalPlayerId();
    if (from == self) return; // nothing of ours comes back
    const bool fromServer = !host && IsServer(g, net, from);
    if (host) {
        switch (type) {
        case MsgControl:
        case MsgMapReq:
        case MsgTanklist:
        case MsgPing:
        case MsgKill:
        case MsgText:
        case MsgOrder:
        case MsgAppearance:
            break;
        default:
            return; // not a client's to send
        }
    } else if (!fromServer && type != MsgControl && type != MsgText && type != MsgOrder) {
        return; // another client's words come through the host, and only these
    }

    // Every machine, in this order: kill, text, control, order.
    switch (type) {
    case MsgKill:
        if (n >= 8 && (host || fromServer)) ReceiveKill(g);
        return;
    case MsgText: {
        TTextMsg m;
        if (!DecodeText(d, n, m) || !TextAllowed(g, fromServer, from, m.Kind)) return;
        if (host && !Forward(net, from, to, d, n)) return;
        ApplyText(g, m);
        return;
    }
    case MsgControl: {
        TControlMsg m;
        if (!DecodeControl(d, n, m) || !ControlAllowed(g, from, m)) return;
        if (host && !Forward(net, from, to, d, n)) return;
        ApplyControlMsg(g, from, m);
        return;
    }
    case MsgOrder: {
        TOrderMsg m;
        if (!DecodeOrder(d, n, m) || !OrderAllowed(g, from, m)) return;
        if (host && !Forward(net, from, to, d, n)) return;
        ApplyOrder(g, m.Mate, m.Order, m.From);
        return;
    }
    default:
        break;
    }

    if (host) {
        switch (type) {
        case MsgMapReq:
            g.TheUi.DebugLine("S_MapReq");
            net.SendMapTo(from);
            return;
        case MsgTanklist:
            HostTanklist(g, net, from, d, n);
            return;
        case MsgPing:
            g.TheUi.DebugLine("S_Ping");
            net.SendPingTo(from);
            return;
        case MsgAppearance: {
            TAppearanceMsg m;
            if (DecodeAppearance(d, n, m) && BelongsTo(g, m.Tank, from)) ApplyAppearance(g, net, m);
            return;
        }
        default:
            return;
        }
    }
    switch (type) {
    case MsgSetup:
        ClientSetup(g, net, from, d, n);
        return;
    case MsgMap:
        ClientMap(g, d, n);
        return;
    case MsgStatus:
        ClientStatus(g, d, n);
        return;
    case MsgScore:
        ClientScore(g, d, n);
        return;
    case MsgEvent:
        ClientEvent(g, d, n);
        return;
    case MsgTanklist:
        ClientTanklist(g, d, n);
        return;
    case MsgPing:
        ClientPing(g, d, n);
        return;
    case MsgAppearance: {
        TAppearanceMsg m;
        if (DecodeAppearance(d, n, m)) ApplyAppearance(g, net, m);
        return;
    }
    default:
        return;
    }
}

void HandleSessionEvent(Game& g, SessionNetOut& net, const TSessionEvent& e) {
    switch (e.Kind) {
    case TSessionEvent::PlayerAdded: {
        if (e.Player == net.session().LocalPlayerId()) return;
        ConsoleLine(g, Printable(e.Name) + " connecting");
        if (net.session().IsHost() && !g.ClientMode) {
            if (g.LevelRunning)
                net.SendSetupTo(e.Player);
            else
                StartNextLevel(g, g.TickNow);
        }
        RecordPlayerLimit(g, net);
        return;
    }
    case TSessionEvent::PlayerDeleted: {
        if (!e.Text.empty()) ConsoleLine(g, Printable(e.Text)); // why the host dropped it
        const int teamsBefore = g.TeamCount;
        for (int seat = 0; seat < 2; ++seat) {
            const int i = FindTank(g, static_cast<int32_t>(e.Player), seat);
            if (i < 0) continue;
            ConsoleLine(g, g.Tanks[i].Name + " left");
            RemoveTank(g, i);
        }
        std::erase(g.ListsReceived, e.Player);
        AssignViewports(g);
        if (net.session().IsHost() && !g.ClientMode) {
            net.SendTankListTo(SessionNetOut::AllPlayers);
            UpdateRanking(g);
            net.SendScoreTo(SessionNetOut::AllPlayers);
            if (g.TeamGame && g.TeamCount < teamsBefore && g.BaseCount >= g.TeamCount)
                net.SendBaseListTo(SessionNetOut::AllPlayers);
        } else if (g.ClientMode && e.Player == g.ServerPlayerId) {
            ConsoleLine(g, "SERVER CHANGED, WEAPON RESET");
        }
        RecordPlayerLimit(g, net);
        return;
    }
    case TSessionEvent::Message: {
        const uint8_t* d = e.Data.data();
        size_t n = e.Data.size();
        if (n >= 4 && d[0] == MsgStatus && d[1] == 0 && d[2] == 0 && d[3] == 0) {
            // A status travels unordered against the vehicle list: one built
            // for another table would put positions and deaths on the wrong
            // vehicles, so it is dropped.
            uint32_t generation = 0;
            if (!SplitRosterGeneration(d, n, n, generation)) return;
            if (generation != RosterGeneration(g)) {
                g.TheUi.DebugLine("status of another vehicle list dropped");
                return;
            }
        }
        ReceiveMessage(g, net, e.Player, e.To, d, n);
        return;
    }
    case TSessionEvent::Closed:
        if (!e.Text.empty()) ConsoleLine(g, Printable(e.Text));
        g.ListsReceived.clear();
        return;
    default:
        return;
    }
}
