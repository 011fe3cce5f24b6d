// The host's status, the only frequent message: encoding it into a block
// and reading it back, and what it costs on the wire per client once it is
// compressed against the last status the client acknowledged, in a real
// match on the largest shipped map.
#include <benchmark/benchmark.h>

#include "app/program.h"
#include "bench/bench_support.h"
#include "core/silent_sound.h"
#include "net/messages.h"
#include "net/status.h"
#include "net/status_codec.h"
#include "platform/bitmap_file.h"
#include "sim/vehicles.h"

namespace {

// 64 vehicles, 100 bullets, 10 homing and 10 guided missiles, no cows.
TStatusMsg BusyStatus() {
    TStatusMsg m;
    m.Stamp = 123456;
    for (int i = 0; i < 64; ++i)
        m.Vehicles.push_back({i * 10.5f, i * 7.25f, 0.5f, -0.25f, 80, 100});
    for (int i = 0; i < 100; ++i)
        m.Bullets.push_back({i * 3.0f, i * 2.0f, 0.4f, -0.3f});
    for (int i = 0; i < 10; ++i) {
        m.Homing.push_back({i * 5.0f, i * 6.0f, 1.0f, static_cast<float>(i)});
        m.Guided.push_back({i * 4.0f, i * 3.0f, -1.0f, -1});
    }
    return m;
}

void BM_StatusEncodeDecode(benchmark::State& state) {
    const TStatusMsg status = BusyStatus();
    TBlock block;
    TStatusMsg back;
    size_t expected = 0;
    for (auto _ : state) {
        EncodeStatus(status, block);
        const bool ok = DecodeStatus(block.data(), block.size(), back, expected);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(back.Vehicles.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_StatusEncodeDecode)->Unit(benchmark::kMicrosecond);

constexpr int StatusEveryMs = 50; // the server rate of 20
constexpr int TickMs = 5;

// A match of 62 bots and two players on the largest map, played on; every
// 50 ms the status one client would get, as the host's sender gives it to
// the session (message and roster generation).
class StatusFilm {
  public:
    // full: every pool topped up before each tick (16384 bullets and more);
    // else 100 bullets, 10 homing and 10 guided missiles in flight.
    StatusFilm(bool full, int statuses)
        : Program(Clock, Sound, Ui, Net, Display, Reader, 5, MOOR_BIN_DIR), Rng(11) {
        Game& g = *Program.G;
        TOptions o;
        o.Headless = true;
        o.Map = "Grand Moor";
        o.Bots = 62;
        o.TwoPlayers = true;
        o.FragLimit = 1000;
        if (!StartProgram(Program, o).empty() || g.TankCount != MaxTanks) return;
        // Play a while first so that the bots spread out and drive.
        for (int t = 0; t < 4000 / TickMs; ++t)
            Tick();
        TStatusCursor cursor;
        TStatusMsg whole, mine;
        TBlock block;
        for (int s = 0; s < statuses; ++s) {
            for (int t = 0; t < StatusEveryMs / TickMs; ++t) {
                TopUp(full);
                Tick();
            }
            StatusOf(g, whole);
            if (!full) {
                whole.Bullets.resize(std::min<size_t>(whole.Bullets.size(), 100));
                whole.Homing.resize(std::min<size_t>(whole.Homing.size(), 10));
                whole.Guided.resize(std::min<size_t>(whole.Guided.size(), 10));
            }
            // The client is machine 2; the bench's players belong to no machine,
            // so its vehicle is the first one.
            g.Tanks[0].PlayerId = 2;
            StatusFor(g, whole, 2, cursor, mine);
            g.Tanks[0].PlayerId = 0;
            EncodeStatus(mine, block);
            AppendRosterGeneration(block, RosterGeneration(g));
            Blocks.push_back(block);
            Bullets += mine.Bullets.size();
        }
        Ok = true;
    }

    void TopUp(bool full) {
        Game& g = *Program.G;
        auto fireFrom = [&](int i) {
            const TTank& t = g.Tanks[i];
            TBullet b;
            b.Origin = b.Position = b.PrevPosition = b.TrailPosition = t.Position;
            b.Velocity = Vectors2D::Scale(Vectors2D::FromAngle(t.Heading + t.TurretAngle), 0.8);
            b.FireTime = g.GameTime;
            b.Shooter = i;
            return b;
        };
        const int bullets = full ? 1 << 30 : 100;
        while (!g.Bullets.Full() && g.Bullets.Count < bullets)
            g.Bullets.Add(fireFrom(Rng.Int(g.TankCount)));
        int kinds[3] = {0, 0, 0};
        for (int k = 0; k < g.Rockets.Count; ++k)
            if (g.Rockets[k].Kind == 1 || g.Rockets[k].Kind == 2) ++kinds[g.Rockets[k].Kind];
        for (int kind = 1; kind <= 2; ++kind)
            while (!g.Rockets.Full() && kinds[kind] < (full ? 255 : 10)) {
                const int i = Rng.Int(g.TankCount);
                TRocket r;
                r.Position = r.PrevPosition = r.PrevPrevPosition = g.Tanks[i].Position;
                r.Kind = kind;
                r.Angle = g.Tanks[i].Heading;
                r.Owner = i;
                g.Rockets.Add(r);
                ++kinds[kind];
            }
    }

    void Tick() {
        Clock.Now += TickMs;
        Program.Form.TimerTimer();
    }

    bool Ok = false;
    std::vector<TBlock> Blocks;
    size_t Bullets = 0;
    BenchClock Clock;
    SilentSound Sound;
    NullUi Ui;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    Random Rng;
};

// One client's statuses through the encoder and the decoder, the client's
// acknowledgement reaching the host two statuses later (a round trip of
// about 100 ms). Counters: wire bytes per status and per second, the
// message's own bytes, and the share of key statuses.
void RunFilm(benchmark::State& state, const StatusFilm& film) {
    const size_t Lag = static_cast<size_t>(state.range(0));
    if (!film.Ok) {
        state.SkipWithError("the match did not start");
        return;
    }
    size_t wire = 0, raw = 0, keys = 0, n = 0, lost = 0;
    std::vector<uint8_t> frame, out;
    for (auto _ : state) {
        TStatusEncoder host;
        TStatusDecoder client;
        std::vector<uint32_t> acks;
        for (const TBlock& b : film.Blocks) {
            frame.clear();
            host.Encode(b.data(), b.size(), frame);
            uint32_t sequence = 0;
            if (!client.Decode(frame.data(), frame.size(), out, sequence) || out != b) ++lost;
            acks.push_back(sequence);
            if (acks.size() > Lag) host.Acknowledge(acks[acks.size() - 1 - Lag]);
            TStatusCodeHeader h;
            ReadStatusCodeHeader(frame.data(), frame.size(), h);
            wire += frame.size() + 1; // and the frame type
            raw += b.size();
            keys += h.Base == 0;
            ++n;
        }
    }
    const double perStatus = static_cast<double>(wire) / static_cast<double>(n);
    state.counters["wire_B"] = perStatus;
    state.counters["wire_KBps"] = perStatus * (1000.0 / StatusEveryMs) / 1000.0;
    state.counters["msg_B"] = static_cast<double>(raw) / static_cast<double>(n);
    state.counters["keys"] = static_cast<double>(keys) / static_cast<double>(n);
    state.counters["bullets"] =
        static_cast<double>(film.Bullets) / static_cast<double>(film.Blocks.size());
    state.counters["lost"] = static_cast<double>(lost);
    // Time per status per client: the reported time divided by the statuses.
    state.counters["us_per_status"] = benchmark::Counter(
        static_cast<double>(n) * 1e-6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// 64 vehicles, 100 bullets, 10 + 10 missiles: the steady play the targets are for.
void BM_StatusCompressSteadyPlay(benchmark::State& state) {
    static const StatusFilm film(false, 200);
    RunFilm(state, film);
}
BENCHMARK(BM_StatusCompressSteadyPlay)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

// Every pool full: the size bound keeps each status to about 4 KB of message.
void BM_StatusCompressFullLoad(benchmark::State& state) {
    static const StatusFilm film(true, 60);
    RunFilm(state, film);
}
BENCHMARK(BM_StatusCompressFullLoad)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

// The host's cutting of one status for 31 clients at the full load (the
// bullet choice around each client's vehicles), without the coding.
void BM_StatusFor31Clients(benchmark::State& state) {
    static StatusFilm film(true, 1);
    if (!film.Ok) {
        state.SkipWithError("the match did not start");
        return;
    }
    Game& g = *film.Program.G;
    TStatusMsg whole, mine;
    StatusOf(g, whole);
    // Clients 2 .. 32 drive one vehicle each.
    for (uint32_t c = 0; c < 31; ++c)
        g.Tanks[c].PlayerId = static_cast<int32_t>(c + 2);
    TStatusCursor cursors[31];
    for (auto _ : state)
        for (uint32_t c = 0; c < 31; ++c) {
            StatusFor(g, whole, c + 2, cursors[c], mine);
            benchmark::DoNotOptimize(mine.Bullets.data());
        }
    state.counters["missiles_whole"] =
        static_cast<double>(whole.Homing.size() + whole.Guided.size());
    state.counters["missiles_each"] = static_cast<double>(mine.Homing.size() + mine.Guided.size());
    state.counters["bullets_whole"] = static_cast<double>(whole.Bullets.size());
    state.counters["bullets_each"] = static_cast<double>(mine.Bullets.size());
}
BENCHMARK(BM_StatusFor31Clients)->Unit(benchmark::kMicrosecond);

} // namespace
