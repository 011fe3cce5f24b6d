// Machines of one network game in one process over 127.0.0.1: each a whole
// program with its own game, folder and ENet session, put together the
// way headless runs do it.
#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/network_run.h"
#include "app/program.h"
#include "fakes/fakes.h"
#include "platform/bitmap_file.h"
#include "platform/enet_session.h"

namespace fs = std::filesystem;

class SteadyClock : public Clock {
  public:
    int32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<int32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

// A UDP port nobody holds right now on 127.0.0.1.
inline uint16_t FreeUdpPort() {
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

// One machine: its own folder (the program's files linked in), game and session.
struct Machine {
    fs::path Folder;
    SteadyClock TheClock;
    SilentSound Sound;
    RecordingUi TheUi;
    EnetSession TheSession;
    SessionNetOut Net{TheSession};
    NoDisplay Display;
    SdlBitmapReader Reader;
    std::unique_ptr<TProgram> Program;
    // A client's player driven by the bots' brain, as --autopilot does.
    bool Autopilot = false;
    TAutopilotKeys Keys;

    Machine(const std::string& name, uint32_t seed,
            const TEnetSessionOptions& options = TEnetSessionOptions())
        : TheSession(options) {
        Folder = fs::temp_directory_path() / ("moor_net_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        for (const auto& e : fs::directory_iterator(MOOR_BIN_DIR))
            if (e.path().extension() != ".dat" || e.path().filename() == "Credits.dat" ||
                e.path().filename() == "default settings.dat")
                fs::create_symlink(e.path(), Folder / e.path().filename());
        Program = std::make_unique<TProgram>(TheClock, Sound, TheUi, Net, Display, Reader, seed,
                                             Folder.string());
        Net.Attach(*Program->G);
        Program->UseNetwork(TheSession, Net);
    }
    ~Machine() {
        Program->Start.CloseSession();
        fs::remove_all(Folder);
    }
    void WriteMap(const std::string& name, const std::string& text) {
        fs::remove(Folder / (name + ".map"));
        std::ofstream(Folder / (name + ".map"), std::ios::binary) << text;
    }
    std::string Start(const std::vector<std::string>& args) {
        const TParseResult r = ParseOptions(args, "moorclash");
        EXPECT_EQ(r.Error, "");
        return StartProgram(*Program, r.Options);
    }
    // One pass of the program's loop.
    void Pass() {
        PumpSession(*Program, TheSession, TheClock.TickCount());
        if (Program->Form.Visible) {
            if (Autopilot) ClientAutopilot(g(), Keys);
            Program->Form.TimerTimer();
        }
        Program->Start.ServerTimerTimer(TheClock.TickCount());
    }
    Game& g() { return *Program->G; }
};

// Runs every machine's loop until done() or the time is up.
template <class F> bool RunUntil(std::vector<Machine*> ms, int timeoutMs, F done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        for (Machine* m : ms)
            m->Pass();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}
