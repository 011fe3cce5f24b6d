// Watching a recording: its records fed through the client's own receive
// path at their recorded times, on a clock the watcher controls. The game
// is a client that never speaks: whatever it would send goes nowhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/program.h"
#include "net/recording.h"

// The session of a recording: open, a client, silent.
class TReplaySession : public Session {
  public:
    uint32_t Own = SpectatorId;
    uint32_t HostId = 1;
    // The watcher of a host's recording is nobody in the match.
    static constexpr uint32_t SpectatorId = 0x7FFFFFF0u;

    bool Host(const std::string&, const std::string&, uint16_t, std::string& error) override {
        error = "A recording cannot host";
        return false;
    }
    bool Join(const std::string&, uint16_t, const std::string&, std::string& error) override {
        error = "A recording cannot join";
        return false;
    }
    void Search(const std::string&, uint16_t) override {}
    bool IsOpen() const override { return true; }
    bool IsHost() const override { return false; }
    uint32_t LocalPlayerId() const override { return Own; }
    uint32_t HostPlayerId() const override { return HostId; }
    void Send(uint32_t, const uint8_t*, size_t, bool) override {}
    void Relay(uint32_t, uint32_t, const uint8_t*, size_t) override {}
    void SetPlayerLimit(int) override {}
    bool Poll(TSessionEvent&) override { return false; }
    void Close() override {}
};

// The watcher's Ui: what sets the scene for the watcher was never said on
// the recording machine, so it stays unsaid here too.
class TReplayUi : public Ui {
  public:
    explicit TReplayUi(Ui& inner) : Inner(inner) {}
    bool Muted = false;
    void MessageBox(const std::string& t) override {
        if (!Muted) Inner.MessageBox(t);
    }
    void DebugLine(const std::string& t) override { Inner.DebugLine(t); }
    void SetCaption(const std::string& t) override { Inner.SetCaption(t); }
    void ConsoleLine(const std::string& t) override {
        if (!Muted) Inner.ConsoleLine(t);
    }

  private:
    Ui& Inner;
};

class TReplayClock : public Clock {
  public:
    int32_t Now = 0;
    int32_t TickCount() override { return Now; }
};

class TReplay {
  public:
    // The game ticks every StepMs of recording time.
    static constexpr int32_t StepMs = 5;
    // A jump lands on a full status this long before its target and plays
    // the rest, so that the client's own motion has settled when it arrives.
    static constexpr int32_t JumpLeadMs = 1000;

    TReplay(TProgram& program, TReplayClock& clock, TReplaySession& session, SessionNetOut& net);

    // Takes what was read of a recording. False when there is nothing to
    // play; Problem() then says why.
    bool Load(TRecordingContents contents);
    const std::string& Problem() const { return Contents.Problem; }
    bool Damaged() const { return !Contents.Complete; }

    // Plays on to recording time ms.
    void PlayTo(int64_t ms);
    // Goes to recording time ms (back or forward): the game is rebuilt
    // from the records up to the nearest full status, then plays forward.
    void JumpTo(int64_t ms);
    int64_t Time() const { return Now; }
    int64_t Duration() const;
    bool Finished() const { return Next >= Contents.Records.size() && Now >= Duration(); }

    // Follows the next (+1) or previous (-1) vehicle: its view and HUD.
    void Follow(int step);
    int Followed() const { return FollowedTank; }

    // Nothing draws in a headless run: played-out explosions are cleared
    // as a frame would.
    bool Headless = false;
    // The Ui the program was given, when it is a TReplayUi.
    TReplayUi* Voice = nullptr;

    // One line: level, duration, winner, frags per vehicle.
    std::string Summary() const;

  private:
    void Deliver(const TRecord& r);
    void DeliverNext();
    void Tick(int64_t t);
    void Reset();
    void KeepFollowing();
    TProgram& P;
    TReplayClock& TheClock;
    TReplaySession& TheSession;
    SessionNetOut& Net;
    TRecordingContents Contents;
    size_t Next = 0;
    int64_t Now = 0;
    std::vector<std::string> LocalNames;
    std::string FollowedName;
    int FollowedTank = -1;
    static constexpr int32_t Base = 1000;
};

// The recordings in the user's own folder, newest first (file names).
std::vector<std::string> ListRecordings(const std::string& folder);
// Where the start screen's "Record matches" puts its files, made when missing.
std::string RecordingsFolder();
