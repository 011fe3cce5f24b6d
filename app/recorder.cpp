#include "app/recorder.h"

#include "net/messages.h"
#include "world/game_folders.h"

namespace {

bool IsSetup(const TSessionEvent& e) {
    uint32_t type = 0;
    return e.Kind == TSessionEvent::Message && BlockType(e.Data.data(), e.Data.size(), type) &&
           type == MsgSetup;
}

uint32_t Now(const Game& g) {
    return static_cast<uint32_t>(g.TickNow);
}

} // namespace

std::string StartRecording(TProgram& p, const std::string& file, const std::string& folder,
                           bool client, int32_t nowMs) {
    Game& g = *p.G;
    // The match has not ticked yet: what it sends at its start is stamped now.
    if (g.TickNow < nowMs) g.TickNow = nowMs;
    TRecordingWriter& w = p.Recorder;
    p.RecordFile = file;
    if (file.empty()) {
        const std::string error = PrepareWritableFolder(folder);
        if (!error.empty()) {
            g.TheUi.MessageBox("Matches are not recorded: " + error);
            return error;
        }
    }
    if (client) {
        // The host's id for us comes with the join.
        p.RecordOnJoin = true;
        if (!file.empty()) {
            // Said now rather than after the join: the file must be writable.
            TRecordingWriter probe;
            if (!probe.Open(file, roleClient, 0, 0, 0)) {
                g.TheUi.MessageBox(probe.Error());
                p.RecordOnJoin = false;
                return probe.Error();
            }
        } else {
            w.RecordLevelsInto(folder, roleClient, 0);
        }
        return {};
    }
    const uint8_t role = p.Net && p.Net->session().IsOpen() ? roleHost : roleLocal;
    const uint32_t id = p.Net ? p.Net->RecordedId() : 1;
    if (!file.empty()) {
        if (!w.Open(file, role, id, Now(g), g.GameTime)) {
            g.TheUi.MessageBox(w.Error());
            return w.Error();
        }
    } else {
        w.RecordLevelsInto(folder, role, id);
    }
    if (p.Net) p.Net->RecordTo(&w);
    g.Recording = true;
    return {};
}

void StopRecording(TProgram& p) {
    p.Recorder.Close();
    if (p.Net) p.Net->RecordTo(nullptr);
    p.G->Recording = false;
    p.RecordOnJoin = false;
}

void RecordSessionEvent(TProgram& p, const TSessionEvent& e, int32_t clock) {
    // A client stamps what it hears with the clock of the pass that heard it.
    const uint32_t nowMs = static_cast<uint32_t>(clock);
    Game& g = *p.G;
    TRecordingWriter& w = p.Recorder;
    if (e.Kind == TSessionEvent::Joined && (p.RecordOnJoin || w.PerLevel()) && p.Net) {
        p.RecordOnJoin = false;
        const uint32_t id = p.Net->session().LocalPlayerId();
        if (w.PerLevel())
            w.RecordLevelsInto(w.Folder(), roleClient, id);
        else if (!w.Open(p.RecordFile, roleClient, id, nowMs, g.GameTime))
            g.TheUi.MessageBox(w.Error());
        p.Net->RecordTo(&w);
        return;
    }
    if (!p.Net || !p.Net->Recorder()) return;
    const bool client = g.ClientMode;
    switch (e.Kind) {
    case TSessionEvent::Message:
        if (!client) return; // the host records what it passes on, as it passes it
        if (IsSetup(e) && w.PerLevel()) {
            p.RecordFreshLevel = true;
            TSetupMsg m;
            size_t expected = 0;
            if (DecodeSetup(e.Data.data(), e.Data.size(), m, expected))
                w.NextLevel(m.MapName,
                            m.Style == 2   ? "Capture The Cow"
                            : m.Style == 1 ? "Team War"
                                           : "Deathmatch",
                            nowMs, g.GameTime);
        }
        w.Add(rkMessage, nowMs, g.GameTime, e.Player, e.Data.data(), e.Data.size());
        return;
    case TSessionEvent::PlayerAdded:
        // A host's own arrival is no news to anybody.
        if (e.Player == p.Net->session().LocalPlayerId()) return;
        w.Add(rkPlayerAdded, nowMs, g.GameTime, e.Player, e.Name);
        return;
    case TSessionEvent::PlayerDeleted:
        w.Add(rkPlayerDeleted, nowMs, g.GameTime, e.Player, nullptr, 0);
        return;
    case TSessionEvent::Closed:
        w.Add(rkClosed, nowMs, g.GameTime, e.Player, e.Text);
        return;
    default:
        return;
    }
}

void RecordAfterSessionEvent(TProgram& p, const TSessionEvent& e, int32_t nowMs) {
    Game& g = *p.G;
    if (!p.Net || !p.Net->Recorder() || !g.ClientMode || !IsSetup(e)) return;
    const bool fresh = p.RecordFreshLevel;
    p.RecordFreshLevel = false;
    // A file a level begins with what a joining client is told; a client
    // with the map at home asked for none, so the recording carries it.
    if (fresh && g.HaveTanklist) {
        p.Net->RecordJoinerView(e.Player, g.HaveMap);
    } else if (g.HaveMap) {
        TMapMsg map;
        if (!MapMsgOf(g, map)) return;
        const TBlock block = EncodeMap(map);
        p.Recorder.Add(rkScene, nowMs, g.GameTime, e.Player, block.data(), block.size());
    }
}
