#include "sim/sounds.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/asset_names.h"
#include "sim/cows.h"

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
    if (!IsTankIndex(g, g.Player2)) return;
    const int sort = g.Tanks[g.Player2].Sort;
    SoundOut& s = g.Sound;
    s.CopyWave(g.Player2Engine, EngineOf(sort));
    s.SetVolume(g.Player2Engine, s.Volume(sort == sortTank ? sndDiesel : sndHoverEngine));
    s.SetPan(g.Player2Engine, g.SplitPan);
    s.SetLoop(g.Player2Engine, true);
}

void SetSplitScreen(Game& g, bool split) {
    g.SplitScreen = split;
    if (!split) return;
    for (const int engine : {sndDiesel, sndHoverEngine, sndHummerEngine})
        g.Sound.SetPan(engine, -g.SplitPan);
}

void StartEngineSound(Game& g, int i) {
    if (g.ScreenSaverMode || !IsTankIndex(g, i)) return;
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

// A pan or pitch rounded for the mixer: a figure that is no number (a
// vehicle or view gone NaN) counts as 0, and none leaves the range of the
// int it is rounded to.
int SoundRound(double x) {
    if (!std::isfinite(x)) return 0;
    return RoundEven(std::clamp(x, -1e9, 1e9));
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
        pan = SoundRound((at.x - g.ViewCentres[0].x) * 1400 / (g.ViewWidths[0] / 2.0 + 100));
    g.Sound.SetPan(sound, pan);
    g.Sound.Play(sound);
}

namespace {

// Pan of a sound at the view's side plus the margin; also as far as the
// engine ever leans.
constexpr int EnginePan = 1400;
constexpr int32_t RemoteGunGapMs = 50;
constexpr int32_t RemoteHoverGunGapMs = 16;

// round(x) mod m for x >= 0, taken before the value has to fit an int.
int RoundMod(double x, int m) {
    return SoundRound(std::fmod(std::nearbyint(x), m));
}

// The engine's pitch follows the speed; the Hummer's also the throttle.
int EngineFrequency(const TTank& t) {
    const double speed = Vectors2D::Length(t.Velocity);
    switch (t.Sort) {
    case sortHovercraft:
        return SoundRound(100 * speed) + 14000;
    case sortHummer:
        return SoundRound(40 * speed) + 5000 * std::abs(t.Throttle) +
               RoundMod(speed * speed, 20000) + 10000;
    default:
        return RoundMod(350 * speed, 20000) + 25000;
    }
}

void UpdateEngines(Game& g) {
    if (!IsTankIndex(g, g.Player1)) return;
    const TTank& one = g.Tanks[g.Player1];
    const int engine = EngineOf(one.Sort);
    g.Sound.SetFrequency(engine, EngineFrequency(one));
    if (g.SplitScreen) {
        if (IsTankIndex(g, g.Player2) && g.Player2Engine >= 0)
            g.Sound.SetFrequency(g.Player2Engine, EngineFrequency(g.Tanks[g.Player2]));
        return;
    }
    // One view: the engine sits where the vehicle is in it.
    const int pan = SoundRound((one.Position.x - g.ViewCentres[0].x) * EnginePan /
                               (g.ViewWidths[0] / 2.0 + 100));
    g.Sound.SetPan(engine, std::min(EnginePan, pan));
}

// The horn sounds while any horn in play is within earshot of a local player.
void UpdateHorn(Game& g) {
    bool heard = false;
    for (int i = 0; i < g.TankCount && !heard; ++i) {
        const TTank& t = g.Tanks[i];
        heard =
            t.Alive && t.HornOn && (Hears(g, 0, t.Position, 100) || Hears(g, 1, t.Position, 100));
    }
    if (heard && !g.HornPlaying) {
        g.Sound.SetLoop(sndHorn, true);
        g.Sound.Play(sndHorn);
        g.HornPlaying = true;
    } else if (!heard && g.HornPlaying) {
        g.Sound.Stop(sndHorn);
        g.HornPlaying = false;
    }
}

// A client fires no bullets of its own; it plays the host's machine guns
// at their own pace for as long as the host says they are firing.
void RemoteGunSounds(Game& g) {
    for (int i = 0; i < g.TankCount; ++i) {
        TTank& t = g.Tanks[i];
        if (!t.Alive || !t.GunSounding || t.NextFireTime >= g.GameTime) continue;
        PlaySoundAt(g, sndFireBullet, t.Position);
        t.NextFireTime =
            g.GameTime + (t.Sort == sortHovercraft ? RemoteHoverGunGapMs : RemoteGunGapMs);
    }
}

} // namespace

void SoundUpdate(Game& g) {
    if (g.ScreenSaverMode) return;
    UpdateEngines(g);
    if (g.CaptureTheCow) CowAlarms(g);
    UpdateHorn(g);
    if (g.ClientMode && g.LevelRunning) RemoteGunSounds(g);
}
