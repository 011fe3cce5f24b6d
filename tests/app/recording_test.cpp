// Recordings made in process: a host with bots and a client over the
// in-memory session both record two minutes; played back through the
// client's receive path, each recording tells its console line for line,
// a jump lands where straight play goes, and a damaged file plays up to
// the damage and says where.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/network_run.h"
#include "app/program.h"
#include "app/recorder.h"
#include "app/replay.h"
#include "fakes/fakes.h"
#include "fakes/loop_session.h"
#include "platform/bitmap_file.h"
#include "render/frame.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t MatchMs = 120000;

// One machine of the recorded match, put together as headless runs do.
struct Machine {
    ManualClock TheClock;
    SilentSound Sound;
    RecordingUi TheUi;
    LoopSession Session;
    SessionNetOut Net{Session};
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;

    Machine(LoopHub& hub, uint32_t seed)
        : Session(hub), Program(TheClock, Sound, TheUi, Net, Display, Reader, seed, MOOR_BIN_DIR) {
        Net.Attach(*Program.G);
        Program.UseNetwork(Session, Net);
    }
    std::string Start(const std::vector<std::string>& args) {
        const TParseResult r = ParseOptions(args, "moorclash");
        EXPECT_EQ(r.Error, "");
        return StartProgram(Program, r.Options);
    }
    void Pass(int32_t ms) {
        TheClock.Advance(ms);
        PumpSession(Program, Session, TheClock.Now);
        if (!Program.Form.Visible) return;
        Program.Form.TimerTimer();
        ExpireExplosions(*Program.G);
    }
};

// A recording played back in process.
struct Playback {
    TReplayClock Clock;
    SilentSound Sound;
    RecordingUi TheUi;
    TReplayUi Voice{TheUi};
    TReplaySession Session;
    SessionNetOut Net{Session};
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    TReplay Replay;
    bool Loaded = false;

    explicit Playback(TRecordingContents contents)
        : Program(Clock, Sound, Voice, Net, Display, Reader, 1, MOOR_BIN_DIR),
          Replay(Program, Clock, Session, Net) {
        Net.Attach(*Program.G);
        EXPECT_EQ(CreateWindows(Program, TOptions{}), "");
        Replay.Headless = true;
        Replay.Voice = &Voice;
        Loaded = Replay.Load(std::move(contents));
    }
    explicit Playback(const fs::path& file) : Playback(ReadRecordingFile(file.string())) {}
    void ToEnd() { Replay.PlayTo(Replay.Duration() + TReplay::StepMs); }
    std::vector<TVector> Positions() const {
        std::vector<TVector> at;
        for (int i = 0; i < Program.G->TankCount; ++i)
            at.push_back(Program.G->Tanks[i].Position);
        return at;
    }
};

std::vector<uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Recording : public ::testing::Test {
  protected:
    static fs::path Folder;
    static std::vector<std::string> HostConsole, ClientConsole;
    static std::vector<int> HostFrags;

    // Two minutes of a host with six bots and a visitor, each recording.
    static void SetUpTestSuite() {
        Folder = fs::temp_directory_path() / ("moor_recording_" + std::to_string(getpid()));
        fs::create_directories(Folder);
        LoopHub hub;
        Machine host(hub, 7), client(hub, 8);
        ASSERT_EQ(StartRecording(host.Program, (Folder / "host.moorrec").string(), "", false,
                                 host.TheClock.Now),
                  "");
        ASSERT_EQ(host.Start({"--host", "Rec", "--bots", "6", "--seed", "7", "--map", "Green Acres",
                              "--fraglimit", "1000", "--name", "Keeper"}),
                  "");
        for (int k = 0; k < 100; ++k)
            host.Pass(5);
        ASSERT_EQ(StartRecording(client.Program, (Folder / "client.moorrec").string(), "", true,
                                 client.TheClock.Now),
                  "");
        ASSERT_EQ(client.Start({"--join", "127.0.0.1", "--name", "Visitor"}), "");
        for (int32_t t = 0; t < MatchMs; t += 5) {
            host.Pass(5);
            client.Pass(5);
        }
        StopRecording(host.Program);
        StopRecording(client.Program);
        ASSERT_TRUE(client.Program.Form.Visible) << "the client never got into the match";
        HostConsole = host.TheUi.Console;
        ClientConsole = client.TheUi.Console;
        for (int i = 0; i < host.Program.G->TankCount; ++i)
            HostFrags.push_back(host.Program.G->Tanks[i].Frags);
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        fs::remove_all(Folder, ec);
    }
};

fs::path Recording::Folder;
std::vector<std::string> Recording::HostConsole, Recording::ClientConsole;
std::vector<int> Recording::HostFrags;

TEST_F(Recording, HostAndClientRecordingsReplayTheirConsolesLineForLine) {
    // Enough happened to be worth comparing: kills and the visitor's arrival.
    ASSERT_GT(HostConsole.size(), 20u);
    int kills = 0;
    for (int f : HostFrags)
        kills += f;
    EXPECT_GT(kills, 5);

    Playback host(Folder / "host.moorrec");
    ASSERT_TRUE(host.Loaded) << host.Replay.Problem();
    EXPECT_FALSE(host.Replay.Damaged()) << host.Replay.Problem();
    EXPECT_NEAR(static_cast<double>(host.Replay.Duration()), MatchMs + 500, 50);
    host.ToEnd();
    EXPECT_EQ(host.TheUi.Console, HostConsole);
    ASSERT_EQ(host.Program.G->TankCount, static_cast<int>(HostFrags.size()));
    for (int i = 0; i < host.Program.G->TankCount; ++i)
        EXPECT_EQ(host.Program.G->Tanks[i].Frags, HostFrags[i]) << i;
    const std::string summary = host.Replay.Summary();
    EXPECT_NE(summary.find("level \"Green Acres\", 2:00, leader "), std::string::npos) << summary;
    EXPECT_NE(summary.find("Visitor "), std::string::npos) << summary;
    // The host's own player is the one followed.
    EXPECT_EQ(host.Program.G->Tanks[host.Replay.Followed()].Name, "Keeper");

    // On a link this fast the visitor's round trips are a pass or two, and
    // a clock once set stays in step: no ping on every status.
    int pings = 0;
    for (const std::string& line : ClientConsole) {
        if (line.rfind("Ping = ", 0) != 0) continue;
        ++pings;
        EXPECT_LE(std::stoi(line.substr(7)), 10) << line;
    }
    EXPECT_GE(pings, 1);
    EXPECT_LE(pings, 5);

    Playback client(Folder / "client.moorrec");
    ASSERT_TRUE(client.Loaded) << client.Replay.Problem();
    client.ToEnd();
    EXPECT_EQ(client.TheUi.Console, ClientConsole);
    EXPECT_EQ(client.Program.G->Tanks[client.Replay.Followed()].Name, "Visitor");
}

TEST_F(Recording, AJumpLandsWhereStraightPlayGoes) {
    Playback straight(Folder / "host.moorrec");
    straight.Replay.PlayTo(65000);
    const std::vector<TVector> expected = straight.Positions();
    ASSERT_GT(expected.size(), 6u);

    Playback back(Folder / "host.moorrec"), forward(Folder / "host.moorrec");
    back.Replay.PlayTo(90000);
    back.Replay.JumpTo(back.Replay.Time() - 30000);
    forward.Replay.JumpTo(60000);
    for (Playback* p : {&back, &forward}) {
        ASSERT_EQ(p->Replay.Time(), 60000);
        p->Replay.PlayTo(65000);
        const std::vector<TVector> at = p->Positions();
        ASSERT_EQ(at.size(), expected.size());
        for (size_t i = 0; i < at.size(); ++i) {
            EXPECT_NEAR(at[i].x, expected[i].x, 1.0) << i;
            EXPECT_NEAR(at[i].y, expected[i].y, 1.0) << i;
        }
    }
}

TEST_F(Recording, ADamagedFilePlaysUpToTheDamageAndSaysWhere) {
    const std::vector<uint8_t> whole = Bytes(Folder / "host.moorrec");
    ASSERT_GT(whole.size(), 1000u);

    // Cut short: every whole chunk before the cut plays.
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + whole.size() * 2 / 3);
    TRecordingContents c = ReadRecording(cut.data(), cut.size());
    EXPECT_FALSE(c.Complete);
    EXPECT_NE(c.Problem.find("ends early at byte "), std::string::npos) << c.Problem;
    ASSERT_FALSE(c.Records.empty());
    Playback shortened(std::move(c));
    ASSERT_TRUE(shortened.Loaded);
    shortened.ToEnd();
    const std::vector<std::string>& partial = shortened.TheUi.Console;
    ASSERT_GT(partial.size(), 5u);
    ASSERT_LT(partial.size(), HostConsole.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), HostConsole.begin()));

    // A flipped byte in the middle: refused from that chunk on.
    std::vector<uint8_t> bent = whole;
    bent[bent.size() / 2] ^= 0x5A;
    c = ReadRecording(bent.data(), bent.size());
    EXPECT_NE(c.Problem.find("damaged at byte "), std::string::npos) << c.Problem;
    EXPECT_FALSE(c.Records.empty());

    // Another version, or no recording at all, is refused outright.
    std::vector<uint8_t> other = whole;
    other[8] = 2;
    c = ReadRecording(other.data(), other.size());
    EXPECT_TRUE(c.Refused);
    EXPECT_EQ(c.Problem, "a recording of format version 2; this game plays version 1 only");
    c = ReadRecording(whole.data() + 1, whole.size() - 1);
    EXPECT_TRUE(c.Refused);
}

} // namespace
