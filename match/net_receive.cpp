// The dispatch: who may send what, the host passing messages on, and the
// messages every machine applies; the lobby and the events have files of
// their own (net_lobby.cpp, net_events.cpp).
#include "match/net_receive.h"

#include <algorithm>
#include <cmath>

#include "core/colours.h"
#include "match/client_sync.h"
#include "match/level.h"
#include "match/net_receive_parts.h"
#include "match/rejoin.h"
#include "net/status.h"
#include "sim/controls.h"
#include "sim/cows.h"
#include "sim/damage.h"
#include "sim/messages.h"
#include "sim/teams.h"
#include "sim/vehicles.h"
#include "sim/weapons.h"

namespace NetReceive {

namespace {
constexpr int SizeBoxGapMs = 1000;
} // namespace

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

// Vehicle v is a person of the machine `player`.
bool BelongsTo(const Game& g, int v, uint32_t player) {
    return IsTankIndex(g, v) && !g.Tanks[v].IsBot &&
           static_cast<uint32_t>(g.Tanks[v].PlayerId) == player;
}

bool IsServer(const Game& g, SessionNetOut& net, uint32_t from) {
    return from != 0 && (from == net.session().HostPlayerId() || from == g.ServerPlayerId);
}

// The recorded number is the places left for machines of two vehicles;
// the session counts every machine in it, so it gets those already here
// (this one and each with vehicles in the table) on top. Taken as the
// whole session's limit it would turn machines away long before the table
// is full (with four bots, the 21st of 31 clients).
void RecordPlayerLimit(Game& g, SessionNetOut& net) {
    if (!net.Open()) return;
    std::vector<int32_t> machines = {static_cast<int32_t>(net.session().LocalPlayerId())};
    for (int i = 0; i < g.TankCount; ++i)
        if (!g.Tanks[i].IsBot && g.Tanks[i].PlayerId != 0 &&
            std::find(machines.begin(), machines.end(), g.Tanks[i].PlayerId) == machines.end())
            machines.push_back(g.Tanks[i].PlayerId);
    net.session().SetPlayerLimit(static_cast<int>(machines.size()) + PlayerLimit(g));
}

} // namespace NetReceive

using namespace NetReceive;

namespace {

void ReceiveKill(Game& g) {
    ConsoleLine(g, "Bye bye...");
    // Only a machine started for development lets another end it, and a
    // dedicated server serves everyone: nobody ends it from afar.
    if (g.StartedAsDeveloper && !(g.Start.Dedicated && !g.ClientMode))
        g.ShutdownTime = g.TickNow + 1000;
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
    CorrectFromStatus(g, m.Stamp);
}

void ClientPing(Game& g, const uint8_t* d, size_t n) {
    g.TheUi.DebugLine("-Ping");
    int32_t serverTime = 0;
    if (!DecodePing(d, n, serverTime)) return;
    PingAnswered(g, serverTime);
}

// A client's message of type 3, 11 or 13 that names only what belongs to
// it: passed on to whom it was meant for; true when this machine applies it.
bool Forward(SessionNetOut& net, uint32_t from, uint32_t to, const uint8_t* d, size_t n) {
    const uint32_t self = net.session().LocalPlayerId();
    if (to != 0 && to != self) {
        net.Relay(from, to, d, n);
        return false;
    }
    if (to == 0) net.Relay(from, 0, d, n);
    return true;
}

} // namespace

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
        if (net.session().IsHost() && !g.ClientMode) KeepLeaversVehicles(g, e.Player);
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
        } else if (g.ClientMode && e.Player == g.ServerPlayerId && !net.session().IsHost()) {
            // Another machine took the session over; it is the server now.
            ServerChanged(g);
            g.ServerPlayerId = net.session().HostPlayerId();
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
    case TSessionEvent::PlayerBack:
        // A machine came over after this one took the session over: it has
        // the level; what changed while it was on its way is sent again.
        if (net.session().IsHost() && !g.ClientMode) {
            net.SendTankListTo(e.Player);
            UpdateRanking(g);
            net.SendScoreTo(e.Player);
            if (g.TeamGame) net.SendBaseListTo(e.Player);
        }
        return;
    case TSessionEvent::Closed:
        if (!e.Text.empty()) ConsoleLine(g, Printable(e.Text));
        g.ListsReceived.clear();
        return;
    default:
        return;
    }
}
