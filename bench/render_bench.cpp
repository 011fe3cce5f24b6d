// Drawing whole frames off screen on the software renderer: a battle of 64
// vehicles of all sorts around the first player's view, with the bullet,
// particle, bomblet and rocket pools full, single and split screen.
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "app/screen_frame.h"
#include "bench/bench_support.h"
#include "core/silent_sound.h"
#include "platform/bitmap_file.h"
#include "platform/offscreen.h"

namespace {

class Battle {
  public:
    explicit Battle(bool split)
        : Program(TheClock, Sound, TheUi, Net, Display, Reader, 5, MOOR_BIN_DIR), Rng(9) {
        Game& g = *Program.G;
        TOptions o;
        o.Map = "Grand Moor";
        o.Bots = 62;
        o.TwoPlayers = true;
        o.FragLimit = 1000;
        Ok = Frame.Load(Reader, std::string(MOOR_BIN_DIR) + "/", TheUi) &&
             StartProgram(Program, o).empty() && g.TankCount == MaxTanks && Canvas.Error().empty();
        g.SplitScreen = split;
        g.TankIndicators = true;
        g.Start.ShowNamesBox = true;
        // Every vehicle inside the area the views show, the pools around it.
        Centre = {g.MapWidthPx / 2.0, g.MapHeightPx / 2.0};
        for (int i = 0; i < g.TankCount; ++i) {
            TTank& t = g.Tanks[i];
            t.Position = {Centre.x - 480 + (i % 8) * 120, Centre.y - 340 + (i / 8) * 90};
            t.TurretMountWorld = t.Position;
            t.Heading = i * 0.4;
            t.TurretAngle = i * 0.3;
            t.Alive = i % 9 != 0;
        }
        auto near = [&] {
            return TVector{Centre.x + (Rng.Real() - 0.5) * 2048,
                           Centre.y + (Rng.Real() - 0.5) * 1536};
        };
        while (!g.Bullets.Full()) {
            TBullet b;
            b.Position = near();
            const TVector d = Vectors2D::FromAngle(Rng.Real() * 6.283);
            b.TrailPosition = Vectors2D::Add(b.Position, Vectors2D::Scale(d, 8));
            g.Bullets.Add(b);
        }
        while (!g.Particles.Full())
            g.Particles.Add({near(), Rng.Int(2) ? 0x0080FF : 0x404040, g.GameTime + 100000});
        while (!g.Bomblets.Full()) {
            TBomblet b;
            b.Position = near();
            g.Bomblets.Add(b);
        }
        while (!g.Rockets.Full()) {
            TRocket r;
            r.Position = near();
            r.Kind = Rng.Int(3);
            r.Angle = Rng.Real() * 6.283;
            r.Target = Rng.Int(g.TankCount);
            g.Rockets.Add(r);
        }
        for (int i = 0; i < 40; ++i)
            g.Explosions.Add({i % 2 ? 2 : 1, g.GameTime - i * 10, near()});
    }

    // The vehicles turn a little every frame, as they do in a battle.
    void Frame1() {
        Game& g = *Program.G;
        for (int i = 0; i < g.TankCount; ++i) {
            g.Tanks[i].Heading += 0.013;
            g.Tanks[i].TurretAngle -= 0.021;
        }
        g.Tanks[g.Player1].Position = Centre;
        g.Tanks[g.Player2].Position = Centre;
        TheClock.Now += 4;
        Frame.Draw(Canvas, Program, TheClock.Now);
        Canvas.Finish();
    }

    bool Ok = false;
    BenchClock TheClock;
    SilentSound Sound;
    NullUi TheUi;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    TScreenFrame Frame;
    TOffscreenCanvas Canvas{1024, 768};
    Random Rng;
    TVector Centre;
};

void DrawFrame(benchmark::State& state, bool split) {
    Battle battle(split);
    if (!battle.Ok) {
        state.SkipWithError("the battle could not be set up");
        return;
    }
    battle.Frame1(); // pictures uploaded, tints painted
    // The scene, for people to look at.
    battle.Canvas.SaveScreenshot(std::string(MOOR_BIN_DIR) +
                                 (split ? "/../battle_split.png" : "/../battle.png"));
    for (auto _ : state)
        battle.Frame1();
}

void BM_DrawFrameSingle(benchmark::State& state) {
    DrawFrame(state, false);
}
void BM_DrawFrameSplit(benchmark::State& state) {
    DrawFrame(state, true);
}
// Repeat with --benchmark_repetitions=10 and read the medians: other work
// on the machine spreads single runs widely.
BENCHMARK(BM_DrawFrameSingle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrameSplit)->Unit(benchmark::kMillisecond);

} // namespace
