// Three machines in one process over 127.0.0.1: a host and two clients,
// each a whole program with its own game, folder and ENet session, put
// together the way headless runs do it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "app/network_run.h"
#include "app/program.h"
#include "fakes/fakes.h"
#include "platform/bitmap_file.h"
#include "platform/enet_session.h"

namespace fs = std::filesystem;

namespace {

class SteadyClock : public Clock {
  public:
    int32_t TickCount() override {
        using namespace std::chrono;
        return static_cast<int32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

// A UDP port nobody holds right now on 127.0.0.1.
uint16_t FreeUdpPort() {
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

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A map of open ground with a wall ring; variant changes one inner cell.
std::string TestMap(int variant) {
    std::string text;
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 12; ++c) {
            const bool edge = r == 0 || r == 9 || c == 0 || c == 11;
            int code = edge ? 4 : 0;
            if (r == 5 && c == 5 && variant) code = 4;
            text += (c ? " " : "") + std::to_string(code);
        }
        if (r < 9) text += "\r\n";
    }
    return text; // as the game saves maps: no line end after the last row
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

    Machine(const std::string& name, uint32_t seed) {
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
        if (Program->Form.Visible) Program->Form.TimerTimer();
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

// Who drives what, in table order, as a machine sees it.
std::string Table(Game& g) {
    std::string s;
    for (int i = 0; i < g.TankCount; ++i) {
        const TTank& t = g.Tanks[i];
        s += t.Name + "/" + std::to_string(t.PlayerId) + "/" + std::to_string(t.Seat) + "/" +
             std::to_string(t.Frags) + ":" + std::to_string(t.Deaths) + " ";
    }
    return s;
}

bool Has(const std::vector<std::string>& lines, const std::string& text) {
    for (const std::string& l : lines)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

} // namespace

TEST(NetworkPlay, AHostAndTwoClientsFindJoinAndShareOneLobby) {
    const std::string port = std::to_string(FreeUdpPort());
    Machine host("host", 1), alice("alice", 2), bob("bob", 3);
    // Only the host has the level; Bob's own copy of it differs.
    host.WriteMap("Moor Test", TestMap(0));
    bob.WriteMap("Moor Test", TestMap(1));

    ASSERT_EQ(host.Start({"--host", "Moor Hall", "--port", port, "--map", "Moor Test", "--bots",
                          "2", "--name", "Hostess"}),
              "");
    ASSERT_TRUE(host.TheSession.IsHost());

    // Alice searches by typing the host's address.
    TNetworkForm& dialog = alice.Program->Network;
    ASSERT_EQ(alice.Start({"--join", "127.0.0.1:" + port, "--name", "Alice"}), "");
    dialog.HostNameChange("127.0.0.1");
    dialog.PortChange(std::stoi(port));
    dialog.SearchBtnClick(alice.TheClock.TickCount());
    ASSERT_TRUE(RunUntil({&host, &alice}, 3000, [&] { return !dialog.Found.empty(); }));
    EXPECT_EQ(dialog.Found[0].Name, "DM_Moor Hall");
    dialog.SessionListClick(0);
    EXPECT_EQ(dialog.SessionPrefix, "DM_");
    EXPECT_EQ(dialog.SessionName, "Moor Hall");

    // Bob brings two players.
    ASSERT_EQ(bob.Start({"--join", "127.0.0.1:" + port, "--name", "Bob", "--two-players"}), "");
    std::vector<Machine*> all{&host, &alice, &bob};
    ASSERT_TRUE(RunUntil(all, 10000,
                         [&] {
                             return alice.Program->Form.Visible && bob.Program->Form.Visible &&
                                    host.g().TankCount == 6 &&
                                    Table(alice.g()) == Table(host.g()) &&
                                    Table(bob.g()) == Table(host.g());
                         }))
        << "host: " << Table(host.g()) << "\nalice: " << Table(alice.g())
        << "\nbob: " << Table(bob.g());

    // Every machine holds the same table, and knows its own players.
    EXPECT_EQ(host.g().Tanks[host.g().Player1].Name, "Hostess");
    EXPECT_EQ(alice.g().Tanks[alice.g().Player1].Name, "Alice");
    EXPECT_GE(bob.g().Player2, 0);
    EXPECT_EQ(bob.g().Tanks[bob.g().Player1].PlayerId, bob.g().Tanks[bob.g().Player2].PlayerId);
    EXPECT_TRUE(Has(host.TheUi.Console, "Alice joined the game"));
    EXPECT_TRUE(Has(alice.TheUi.Console, "Bob joined the game"));

    // Alice downloaded the level; Bob kept his own copy aside and took the host's.
    const std::string hosts = ReadFile(host.Folder / "Moor Test.map");
    EXPECT_EQ(ReadFile(alice.Folder / "Moor Test.map"), hosts);
    EXPECT_EQ(ReadFile(bob.Folder / "Moor Test.map"), hosts);
    EXPECT_EQ(ReadFile(bob.Folder / "Moor Test(replaced by server map).map"), TestMap(1));
    EXPECT_TRUE(Has(alice.TheUi.Console, "Downloaded map \"Moor Test\""));
    EXPECT_TRUE(Has(bob.TheUi.Console, "Old map saved as \"Moor Test(replaced by server map)\""));
    EXPECT_EQ(alice.g().MapWidth, 12);
    EXPECT_EQ(alice.g().MapHeight, 10);

    // The host goes to the start screen: the match goes on behind it, at the
    // status rate, and the clients keep hearing it.
    host.Program->Form.Hide();
    host.Program->Start.GameStarted = true; // as if started from the start screen
    host.Program->Start.FormActivate();
    EXPECT_TRUE(host.Program->Start.ServerTimerEnabled);
    EXPECT_FALSE(host.Program->Start.TimerEnabled);
    const int32_t hostTime = host.g().GameTime, heard = alice.g().LastServerUpdate;
    ASSERT_TRUE(RunUntil(all, 3000, [&] {
        return host.g().GameTime >= hostTime + 1000 && alice.g().LastServerUpdate >= heard + 1000;
    }));
    host.Program->Start.FormDeactivate();
    EXPECT_FALSE(host.Program->Start.ServerTimerEnabled);

    // Alice leaves: her vehicle goes everywhere within three seconds.
    alice.Program->Start.CloseSession();
    ASSERT_TRUE(RunUntil({&host, &bob}, 3000,
                         [&] { return host.g().TankCount == 5 && bob.g().TankCount == 5; }));
    EXPECT_TRUE(Has(bob.TheUi.Console, "Alice left"));
    EXPECT_EQ(Table(bob.g()), Table(host.g()));
}
