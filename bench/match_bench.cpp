// Whole ticks of matches built by the program's own builder on a shipped
// map, so the benchmark plays the game people see.
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "bench/bench_support.h"
#include "core/silent_sound.h"
#include "platform/bitmap_file.h"

namespace {

// Ticks of 5 ms on the largest map with range(0) bots.
void BM_MatchTick(benchmark::State& state) {
    BenchClock clock;
    SilentSound sound;
    NullUi ui;
    NullNetOut net;
    NoDisplay display;
    SdlBitmapReader reader;
    TProgram program(clock, sound, ui, net, display, reader, 7, MOOR_BIN_DIR);
    TOptions o;
    o.Headless = true;
    o.ScreenSaver = true; // bots only
    o.Map = "Grand Moor";
    o.Bots = static_cast<int>(state.range(0));
    if (!StartProgram(program, o).empty()) {
        state.SkipWithError("the match did not start");
        return;
    }
    for (auto _ : state) {
        clock.Now += 5;
        program.Form.TimerTimer();
    }
    benchmark::DoNotOptimize(program.G->GameTime);
}
BENCHMARK(BM_MatchTick)->Arg(8)->Arg(62);

} // namespace

namespace {

// Everything at once on the largest shipped map: 64 vehicles of all sorts
// firing every weapon, and every pool full of live entries, topped up
// before each tick (outside the timing) so each tick sees the full load.
class FullLoad {
  public:
    explicit FullLoad(bool broadPhase)
        : Program(TheClock, Sound, TheUi, Net, Display, Reader, 5, MOOR_BIN_DIR), Rng(9) {
        Game& g = *Program.G;
        TOptions o; // the shipped settings give the vehicles all three sorts
        o.Headless = true;
        o.Map = "Grand Moor";
        o.Bots = 62;
        o.TwoPlayers = true;
        o.FragLimit = 1000;
        Ok = StartProgram(Program, o).empty() && g.TankCount == MaxTanks;
        g.BulletBroadPhase = broadPhase;
        for (int i = 0; i < g.TankCount; ++i) {
            g.Tanks[i].Weapon = i % 7;
            g.Tanks[i].Firing = true;
            g.Tanks[i].Throttle = 1;
            g.Tanks[i].Steer = i % 3 - 1;
        }
    }

    void TopUp() {
        Game& g = *Program.G;
        const double w = g.MapWidthPx, h = g.MapHeightPx;
        auto somewhere = [&] { return TVector{Rng.Real() * w, Rng.Real() * h}; };
        auto heading = [&] { return Vectors2D::FromAngle(Rng.Real() * 6.283); };
        while (!g.Bullets.Full()) {
            TBullet b;
            b.Origin = b.Position = b.PrevPosition = b.TrailPosition = somewhere();
            b.Velocity = Vectors2D::Scale(heading(), 0.8);
            b.FireTime = g.GameTime;
            b.Shooter = Rng.Int(g.TankCount);
            g.Bullets.Add(b);
        }
        while (!g.Particles.Full())
            g.Particles.Add({somewhere(), 0xFF8000, g.GameTime + 100000});
        while (!g.Bomblets.Full()) {
            TBomblet b;
            b.Origin = b.Position = somewhere();
            b.Velocity = Vectors2D::Scale(heading(), 0.3);
            b.LaunchTime = g.GameTime;
            b.FuseTime = g.GameTime + 100000;
            b.Owner = Rng.Int(g.TankCount);
            g.Bomblets.Add(b);
        }
        while (!g.Rockets.Full()) {
            TRocket r;
            r.Position = r.PrevPosition = r.PrevPrevPosition = somewhere();
            r.Kind = 1; // homing missiles look for targets: the dearest kind
            r.Angle = Rng.Real() * 6.283;
            r.Owner = Rng.Int(g.TankCount);
            g.Rockets.Add(r);
        }
    }

    void Tick() {
        TheClock.Now += 5;
        Program.Form.TimerTimer();
    }

    bool Ok = false;
    BenchClock TheClock;
    SilentSound Sound;
    NullUi TheUi;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    Random Rng;
};

void FullLoadTick(benchmark::State& state, bool broadPhase) {
    FullLoad load(broadPhase);
    if (!load.Ok) {
        state.SkipWithError("the match did not start");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        load.TopUp();
        state.ResumeTiming();
        load.Tick();
    }
}

void BM_FullLoadTick(benchmark::State& state) {
    FullLoadTick(state, true);
}
void BM_FullLoadTickNaive(benchmark::State& state) {
    FullLoadTick(state, false);
}
BENCHMARK(BM_FullLoadTick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullLoadTickNaive)->Unit(benchmark::kMicrosecond);

} // namespace
