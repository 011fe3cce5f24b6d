#include "match/rejoin.h"

#include <algorithm>

#include "sim/teams.h"

namespace {

constexpr size_t MaxKeptVehicles = 128;

void ForgetOld(Game& g) {
    std::erase_if(g.KeptVehicles,
                  [&g](const TKeptVehicle& k) { return g.TickNow - k.LeftAt >= KeptVehicleMs; });
}

} // namespace

void KeepLeaversVehicles(Game& g, uint32_t player) {
    if (player == 0) return;
    ForgetOld(g);
    std::erase_if(g.KeptVehicles, [player](const TKeptVehicle& k) { return k.PlayerId == player; });
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        if (t.IsBot || t.PlayerId != static_cast<int32_t>(player)) continue;
        TKeptVehicle k;
        k.PlayerId = player;
        k.Seat = t.Seat;
        k.Frags = t.Frags;
        k.Deaths = t.Deaths;
        k.BodyColour = t.BodyColour;
        k.SecondColour = t.SecondColour;
        k.PaintJob = t.PaintJob;
        if (g.TeamGame && t.TeamIndex >= 0 && t.TeamIndex < g.TeamCount)
            k.TeamColour = g.Teams[t.TeamIndex].Colour;
        k.LeftAt = g.TickNow;
        if (g.KeptVehicles.size() >= MaxKeptVehicles) g.KeptVehicles.erase(g.KeptVehicles.begin());
        g.KeptVehicles.push_back(k);
    }
}

bool GiveBackVehicles(Game& g, uint32_t player) {
    ForgetOld(g);
    bool any = false;
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (t.IsBot || t.PlayerId != static_cast<int32_t>(player)) continue;
        auto kept = std::find_if(g.KeptVehicles.begin(), g.KeptVehicles.end(), [&](const auto& k) {
            return k.PlayerId == player && k.Seat == t.Seat;
        });
        if (kept == g.KeptVehicles.end()) continue;
        t.Frags = kept->Frags;
        t.Deaths = kept->Deaths;
        t.BodyColour = kept->BodyColour;
        t.SecondColour = kept->SecondColour;
        t.PaintJob = kept->PaintJob;
        if (g.TeamGame && kept->TeamColour >= 0) ChangeColour(g, i, kept->TeamColour);
        MarkAppearanceChanged(g, i);
        g.KeptVehicles.erase(kept);
        any = true;
    }
    return any;
}
