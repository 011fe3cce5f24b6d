#include "sim/messages.h"

namespace {

// Kinds of a text message on the wire: the owner itself for a console line
// (255 none), + 64 for a chat line, + 128 for a personal message.
constexpr int TextNoOwner = 255;
constexpr int TextChat = 64;
constexpr int TextPersonal = 128;
constexpr uint32_t ToEverybody = 0;
constexpr int TauntSlots = 12;

void SetLine(const Game& g, TTimedLine& line, const std::string& text, int speaker) {
    line.Text = text;
    line.Expiry = g.GameTime + PlayerLineLifeMs;
    line.Speaker = speaker;
}

// The player of slot p (0 Player1, 1 Player2 in split screen); -1 none.
int LocalPlayer(const Game& g, int p) {
    if (p == 0) return IsTankIndex(g, g.Player1) ? g.Player1 : -1;
    if (p == 1 && g.SplitScreen) return IsTankIndex(g, g.Player2) ? g.Player2 : -1;
    return -1;
}

} // namespace

int LocalSlotOf(const Game& g, int v) {
    if (!IsTankIndex(g, v)) return -1;
    for (int p = 0; p < 2; ++p)
        if (LocalPlayer(g, p) == v) return p;
    return -1;
}

void ConsoleLineForAll(Game& g, const std::string& text, int owner) {
    if (!IsTankIndex(g, owner)) owner = -1;
    if (Broadcasts(g) && !text.empty())
        g.Net.SendText(ToEverybody, owner < 0 ? TextNoOwner : owner, text);
    ConsoleLine(g, text, owner);
}

void KillNotice(Game& g, const std::string& text, int v) {
    const int p = LocalSlotOf(g, v);
    if (p >= 0) SetLine(g, g.PlayerLines[p].KillNotice, text, -1);
}

void PersonalMessage(Game& g, const std::string& text, int v) {
    const int p = LocalSlotOf(g, v);
    if (p >= 0) SetLine(g, g.PlayerLines[p].Personal, text, -1);
}

void PersonalMessageForAll(Game& g, const std::string& text, int v) {
    if (!IsTankIndex(g, v)) return;
    if (Broadcasts(g) && !text.empty())
        g.Net.SendText(static_cast<uint32_t>(g.Tanks[v].PlayerId), v + TextPersonal, text);
    PersonalMessage(g, text, v);
}

void ChatLine(Game& g, const std::string& text, int v) {
    // Words from a vehicle this machine does not know yet are still shown,
    // but in nobody's name.
    if (!IsTankIndex(g, v)) {
        ConsoleLine(g, text, -1);
        return;
    }
    ConsoleLine(g, text, v);
    for (int p = 0; p < 2; ++p) {
        const int player = LocalPlayer(g, p);
        if (player < 0) continue;
        const TTank& t = g.Tanks[player];
        if (t.LastKiller == v && g.GameTime - TauntWindowMs < t.LastKilledTime)
            SetLine(g, g.PlayerLines[p].Taunt, g.Tanks[v].Name + ": " + text, v);
    }
}

void ChatLineForAll(Game& g, const std::string& text, int v) {
    if (!IsTankIndex(g, v)) return;
    if (Broadcasts(g) && !text.empty()) g.Net.SendText(ToEverybody, v + TextChat, text);
    ChatLine(g, text, v);
}

void SayTaunt(Game& g, int slot, int v) {
    if (slot < 0 || slot >= TauntSlots) return;
    ChatLineForAll(g, g.Start.TauntTable[slot], v);
}

void GiveOrder(Game& g, int localPlayerSlot) {
    if (localPlayerSlot < 0 || localPlayerSlot > 1) return;
    const int c = LocalPlayer(g, localPlayerSlot);
    if (c < 0) return;
    const TMateList& list = g.MateLists[localPlayerSlot];
    const int n = list.OrderMate;
    if (n < 1 || n > list.Count || n >= MaxTanks) return;
    const int m = list.Mates[n];
    if (!IsTankIndex(g, m)) return;
    const int order = list.OrderCode;
    if (order < msDefendBase || order > msFreelance) return; // the menu offers these four
    if (g.NetworkGame) g.Net.SendOrder(static_cast<uint32_t>(g.Tanks[m].PlayerId), m, order, c);
    ApplyOrder(g, m, order, c);
    ConsoleLine(g, "(to " + g.Tanks[m].Name + ") " + OrderName(order) + "!", c);
}

void ApplyOrder(Game& g, int mate, int order, int from) {
    // Orders come over the network as bytes: a vehicle this machine does not
    // have, or a mission no bot knows, changes nothing.
    if (!IsTankIndex(g, mate) || !IsTankIndex(g, from)) return;
    if (order < msDefendBase || order > msRetrieveCow) return;
    TTank& m = g.Tanks[mate];
    const TTeam* team = TeamOf(g, mate);
    m.SavedMission = order;
    m.SavedMissionTarget = from;
    const bool carriesOwnCow = team && team->CowCarrier == mate;
    if (order != msRetrieveCow && !(order == msCaptureCow && carriesOwnCow)) m.Mission = order;
    if (m.SavedMission == msDefendBase && team && !team->CowAtHome) m.Mission = msRetrieveCow;
    m.MissionTarget = m.SavedMissionTarget;
    PersonalMessage(g, g.Tanks[from].Name + ": " + OrderName(order) + "!", mate);
}

std::string OrderName(int order) {
    switch (order) {
    case msDefendBase:
        return "Defend the base";
    case msCaptureCow:
        return "Capture the cow";
    case msCoverMe:
        return "Cover me";
    case msFreelance:
        return "Freelance";
    case msRetrieveCow:
        return "Retrieve cow";
    default:
        return "ERROR";
    }
}
