// A match without window or sound device: soak tests, benchmarks and the
// dedicated server run this way.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "app/measure.h"
#include "app/network_run.h"
#include "app/program.h"
#include "app/recorder.h"
#include "app/run.h"
#include "app/screen_frame.h"
#include "core/silent_sound.h"
#include "match/bot_census.h"
#include "net/net_out.h"
#include "platform/bitmap_file.h"
#include "platform/enet_session.h"
#include "platform/offscreen.h"
#include "render/frame.h"

namespace {

std::atomic<bool> StopRequested{false};

void OnSignal(int) {
    StopRequested = true;
}

// Game time runs as fast as the machine allows: every tick is a few ms.
class SimulatedClock : public Clock {
  public:
    int32_t Now = 0;
    int32_t TickCount() override { return Now; }
};

class RealClock : public Clock {
  public:
    int32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<int32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

// Every console line and message box goes to standard output.
class ConsoleUi : public Ui {
  public:
    void MessageBox(const std::string& t) override { Print("[message] " + t); }
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string& t) override { Print(t); }
    // A server's log is read as it happens, not when the program ends.
    bool FlushEachLine = false;
    // Why the session ended, unless the console has just said so.
    void Final(const std::string& t) {
        if (t != Last) Print(t);
    }

  private:
    void Print(const std::string& t) {
        Last = t;
        std::printf("%s\n", t.c_str());
        if (FlushEachLine) std::fflush(stdout);
    }
    std::string Last;
};

constexpr int32_t SimulatedStepMs = 5;

// Runs seconds of game time in simulated steps as fast as the machine allows.
void RunSimulated(TProgram& program, SimulatedClock& clock, double seconds,
                  TBotCensus* census = nullptr) {
    const int64_t endMs = static_cast<int64_t>(seconds * 1000);
    int64_t elapsed = 0;
    while (elapsed < endMs && !StopRequested && !program.App.Terminated) {
        clock.Now += SimulatedStepMs;
        elapsed += SimulatedStepMs;
        program.Form.TimerTimer();
        // Nothing draws here, so played-out explosions are cleared as a frame would.
        ExpireExplosions(*program.G);
        if (census) census->Sample(*program.G);
    }
}

} // namespace

int RunHeadless(const TOptions& o, const std::string& programFolder) {
    SimulatedClock simClock;
    RealClock realClock;
    // Other machines keep the real time: a session always runs on it.
    const bool simulated = o.Seconds && !o.Networked();
    Clock& clock = simulated ? static_cast<Clock&>(simClock) : realClock;
    SilentSound sound;
    ConsoleUi ui;
    EnetSession session;
    if (o.PerAddress) session.SetMaxPerAddress(*o.PerAddress);
    SessionNetOut net(session);
    NoDisplay display;
    SdlBitmapReader reader;
    const uint32_t seed = o.Seed ? *o.Seed : static_cast<uint32_t>(realClock.TickCount());
    TProgram program(clock, sound, ui, net, display, reader, seed, programFolder);
    net.Attach(*program.G);
    program.UseNetwork(session, net);

    // A headless host is a dedicated server: nobody sits at it, so it has no
    // player of its own, and its machine is called "server" in the session.
    TOptions opts = o;
    if (o.Host) {
        program.G->Start.Dedicated = true;
        opts.Name = "server";
        opts.TwoPlayers = false;
    }
    if (o.Record &&
        !StartRecording(program, *o.Record, "", o.Join.has_value(), clock.TickCount()).empty())
        return 1;
    const std::string error = StartProgram(program, opts);
    // The reason has been said as a message already.
    if (!error.empty()) return o.Networked() ? 1 : 2;
    if (!o.Join) std::printf("%s\n", LevelSummary(*program.G).c_str());

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    TForm1& form = program.Form;
    if (o.Networked()) {
        // Real time, the session polled between ticks, until a signal or
        // the seconds asked for. A server's log is read as it happens.
        ui.FlushEachLine = true;
        Game& g = *program.G;
        const int32_t start = realClock.TickCount();
        bool announced = false;
        int status = 0;
        // A client measures how well it keeps up; a dedicated server how
        // long its ticks take and whether the game stays sound, as does a
        // client that took the game over (its line ends "invariants hold").
        TClientMeter meter;
        TAutopilotKeys keys;
        TBotCensus census;
        std::vector<double> tickMicros;
        bool brokenSaid = false;
        g.Player1Autopilot = o.Autopilot;
        // A client may take the game over when its host leaves: from then on
        // it is measured as a server, and says where others can join it.
        bool hosting = o.Host.has_value();
        while (!StopRequested && !program.App.Terminated) {
            const int32_t now = realClock.TickCount();
            if (o.Seconds && now - start >= *o.Seconds * 1000) break;
            PumpSession(program, session, now);
            if (!hosting && session.IsHost()) {
                hosting = true;
                std::printf("Took the game over on port %u\n", session.Port());
            }
            if (!program.NetworkFailure.empty()) {
                ui.Final(program.NetworkFailure);
                status = 1;
                break;
            }
            if (form.Visible) {
                // The host's bots drive an autopilot player of its own; a
                // client's is driven here, before its tick, as keys would.
                if (o.Autopilot) ClientAutopilot(g, keys);
                const auto before = std::chrono::steady_clock::now();
                form.TimerTimer();
                if (hosting) {
                    tickMicros.push_back(std::chrono::duration<double, std::micro>(
                                             std::chrono::steady_clock::now() - before)
                                             .count());
                    census.Sample(g);
                }
                // Said the moment it breaks: a host that is killed later
                // never prints its closing line.
                if (!brokenSaid && !census.FirstBrokenInvariant.empty()) {
                    brokenSaid = true;
                    std::printf("INVARIANT BROKEN: %s\n", census.FirstBrokenInvariant.c_str());
                    std::fflush(stdout);
                }
                ExpireExplosions(g);
                if (!announced && g.LevelRunning) {
                    announced = true;
                    if (o.Join) std::printf("%s\n", LevelSummary(g).c_str());
                }
            }
            if (o.Join) {
                meter.AfterPass(g);
                meter.RoundTrip(static_cast<int32_t>(session.RoundTripMs()));
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const double seconds = (realClock.TickCount() - start) * 0.001;
        const uint64_t received = session.BytesReceived(), sent = session.BytesSent();
        program.Start.CloseSession();
        if (form.Visible) form.Hide();
        StopRecording(program);
        if (o.Join) std::printf("measured: %s\n", meter.Line(received, seconds).c_str());
        if (hosting) {
            std::printf("%s\n", ServerTickLine(std::move(tickMicros), sent, seconds).c_str());
            std::printf("%s\n", census.Report(g).c_str());
        }
        std::fflush(stdout);
        return status;
    }
    if (o.Seconds) {
        // A timed run ends with what the bots did: scores by minute, the
        // time they spent stuck, and whether every invariant held.
        TBotCensus census;
        RunSimulated(program, simClock, *o.Seconds, &census);
        std::printf("%s\n", census.Report(*program.G).c_str());
    } else {
        while (!StopRequested && !program.App.Terminated) {
            form.TimerTimer();
            ExpireExplosions(*program.G);
            // A server has nothing to draw: one tick a millisecond is plenty.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    form.Hide();
    StopRecording(program);
    std::fflush(stdout);
    return 0;
}

int RunScreenshot(const TOptions& o, const std::string& programFolder) {
    SimulatedClock clock;
    SilentSound sound;
    ConsoleUi ui;
    NullSession session; // a picture of a local match needs no network
    SessionNetOut net(session);
    NoDisplay display;
    SdlBitmapReader reader;
    TProgram program(clock, sound, ui, net, display, reader, o.Seed.value_or(1), programFolder);
    net.Attach(*program.G);
    TScreenFrame frame;
    if (!frame.Load(reader, programFolder, ui)) return 1;
    if (!StartProgram(program, o).empty()) return 2;
    RunSimulated(program, clock, o.Seconds.value_or(0));

    const TDisplayMode& mode = program.Form.Mode;
    TOffscreenCanvas canvas(mode.Width, mode.Height);
    if (!canvas.Error().empty()) {
        std::fprintf(stderr, "moorclash: %s\n", canvas.Error().c_str());
        return 1;
    }
    frame.Draw(canvas, program, clock.Now);
    std::string why;
    if (!canvas.SaveScreenshot(*o.Screenshot, &why)) {
        std::fprintf(stderr, "moorclash: %s\n", why.c_str());
        return 1;
    }
    program.Form.Hide();
    return 0;
}
