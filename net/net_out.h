// What the simulation tells the other machines, put on the wire: every
// sender encodes its message and hands it to the session. Nothing is sent
// while no session is open, so a local game may hold this one too.
#pragma once

#include <map>
#include <string>

#include "core/game.h"
#include "core/services.h"
#include "net/messages.h"
#include "net/recording.h"
#include "net/status.h"

class SessionNetOut : public NetOut {
  public:
    explicit SessionNetOut(Session& session) : TheSession(session) {}
    // The game whose tables the senders read (made after this object).
    void Attach(Game& g) { G = &g; }
    Session& session() { return TheSession; }
    // A machine that runs the match (local, host, server) and records it
    // puts what it sends to all into the recording too; a match recorded
    // without a session sends into the recording alone. Null: no recording.
    void RecordTo(TRecordingWriter* recording) { Recording = recording; }
    TRecordingWriter* Recorder() const { return Recording; }
    bool Open() const { return G && (TheSession.IsOpen() || Recording); }
    // The id a recording names this machine by (a local match has none: 1).
    uint32_t RecordedId() const;

    uint32_t LocalPlayerId() override { return TheSession.LocalPlayerId(); }
    // A machine without a session decides for itself.
    bool IsHost() override { return !TheSession.IsOpen() || TheSession.IsHost(); }
    void SendAppearance(int tank, int32_t body, int32_t second, int32_t paintJob) override;
    void SendGunSound(int tank, int onOff) override;
    void SendPositionalSound(int sound, TVector at) override;
    void SendRail(TVector start, TVector end, int32_t gameTime) override;
    void SendBomblets(int first, int count) override;
    void SendRocket(int rocket) override;
    void SendBfgBall(int ball) override;
    void SendMine(int mine) override;
    void SendExplosion(int kind, TVector at) override;
    void SendRocketExploded(int32_t id) override;
    void SendBfgExploded(int32_t id) override;
    void SendMineExploded(int32_t id) override;
    void SendKill(int victim, int killer) override;
    void SendMultiKill(int tank, int count) override;
    void SendText(uint32_t to, int kind, const std::string& text) override;
    void SendOrder(uint32_t to, int mate, int order, int from) override;
    void SendGameSetup() override { SendSetupTo(AllPlayers); }
    void SendBaseList() override { SendBaseListTo(AllPlayers); }
    void SendTankList() override { SendTankListTo(AllPlayers); }
    void SendControl(int tank, int action, bool pressed) override;
    void SendPing() override;
    void SendRemoteShutdown() override;
    void SendScore() override { SendScoreTo(AllPlayers); }
    void SendStatus() override;
    // A built status, checked against its own header, stamped with the
    // roster generation it was built for and sent without guarantee to one
    // machine or all.
    void SendStatusMsg(const TStatusMsg& m, uint32_t to = AllPlayers);
    // The whole status cut for each other machine (StatusFor) and sent to it.
    void SendStatusToEach(const TStatusMsg& whole);
    // The box of a status that fails its check shows at most once a second.
    static constexpr int32_t StatusErrorGapMs = 1000;

    // The lobby's senders, to one player or (0) to all.
    static constexpr uint32_t AllPlayers = 0;
    void SendSetupTo(uint32_t to);
    void SendMapTo(uint32_t to);
    void SendMapRequest();
    void SendTankListTo(uint32_t to);
    // A joining client's own players (at most two).
    void SendOwnTankList(const std::vector<TTankEntry>& entries);
    void SendPingTo(uint32_t to);
    void SendScoreTo(uint32_t to);
    void SendBaseListTo(uint32_t to);
    void SendMineList();
    void SendAppearanceOf(int tank, uint32_t to);

    // The raw block, to a player or to all; never to this machine itself
    // (its own rules applied the change already).
    void Put(uint32_t to, const TBlock& block, bool guaranteed = true);
    // The player id a client's requests go to.
    uint32_t Server() const;
    // What a client joining now would be sent after the set-up, as from
    // player from: the map (unless withMap is false), the vehicle list,
    // scores, bases, and whose players these are.
    void RecordJoinerView(uint32_t from, bool withMap = true);
    // A new level's set-up goes out: a recording kept a file a level
    // begins its next file.
    void RecordNewLevel();
    // Host only: passes on a client's message as from that client (and
    // records it when it goes to all).
    void Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size);

  private:
    void Event(uint8_t code, std::vector<float> values);
    TBlock BaseListBlock() const;
    void Record(const TBlock& block, uint32_t from, uint8_t kind = rkMessage);
    void RecordNames();
    Session& TheSession;
    TRecordingWriter* Recording = nullptr;
    Game* G = nullptr;
    TStatusMsg StatusScratch, ClientStatus;
    // Per machine: where its status's bullets go on (see StatusFor).
    std::map<uint32_t, TStatusCursor> StatusCursors;
    TStatusCursor RecordCursor;
    TBlock StatusBlock;
};

// A vehicle as a vehicle-list entry.
TTankEntry TankEntryOf(const TTank& t);
// The host's set-up message for its current game.
TSetupMsg SetupOf(const Game& g);
// The loaded map as a map message; false when it is too large to travel.
bool MapMsgOf(const Game& g, TMapMsg& m);
