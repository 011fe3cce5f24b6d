#include "sim/sounds.h"

#include <cmath>

#include "core/asset_names.h"

namespace {

int EngineOf(int sort) {
    return sort == sortHovercraft ? sndHoverEngine
                                  : (sort == sortHummer ? sndHummerEngine : sndDiesel);
}

} // namespace

void TuneSounds(Game& g) {
    SoundOut& s = g.Sound;
    g.Player2Engine = s.AddSound();
    s.SetVolume(sndDiesel, -600);
    s.SetFrequency(sndBulletImpact, 30000);
    s.SetVolume(sndBulletImpact, -1000);
    s.SetFrequency(sndHorn, 13500);
    s.SetFrequency(sndAlarm, 16000);
    const int n = s.SoundCount();
    for (int i = 0; i < n; ++i)
        s.SetVolume(i, s.Volume(i) - 600);
}

void PreparePlayer2Engine(Game& g) {
    if (!g.TwoPlayers || g.Player2Engine < 0) return;
    if (g.Player2 < 0 || g.Player2 >= g.TankCount) return;
    const int sort = g.Tanks[g.Player2].Sort;
    SoundOut& s = g.Sound;
    s.CopyWave(g.Player2Engine, EngineOf(sort));
    s.SetVolume(g.Player2Engine, s.Volume(sort == sortTank ? sndDiesel : sndHoverEngine));
    s.SetPan(g.Player2Engine, g.SplitPan);
    s.SetLoop(g.Player2Engine, true);
}

void StartEngineSound(Game& g, int i) {
    if (g.ScreenSaverMode || i < 0 || i >= g.TankCount) return;
    if (i == g.Player1)
        g.Sound.Play(EngineOf(g.Tanks[i].Sort));
    else if (i == g.Player2 && g.TwoPlayers && g.Player2Engine >= 0)
        g.Sound.Play(g.Player2Engine);
}

void StopEngineSound(Game& g, int i) {
    if (i < 0) return;
    if (i == g.Player1) {
        g.Sound.Stop(sndDiesel);
        g.Sound.Stop(sndHoverEngine);
        g.Sound.Stop(sndHummerEngine);
    } else if (i == g.Player2 && g.SplitScreen && g.Player2Engine >= 0) {
        g.Sound.Stop(g.Player2Engine);
    }
}

namespace {

// Local player p (0 or 1) hears a point within its view and a margin.
bool Hears(const Game& g, int p, TVector at, int margin) {
    if (p == 1 && !g.SplitScreen) return false;
    const TVector c = g.ViewCentres[p];
    return std::fabs(at.x - c.x) < g.ViewWidths[p] / 2.0 + margin &&
           std::fabs(at.y - c.y) < g.ViewHeights[p] / 2.0 + margin;
}

} // namespace

void PlaySoundAt(Game& g, int sound, TVector at) {
    if (g.ScreenSaverMode) return;
    if (g.Sound.IsPlaying(sndMoo)) g.Sound.Stop(sndMoo);
    if (g.ClientMode && !g.StatusReceived) return;
    const int margin = sound == sndAlarm ? 500 : 100;
    const bool one = Hears(g, 0, at, margin);
    const bool two = Hears(g, 1, at, margin);
    if (!one && !two) return;
    int pan = 0;
    if (g.SplitScreen)
        pan = one && two ? 0 : (one ? -g.SplitPan : g.SplitPan);
    else
        pan = RoundEven((at.x - g.ViewCentres[0].x) * 1400 / (g.ViewWidths[0] / 2.0 + 100));
    g.Sound.SetPan(sound, pan);
    g.Sound.Play(sound);
}

// Pitch, horn and alarms come with the vehicles and the cows.
void SoundUpdate(Game&) {}
