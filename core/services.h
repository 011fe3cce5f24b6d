// How the game reaches the outside world. The platform layer implements
// these; tests hand in fakes. Nothing here knows which it got.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/vectors2d.h"

// Millisecond tick count (since some arbitrary start). The program's loop
// reads it and hands the reading to the tick; the game never reads a clock.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual int32_t TickCount() = 0;
};

// One seeded generator per machine, so a seed replays the same match.
class Random {
  public:
    explicit Random(uint32_t seed = 1) : Engine(seed) {}
    void Seed(uint32_t seed) { Engine.seed(seed); }
    // 0 .. n-1; 0 when n <= 0.
    int Int(int n) {
        if (n <= 0) return 0;
        return std::uniform_int_distribution<int>(0, n - 1)(Engine);
    }
    // [0, 1)
    double Real() { return std::uniform_real_distribution<double>(0.0, 1.0)(Engine); }

  private:
    std::mt19937 Engine;
};

// Sounds are addressed by their index in the sound list.
class SoundOut {
  public:
    virtual ~SoundOut() = default;
    virtual void Play(int sound) = 0;
    virtual void Stop(int sound) = 0;
    virtual bool IsPlaying(int sound) = 0;
    // Hundredths of a decibel, 0 = full, negative is quieter.
    virtual void SetVolume(int sound, int hundredthsDb) = 0;
    virtual int Volume(int sound) = 0;
    // -10000 (left) .. +10000 (right).
    virtual void SetPan(int sound, int pan) = 0;
    // Playback rate in Hz.
    virtual void SetFrequency(int sound, int hz) = 0;
    virtual int Frequency(int sound) = 0;
    virtual void SetLoop(int sound, bool loop) = 0;
    // Appends an empty sound and returns its index (-1 when impossible).
    virtual int AddSound() = 0;
    // Gives sound dst the wave of sound src (volume, pan and frequency of dst stay).
    virtual void CopyWave(int dst, int src) = 0;
    virtual int SoundCount() = 0;
};

// Messages for the person in front of the machine. Never blocks the tick.
class Ui {
  public:
    virtual ~Ui() = default;
    virtual void MessageBox(const std::string& text) = 0;
    // A trace line for the developer list.
    virtual void DebugLine(const std::string& text) = 0;
    virtual void SetCaption(const std::string& text) = 0;
    // Every console line also passes through here (headless runs print them).
    virtual void ConsoleLine(const std::string& text) = 0;
};

// Nobody in front of the machine: benchmarks and fuzzing.
class NullUi : public Ui {
  public:
    void MessageBox(const std::string&) override {}
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string&) override {}
};

// What the simulation tells the other machines of a network game. The
// network layer implements it (it encodes the messages, reading the new
// pool entries by their index); a local game holds the no-op one, tests a
// recorder.
class NetOut {
  public:
    virtual ~NetOut() = default;
    virtual uint32_t LocalPlayerId() = 0;
    virtual bool IsHost() = 0;
    // Vehicle tank's new looks (colours 0x00BBGGRR, paint job -1 none): a
    // host sends what it applied, a client asks for a change it applies only
    // when the host's copy comes back.
    virtual void SendAppearance(int tank, int32_t body, int32_t second, int32_t paintJob) = 0;
    // Vehicle tank's machine gun starts (+1) or stops (-1) sounding.
    virtual void SendGunSound(int tank, int onOff) = 0;
    virtual void SendPositionalSound(int sound, TVector at) = 0;
    virtual void SendRail(TVector start, TVector end, int32_t gameTime) = 0;
    // The count new bomblets of one cluster shot, from pool index first (one
    // event); a new entry of the rocket, BFG ball or mine pool.
    virtual void SendBomblets(int first, int count) = 0;
    virtual void SendRocket(int rocket) = 0;
    virtual void SendBfgBall(int ball) = 0;
    virtual void SendMine(int mine) = 0;
    virtual void SendExplosion(int kind, TVector at) = 0;
    virtual void SendRocketExploded(int32_t id) = 0;
    virtual void SendBfgExploded(int32_t id) = 0;
    virtual void SendMineExploded(int32_t id) = 0;
    // Vehicle killer killed vehicle victim (the host tells, clients announce).
    virtual void SendKill(int victim, int killer) = 0;
    // A kill chain of count for a vehicle of another machine to announce.
    virtual void SendMultiKill(int tank, int count) = 0;
    // A line of text: to a player id (0 all); kind is the owner vehicle (255
    // none), vehicle + 64 for a chat line, vehicle + 128 for a personal one.
    virtual void SendText(uint32_t to, int kind, const std::string& text) = 0;
    // A team order for vehicle mate from vehicle from.
    virtual void SendOrder(uint32_t to, int mate, int order, int from) = 0;
    // A new level: the match settings, the teams' bases, the vehicle list.
    virtual void SendGameSetup() = 0;
    virtual void SendBaseList() = 0;
    virtual void SendTankList() = 0;
    // A local player's control action (pressed or released) for its vehicle
    // tank; the message carries the vehicle's seat.
    virtual void SendControl(int tank, int action, bool pressed) = 0;
    // A client asks the server for the time (clock synchronisation).
    virtual void SendPing() = 0;
    // The developers' key: ends the program on every machine.
    virtual void SendRemoteShutdown() = 0;
    // The scores changed (a kill, a cow scored): every frag, death and team score.
    virtual void SendScore() = 0;
    // The regular game status (without guarantee).
    virtual void SendStatus() = 0;
};

class NullNetOut : public NetOut {
  public:
    uint32_t LocalPlayerId() override { return 0; }
    bool IsHost() override { return true; }
    void SendAppearance(int, int32_t, int32_t, int32_t) override {}
    void SendGunSound(int, int) override {}
    void SendPositionalSound(int, TVector) override {}
    void SendRail(TVector, TVector, int32_t) override {}
    void SendBomblets(int, int) override {}
    void SendRocket(int) override {}
    void SendBfgBall(int) override {}
    void SendMine(int) override {}
    void SendExplosion(int, TVector) override {}
    void SendRocketExploded(int32_t) override {}
    void SendBfgExploded(int32_t) override {}
    void SendMineExploded(int32_t) override {}
    void SendKill(int, int) override {}
    void SendMultiKill(int, int) override {}
    void SendText(uint32_t, int, const std::string&) override {}
    void SendOrder(uint32_t, int, int, int) override {}
    void SendGameSetup() override {}
    void SendBaseList() override {}
    void SendTankList() override {}
    void SendControl(int, int, bool) override {}
    void SendPing() override {}
    void SendRemoteShutdown() override {}
    void SendScore() override {}
    void SendStatus() override {}
};

// ---------------------------------------------------------------------------
// The network session: moves message blocks between the machines of one
// game, nothing else. The ENet implementation lives in platform/; the game
// polls it on its own thread every pass of the loop (nothing here blocks).

// A session found by a search.
struct TFoundSession {
    std::string Name;    // with its "DM_" / "TW_" / "CTC_" prefix
    std::string Address; // dotted IPv4 of the host
    uint16_t Port = 0;
    int Players = 0;
    int Limit = 0; // 0: no limit
};

struct TSessionEvent {
    enum TKind {
        Joined,        // our join was accepted: LocalPlayerId() is valid now
        Refused,       // our join failed; Text says why, for the person
        PlayerAdded,   // Player (with Name) is in the session; may be this machine
        PlayerDeleted, // Player left (or was dropped: then Text says why, for the console)
        Message,       // a message block: Player sent it, To is its addressee
        Found,         // a search answer: Info
        Closed,        // the session ended (host gone, closed here); Text says why
        PlayerBack,    // host: Player came over after this machine took the session over
    };
    TKind Kind = Message;
    uint32_t Player = 0; // who: for Message the sender, taken from the connection
    uint32_t To = 0;     // Message only: 0 all, else one player id
    std::string Name;
    std::string Text;
    std::vector<uint8_t> Data;
    TFoundSession Info;
};

class Session {
  public:
    virtual ~Session() = default;
    // port 0: the game's default port. A taken port tries the next three.
    virtual bool Host(const std::string& sessionName, const std::string& playerName, uint16_t port,
                      std::string& error) = 0;
    // Starts joining; the answer comes as a Joined or Refused event.
    virtual bool Join(const std::string& address, uint16_t port, const std::string& playerName,
                      std::string& error) = 0;
    // Starts asking for sessions (an empty host: the local networks and
    // 127.0.0.1); answers come as Found events until the next search.
    virtual void Search(const std::string& host, uint16_t port) = 0;
    virtual bool IsOpen() const = 0;
    virtual bool IsHost() const = 0;
    // This machine's player id (0 while no session is open).
    virtual uint32_t LocalPlayerId() const = 0;
    virtual uint32_t HostPlayerId() const = 0;
    // to: 0 all other machines, else one player id (never this machine's:
    // the caller hands those to its own receiver). Only MsgStatus goes
    // without guarantee.
    virtual void Send(uint32_t to, const uint8_t* data, size_t size, bool guaranteed) = 0;
    // Host only: passes on a client's message as from that client.
    virtual void Relay(uint32_t from, uint32_t to, const uint8_t* data, size_t size) = 0;
    virtual void SetPlayerLimit(int limit) = 0;
    // Services the network and hands out the next event; false when none.
    virtual bool Poll(TSessionEvent& event) = 0;
    virtual void Close() = 0;
};

// No network: nothing is ever open, found or received.
class NullSession : public Session {
  public:
    bool Host(const std::string&, const std::string&, uint16_t, std::string& error) override {
        error = "Network play is not in this build";
        return false;
    }
    bool Join(const std::string&, uint16_t, const std::string&, std::string& error) override {
        error = "Network play is not in this build";
        return false;
    }
    void Search(const std::string&, uint16_t) override {}
    bool IsOpen() const override { return false; }
    bool IsHost() const override { return false; }
    uint32_t LocalPlayerId() const override { return 0; }
    uint32_t HostPlayerId() const override { return 0; }
    void Send(uint32_t, const uint8_t*, size_t, bool) override {}
    void Relay(uint32_t, uint32_t, const uint8_t*, size_t) override {}
    void SetPlayerLimit(int) override {}
    bool Poll(TSessionEvent&) override { return false; }
    void Close() override {}
};
