#include "app/replay.h"

#include <algorithm>
#include <filesystem>

#include "match/net_receive.h"
#include "match/tick.h"
#include "render/frame.h"
#include "sim/vehicles.h"
#include "world/game_folders.h"
#include "world/text_file.h"

namespace {

bool IsStatus(const TRecord& r) {
    uint32_t type = 0;
    return r.Kind == rkMessage && BlockType(r.Data.data(), r.Data.size(), type) &&
           type == MsgStatus;
}

int64_t GridCeil(int64_t ms) {
    return (ms + TReplay::StepMs - 1) / TReplay::StepMs * TReplay::StepMs;
}

std::string Text(const TRecord& r) {
    return std::string(r.Data.begin(), r.Data.end());
}

// Names one a line, as a file carries them: control bytes become "_" and
// none is longer than a name field on the screen could hold.
std::vector<std::string> Lines(const TRecord& r) {
    constexpr size_t Longest = 64;
    std::vector<std::string> lines;
    std::string line;
    for (const uint8_t c : r.Data) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (line.size() < Longest) {
            line.push_back(c < 0x20 || c == 0x7F ? '_' : static_cast<char>(c));
        }
    }
    return lines;
}

} // namespace

TReplay::TReplay(TProgram& program, TReplayClock& clock, TReplaySession& session,
                 SessionNetOut& net)
    : P(program), TheClock(clock), TheSession(session), Net(net) {}

bool TReplay::Load(TRecordingContents contents) {
    Contents = std::move(contents);
    std::vector<TRecord>& records = Contents.Records;
    if (records.empty()) {
        if (Contents.Problem.empty()) Contents.Problem = "the recording holds nothing";
        return false;
    }
    const TRecord& info = records.front();
    const bool client = !info.Data.empty() && info.Data[0] == roleClient;
    TheSession.Own = client ? info.Player : TReplaySession::SpectatorId;
    // The host is whoever sent the first set-up.
    bool setup = false;
    for (const TRecord& r : records) {
        uint32_t type = 0;
        if (r.Kind == rkMessage && BlockType(r.Data.data(), r.Data.size(), type) &&
            type == MsgSetup && r.Player != 0 && r.Player != TheSession.Own) {
            TheSession.HostId = r.Player;
            setup = true;
            break;
        }
    }
    if (!setup) {
        if (Contents.Problem.empty()) Contents.Problem = "the recording holds no game set-up";
        Contents.Complete = false;
        return false;
    }
    Game& g = *P.G;
    g.NetworkGame = true;
    g.ClientMode = true;
    g.Replaying = true;
    g.TwoPlayers = false;
    g.LocalPlayerId = static_cast<int32_t>(TheSession.Own);
    g.Start.NewGameRequested = true;
    g.Start.LevelList.clear();
    ClearReadiness(g);
    Next = 0;
    Now = 0;
    TheClock.Now = Base;
    // The game's clock starts over too: a level begun anew is timed from
    // the recording's start, not from where play stood.
    g.TickNow = g.LastTick = g.HeardTick = Base;
    return true;
}

int64_t TReplay::Duration() const {
    return Contents.Records.empty() ? 0 : Contents.Records.back().At;
}

void TReplay::Deliver(const TRecord& r) {
    Game& g = *P.G;
    // The receive path reads the time of the last tick, as on the
    // recording machine, and hears the record when it was heard there; a
    // window shown now starts its level now.
    TheClock.Now = Base + static_cast<int32_t>(r.At);
    g.HeardTick = TheClock.Now;
    TSessionEvent e;
    e.Player = r.Player;
    switch (r.Kind) {
    case rkMessage:
    case rkScene:
        e.Kind = TSessionEvent::Message;
        e.Data = r.Data;
        break;
    case rkPlayerAdded:
        e.Kind = TSessionEvent::PlayerAdded;
        e.Name = Text(r);
        break;
    case rkPlayerDeleted:
        e.Kind = TSessionEvent::PlayerDeleted;
        break;
    case rkClosed:
        e.Kind = TSessionEvent::Closed;
        e.Text = Text(r);
        break;
    case rkLocalPlayers:
        LocalNames = Lines(r);
        return;
    case rkNames: {
        const std::vector<std::string> names = Lines(r);
        for (size_t i = 0; i < names.size() && static_cast<int>(i) < g.TankCount; ++i)
            if (!names[i].empty()) g.Tanks[i].Name = names[i];
        KeepFollowing();
        return;
    }
    default:
        return;
    }
    if (Voice) Voice->Muted = r.Kind == rkScene;
    HandleSessionEvent(g, Net, e);
    if (Voice) Voice->Muted = false;
    KeepFollowing();
}

void TReplay::DeliverNext() {
    const std::vector<TRecord>& records = Contents.Records;
    const TRecord& r = records[Next++];
    Deliver(r);
    // The game window shows once the host's game is in, as for a client:
    // after the last event of the pass that brought it.
    const bool passOver = Next >= records.size() || records[Next].At != r.At;
    if (passOver && ClientReady(*P.G) && !P.Form.Visible) {
        P.Form.Show();
        KeepFollowing();
    }
}

void TReplay::KeepFollowing() {
    Game& g = *P.G;
    if (g.TankCount <= 0) return;
    if (FollowedName.empty()) {
        if (TheSession.Own != TReplaySession::SpectatorId && IsTankIndex(g, g.Player1))
            FollowedName = g.Tanks[g.Player1].Name;
        else if (!LocalNames.empty())
            FollowedName = LocalNames.front();
        else
            FollowedName = g.Tanks[0].Name;
    }
    int found = -1;
    for (int i = 0; i < g.TankCount && found < 0; ++i)
        if (g.Tanks[i].Name == FollowedName) found = i;
    if (found < 0) found = IsTankIndex(g, FollowedTank) ? FollowedTank : 0;
    FollowedTank = found;
    g.Player1 = g.LeftViewPlayer = found;
    g.SplitScreen = false;
}

void TReplay::Follow(int step) {
    Game& g = *P.G;
    if (g.TankCount <= 0) return;
    const int from = IsTankIndex(g, FollowedTank) ? FollowedTank : 0;
    const int to = ((from + step) % g.TankCount + g.TankCount) % g.TankCount;
    FollowedName = g.Tanks[to].Name;
    FollowedTank = to;
    KeepFollowing();
}

void TReplay::Tick(int64_t t) {
    Game& g = *P.G;
    Now = t;
    TheClock.Now = Base + static_cast<int32_t>(t);
    if (!g.GameWindowShown) return;
    GameTick(g, TheClock.Now);
    if (Headless) ExpireExplosions(g);
}

void TReplay::PlayTo(int64_t ms) {
    const std::vector<TRecord>& records = Contents.Records;
    while (Now + StepMs <= ms) {
        const int64_t t = Now + StepMs;
        while (Next < records.size() && records[Next].At <= t)
            DeliverNext();
        Tick(t);
    }
}

void TReplay::Reset() {
    Game& g = *P.G;
    // The client forgets the host's game, as on joining anew.
    ClearReadiness(g);
    for (int i = g.TankCount - 1; i >= 0; --i)
        RemoveTank(g, i);
    g.TankCount = 0;
    g.TeamCount = 0;
    g.LevelRunning = false;
    g.MapReceived = g.StatusReceived = false;
    g.LastServerUpdate = -1000;
    Next = 0;
    Now = 0;
    TheClock.Now = Base;
    // The game's clock starts over too: a level begun anew is timed from
    // the recording's start, not from where play stood.
    g.TickNow = g.LastTick = g.HeardTick = Base;
}

void TReplay::JumpTo(int64_t ms) {
    const std::vector<TRecord>& records = Contents.Records;
    ms = std::clamp<int64_t>(ms, 0, Duration());
    if (ms < Now) Reset();
    // The last full status early enough to settle before the target.
    size_t landing = records.size();
    for (size_t k = Next; k < records.size() && records[k].At + JumpLeadMs <= ms; ++k)
        if (IsStatus(records[k])) landing = k;
    if (landing < records.size()) {
        const int64_t end = GridCeil(records[landing].At);
        // Everything up to there arrives; the game moves only with a status.
        while (Next < records.size() && records[Next].At <= end) {
            const int64_t t = std::max(Now, GridCeil(records[Next].At));
            bool status = false;
            while (Next < records.size() && records[Next].At <= t) {
                status = status || IsStatus(records[Next]);
                DeliverNext();
            }
            if (status)
                Tick(t);
            else
                Now = t;
        }
    }
    PlayTo(ms);
}

std::string TReplay::Summary() const {
    const Game& g = *P.G;
    std::string winner = "nobody";
    if (g.TeamGame && g.TeamCount > 0)
        winner = g.Teams[g.TeamOrder[0]].TeamName;
    else if (g.TankCount > 0)
        winner = g.Tanks[g.RankOrder[0]].Name;
    std::string line = "Replay: level \"" + g.CurrentMapName + "\", " + MinutesSeconds(Duration()) +
                       ", " + (g.LevelRunning ? "leader " : "winner ") + winner + ", frags:";
    for (int i = 0; i < g.TankCount; ++i)
        line += (i ? ", " : " ") + g.Tanks[i].Name + " " + std::to_string(g.Tanks[i].Frags);
    return line;
}

std::vector<std::string> ListRecordings(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (!entry.is_regular_file(ec)) continue;
        const std::filesystem::path& p = entry.path();
        if (p.extension() == ".moorrec") names.push_back(p.filename().string());
    }
    // Named by date first: the newest at the top.
    std::sort(names.rbegin(), names.rend());
    return names;
}

std::string RecordingsFolder() {
    const std::string& maps = UserMapsFolder();
    return FolderFile(maps.empty() ? std::string(".") : maps, "recordings");
}
