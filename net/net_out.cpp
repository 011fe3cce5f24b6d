#include "net/net_out.h"

#include <algorithm>

#include "core/colours.h"
#include "net/status.h"
#include "sim/teams.h"
#include "world/map_file.h"

namespace {

TRgb Unpack(int32_t c) {
    return {static_cast<uint8_t>(c & 255), static_cast<uint8_t>((c >> 8) & 255),
            static_cast<uint8_t>((c >> 16) & 255)};
}

uint8_t Byte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

float F(double v) {
    return static_cast<float>(v);
}

void AddPath(std::vector<float>& v, const TTrajectory& p) {
    for (double x :
         {p.C.x, p.C.y, static_cast<double>(p.StartTime), p.A.x, p.A.y, p.F.x, p.F.y, p.K})
        v.push_back(F(x));
}

} // namespace

TTankEntry TankEntryOf(const TTank& t) {
    TTankEntry e;
    e.Name = t.Name;
    e.PlayerId = static_cast<uint32_t>(t.PlayerId);
    e.Body = t.BodyColour;
    e.Second = t.SecondColour;
    e.PaintJob = t.PaintJob < 0 ? 255 : Byte(t.PaintJob);
    e.Weapon = Byte(t.Weapon);
    e.Sort = Byte(t.Sort);
    e.IsBot = t.IsBot ? 1 : 0;
    return e;
}

TSetupMsg SetupOf(const Game& g) {
    TSetupMsg m;
    m.FragLimit = static_cast<uint16_t>(std::clamp(g.FragLimit, 0, 65535));
    m.Style = g.CaptureTheCow ? 2 : g.TeamGame ? 1 : 0;
    m.UseBases = g.UseBases ? 1 : 0;
    m.ArmourLight = static_cast<uint16_t>(std::clamp(g.ArmourLight, 0, 65535));
    m.TankIndicators = g.TankIndicators ? 1 : 0;
    m.ServerTime = g.GameTime;
    m.ServerId = static_cast<uint32_t>(g.LocalPlayerId);
    m.MapChecksum = MapChecksum(g);
    m.MapName = g.CurrentMapName;
    return m;
}

bool MapMsgOf(const Game& g, TMapMsg& m) {
    if (g.MapWidth <= 0 || g.MapHeight <= 0 || g.MapWidth > 255 || g.MapHeight > 255) return false;
    m.Width = static_cast<uint8_t>(g.MapWidth);
    m.Height = static_cast<uint8_t>(g.MapHeight);
    m.Cells.resize(static_cast<size_t>(g.MapWidth) * g.MapHeight);
    for (int r = 0; r < g.MapHeight; ++r)
        for (int c = 0; c < g.MapWidth; ++c)
            m.Cells[static_cast<size_t>(c) + static_cast<size_t>(r) * g.MapWidth] =
                static_cast<uint16_t>(g.MapCells(c, r) & 0xFFFF);
    return true;
}

uint32_t SessionNetOut::Server() const {
    return TheSession.HostPlayerId();
}

uint32_t SessionNetOut::RecordedId() const {
    return TheSession.IsOpen() ? TheSession.LocalPlayerId() : 1;
}

void SessionNetOut::Record(const TBlock& block, uint32_t from, uint8_t kind) {
    if (!Recording || !Recording->IsOpen()) return;
    Recording->Add(kind, static_cast<uint32_t>(G->TickNow), G->GameTime, from, block.data(),
                   block.size());
}

void SessionNetOut::Put(uint32_t to, const TBlock& block, bool guaranteed) {
    if (!Open()) return;
    // A client records what it receives, not what it says.
    const bool own = to != AllPlayers && to == TheSession.LocalPlayerId();
    if (Recording && IsHost() && (to == AllPlayers || own)) {
        uint32_t type = 0;
        BlockType(block.data(), block.size(), type);
        const bool setup = to == AllPlayers && type == MsgSetup;
        if (setup) RecordNewLevel();
        Record(block, RecordedId());
        if (setup) RecordJoinerView(RecordedId());
        if (type == MsgTanklist) RecordNames();
    }
    if (own || !TheSession.IsOpen()) return;
    TheSession.Send(to, block.data(), block.size(), guaranteed);
}

void SessionNetOut::Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size) {
    if (Recording && to == AllPlayers && IsHost()) Record(TBlock(data, data + size), from);
    TheSession.Relay(from, to, data, size);
}

void SessionNetOut::RecordNames() {
    std::string names;
    for (int i = 0; i < G->TankCount; ++i)
        names += G->Tanks[i].Name + "\n";
    Recording->Add(rkNames, static_cast<uint32_t>(G->TickNow), G->GameTime, RecordedId(), names);
}

void SessionNetOut::RecordNewLevel() {
    if (!Recording || !Recording->PerLevel()) return;
    const char* style = G->CaptureTheCow ? "Capture The Cow"
                        : G->TeamGame    ? "Team War"
                                         : "Deathmatch";
    Recording->NextLevel(G->CurrentMapName, style, static_cast<uint32_t>(G->TickNow), G->GameTime);
    if (!Recording->IsOpen()) G->TheUi.MessageBox(Recording->Error());
}

void SessionNetOut::RecordJoinerView(uint32_t id, bool withMap) {
    if (!Recording || !Recording->IsOpen()) return;
    TMapMsg map;
    if (withMap && MapMsgOf(*G, map)) Record(EncodeMap(map), id, rkScene);
    std::vector<TTankEntry> entries;
    std::string names;
    for (int i = 0; i < G->TankCount; ++i) {
        entries.push_back(TankEntryOf(G->Tanks[i]));
        const TTank& t = G->Tanks[i];
        if (!t.IsBot && t.PlayerId == G->LocalPlayerId) names += t.Name + "\n";
    }
    Record(EncodeTanklist(entries), id, rkScene);
    RecordNames();
    Record(EncodeScore(ScoreOf(*G), G->CaptureTheCow), id, rkScene);
    if (G->TeamGame && G->TeamCount <= G->BaseCount) Record(BaseListBlock(), id, rkScene);
    Recording->Add(rkLocalPlayers, static_cast<uint32_t>(G->TickNow), G->GameTime, id, names);
}

void SessionNetOut::Event(uint8_t code, std::vector<float> values) {
    if (!Open()) return;
    TEventMsg m;
    m.Code = code;
    m.Values = std::move(values);
    Put(AllPlayers, EncodeEvent(m));
}

void SessionNetOut::SendAppearance(int tank, int32_t body, int32_t second, int32_t paintJob) {
    if (!Open() || !IsTankIndex(*G, tank)) return;
    TAppearanceMsg m;
    m.Tank = Byte(tank);
    m.Body = Unpack(body);
    m.Second = Unpack(second);
    m.PaintJob = paintJob < 0 ? 255 : Byte(paintJob);
    Put(IsHost() ? AllPlayers : Server(), EncodeAppearance(m));
}

void SessionNetOut::SendAppearanceOf(int tank, uint32_t to) {
    if (!Open() || !IsTankIndex(*G, tank)) return;
    const TTank& t = G->Tanks[tank];
    TAppearanceMsg m;
    m.Tank = Byte(tank);
    m.Body = t.BodyColour;
    m.Second = t.SecondColour;
    m.PaintJob = t.PaintJob < 0 ? 255 : Byte(t.PaintJob);
    Put(to, EncodeAppearance(m));
}

void SessionNetOut::SendGunSound(int tank, int onOff) {
    Event(evGunSound, {F(tank), F(onOff)});
}

void SessionNetOut::SendPositionalSound(int sound, TVector at) {
    Event(evSound, {F(sound), F(at.x), F(at.y)});
}

void SessionNetOut::SendRail(TVector start, TVector end, int32_t gameTime) {
    Event(evRail, {F(start.x), F(start.y), F(end.x), F(end.y), F(gameTime)});
}

void SessionNetOut::SendBomblets(int first, int count) {
    if (!Open() || count <= 0 || first < 0 || first + count > G->Bomblets.Count) return;
    std::vector<float> v{F(count)};
    for (int k = first; k < first + count; ++k) {
        const TBomblet& b = G->Bomblets[k];
        for (double x : {b.Origin.x, b.Origin.y, b.Velocity.x, b.Velocity.y,
                         static_cast<double>(b.LaunchTime), static_cast<double>(b.FuseTime)})
            v.push_back(F(x));
    }
    Event(evBomblets, std::move(v));
}

void SessionNetOut::SendRocket(int rocket) {
    if (!Open() || rocket < 0 || rocket >= G->Rockets.Count) return;
    const TRocket& r = G->Rockets[rocket];
    std::vector<float> v{F(r.Id)};
    AddPath(v, r.Path);
    Event(evRocket, std::move(v));
}

void SessionNetOut::SendBfgBall(int ball) {
    if (!Open() || ball < 0 || ball >= G->BfgBalls.Count) return;
    const TBfgBall& b = G->BfgBalls[ball];
    std::vector<float> v{F(b.Id), F(b.Owner)};
    AddPath(v, b.Path);
    Event(evBfgBall, std::move(v));
}

void SessionNetOut::SendMine(int mine) {
    if (!Open() || mine < 0 || mine >= G->Mines.Count) return;
    const TMine& m = G->Mines[mine];
    Event(evMineLaid, {F(m.Id), F(m.Position.x), F(m.Position.y)});
}

void SessionNetOut::SendExplosion(int kind, TVector at) {
    Event(evExplosion, {F(kind), F(at.x), F(at.y)});
}

void SessionNetOut::SendRocketExploded(int32_t id) {
    Event(evRocketGone, {F(id)});
}

void SessionNetOut::SendBfgExploded(int32_t id) {
    Event(evBfgBurst, {F(id)});
}

void SessionNetOut::SendMineExploded(int32_t id) {
    Event(evMineGone, {F(id)});
}

void SessionNetOut::SendKill(int victim, int killer) {
    Event(evKill, {F(victim), F(killer)});
}

void SessionNetOut::SendMultiKill(int tank, int count) {
    Event(evMultiKill, {F(tank), F(count)});
}

void SessionNetOut::SendText(uint32_t to, int kind, const std::string& text) {
    if (text.empty()) return; // an empty text is never sent
    TTextMsg m;
    m.Kind = Byte(kind);
    m.Text = text;
    Put(to, EncodeText(m));
}

void SessionNetOut::SendOrder(uint32_t to, int mate, int order, int from) {
    TOrderMsg m;
    m.Mate = Byte(mate);
    m.Order = Byte(order);
    m.From = Byte(from);
    Put(to, EncodeOrder(m));
}

void SessionNetOut::SendControl(int tank, int action, bool pressed) {
    if (!Open() || !IsTankIndex(*G, tank)) return;
    TControlMsg m;
    m.Action = static_cast<uint8_t>(action & 63);
    m.Seat = G->Tanks[tank].Seat & 1;
    m.Released = !pressed;
    Put(AllPlayers, EncodeControl(m));
}

void SessionNetOut::SendPing() {
    if (!Open()) return;
    SendPingTo(Server());
}

void SessionNetOut::SendPingTo(uint32_t to) {
    if (!Open()) return;
    G->TheUi.DebugLine("->ping");
    // The game clock itself (the offset a host keeps is stale from a new
    // level until its next tick), carried on to the pass that answers.
    const int32_t since = std::max(0, G->HeardTick - G->TickNow);
    Put(to, EncodePing(G->GameTime + since));
}

void SessionNetOut::SendRemoteShutdown() {
    if (!Open()) return;
    G->TheUi.DebugLine("->kill!");
    Put(Server(), EncodeKill());
}

void SessionNetOut::SendSetupTo(uint32_t to) {
    if (!Open()) return;
    G->TheUi.DebugLine("->setup");
    Put(to, EncodeSetup(SetupOf(*G)));
}

void SessionNetOut::SendMapTo(uint32_t to) {
    if (!Open()) return;
    TMapMsg m;
    if (!MapMsgOf(*G, m)) return;
    G->TheUi.DebugLine("->map");
    Put(to, EncodeMap(m));
}

void SessionNetOut::SendMapRequest() {
    if (!Open()) return;
    G->TheUi.DebugLine("->mapreq");
    Put(Server(), EncodeMapReq());
}

void SessionNetOut::SendTankListTo(uint32_t to) {
    if (!Open()) return;
    std::vector<TTankEntry> entries;
    for (int i = 0; i < G->TankCount; ++i)
        entries.push_back(TankEntryOf(G->Tanks[i]));
    G->TheUi.DebugLine("->tanklist");
    Put(to, EncodeTanklist(entries));
}

void SessionNetOut::SendOwnTankList(const std::vector<TTankEntry>& entries) {
    if (!Open()) return;
    G->TheUi.DebugLine("->tanklist");
    Put(Server(), EncodeTanklist(entries));
}

void SessionNetOut::SendScoreTo(uint32_t to) {
    if (!Open()) return;
    Put(to, EncodeScore(ScoreOf(*G), G->CaptureTheCow));
}

// The host's bases as the event that tells them: their count, then each
// base's colour and cell.
TBlock SessionNetOut::BaseListBlock() const {
    const std::vector<TBaseListEntry> list = HostBaseList(*G);
    TEventMsg m;
    m.Code = evBaseList;
    m.Values.push_back(F(static_cast<double>(list.size())));
    for (const TBaseListEntry& e : list) {
        m.Values.push_back(F(e.Colour));
        m.Values.push_back(F(e.Base));
    }
    return EncodeEvent(m);
}

void SessionNetOut::SendBaseListTo(uint32_t to) {
    if (!Open()) return;
    G->TheUi.DebugLine("->baselist");
    Put(to, BaseListBlock());
}

void SessionNetOut::SendMineList() {
    if (!Open()) return;
    std::vector<float> v{F(G->Mines.Count)};
    for (int k = 0; k < G->Mines.Count; ++k) {
        const TMine& m = G->Mines[k];
        v.push_back(F(m.Id));
        v.push_back(F(m.Position.x));
        v.push_back(F(m.Position.y));
    }
    Event(evMineList, std::move(v));
}

void SessionNetOut::SendStatus() {
    if (!Open() || !IsHost()) return;
    StatusOf(*G, StatusScratch);
    SendStatusToEach(StatusScratch);
}

// One status for each other machine with vehicles or a vehicle list, its
// bullets chosen around that machine's vehicles and under the size bound.
void SessionNetOut::SendStatusToEach(const TStatusMsg& whole) {
    const uint32_t self = TheSession.LocalPlayerId();
    std::vector<uint32_t> machines = G->ListsReceived;
    for (int i = 0; i < G->TankCount; ++i)
        machines.push_back(static_cast<uint32_t>(G->Tanks[i].PlayerId));
    std::sort(machines.begin(), machines.end());
    machines.erase(std::unique(machines.begin(), machines.end()), machines.end());
    std::erase_if(machines, [self](uint32_t id) { return id == 0 || id == self; });
    std::erase_if(StatusCursors, [&machines](const auto& c) {
        return !std::binary_search(machines.begin(), machines.end(), c.first);
    });
    for (uint32_t id : machines) {
        StatusFor(*G, whole, id, StatusCursors[id], ClientStatus);
        SendStatusMsg(ClientStatus, id);
    }
    // A recording keeps the status this machine would tell itself, once,
    // under the same bound, its bullets chosen around the local players.
    if (Recording) {
        StatusFor(*G, whole, RecordedId(), RecordCursor, ClientStatus);
        SendStatusMsg(ClientStatus, TheSession.IsOpen() ? RecordedId() : AllPlayers);
    }
}

void SessionNetOut::SendStatusMsg(const TStatusMsg& m, uint32_t to) {
    if (!Open() || !IsHost()) return;
    EncodeStatus(m, StatusBlock);
    // A status whose blocks do not fill what its header announces would be
    // refused by every client: it is not sent, and the next one tries again.
    if (!StatusSizesAgree(m, StatusBlock)) {
        if (!G->SizeErrorShown || G->TickNow - G->LastSizeErrorBox >= StatusErrorGapMs) {
            G->SizeErrorShown = true;
            G->LastSizeErrorBox = G->TickNow;
            G->TheUi.MessageBox("ERROR, statussend sizes are off!");
        }
        return;
    }
    AppendRosterGeneration(StatusBlock, RosterGeneration(*G));
    Put(to, StatusBlock, false);
}
