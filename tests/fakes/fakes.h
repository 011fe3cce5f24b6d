// Test stand-ins for the services the game talks to.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/silent_sound.h"
#include "match/match.h"

class ManualClock : public Clock {
  public:
    int32_t Now = 100000;
    int32_t TickCount() override { return Now; }
    void Advance(int32_t ms) { Now += ms; }
};

// Keeps every sound's settings and a log of plays and stops.
class RecordingSound : public SilentSound {
  public:
    std::vector<std::string> Log;

    void Play(int i) override {
        Log.push_back("play " + std::to_string(i));
        if (Valid(i)) Sounds[i].Playing = true;
    }
    void Stop(int i) override {
        Log.push_back("stop " + std::to_string(i));
        SilentSound::Stop(i);
    }
};

class RecordingUi : public Ui {
  public:
    std::vector<std::string> Boxes, Debug, Console;
    std::string Caption;
    void MessageBox(const std::string& t) override { Boxes.push_back(t); }
    void DebugLine(const std::string& t) override { Debug.push_back(t); }
    void SetCaption(const std::string& t) override { Caption = t; }
    void ConsoleLine(const std::string& t) override { Console.push_back(t); }
};

// Records every event as a line ("rocket 3", "explosion 2 at 10,20"), in order.
class FakeNet : public NullNetOut {
  public:
    bool Host = true;
    uint32_t Id = 7;
    std::vector<int> SetupsSent;
    std::vector<int32_t> AppearanceColours;
    std::vector<std::string> Events;
    uint32_t LocalPlayerId() override { return Id; }
    bool IsHost() override { return Host; }
    void SendAppearance(int tank, int32_t body, int32_t, int32_t) override {
        SetupsSent.push_back(tank);
        AppearanceColours.push_back(body);
    }
    void SendGunSound(int tank, int onOff) override { Say("gun " + N(tank) + " " + N(onOff)); }
    void SendPositionalSound(int sound, TVector at) override {
        Say("sound " + N(sound) + " at " + P(at));
    }
    void SendRail(TVector a, TVector b, int32_t t) override {
        Say("rail " + P(a) + " " + P(b) + " " + N(t));
    }
    void SendBomblets(int first, int count) override {
        Say("bomblets " + N(first) + " x" + N(count));
    }
    void SendRocket(int i) override { Say("rocket " + N(i)); }
    void SendBfgBall(int i) override { Say("bfg " + N(i)); }
    void SendMine(int i) override { Say("mine " + N(i)); }
    void SendExplosion(int kind, TVector at) override {
        Say("explosion " + N(kind) + " at " + P(at));
    }
    void SendRocketExploded(int32_t id) override { Say("rocket exploded " + N(id)); }
    void SendBfgExploded(int32_t id) override { Say("bfg exploded " + N(id)); }
    void SendMineExploded(int32_t id) override { Say("mine exploded " + N(id)); }
    void SendKill(int victim, int killer) override {
        Say("kill " + N(victim) + " by " + N(killer));
    }
    void SendMultiKill(int tank, int count) override {
        Say("multikill " + N(tank) + " " + N(count));
    }
    void SendText(uint32_t to, int kind, const std::string& text) override {
        Say("text to " + N(to) + " kind " + N(kind) + ": " + text);
    }
    void SendOrder(uint32_t to, int mate, int order, int from) override {
        Say("order to " + N(to) + ": " + N(mate) + " " + N(order) + " from " + N(from));
    }
    void SendGameSetup() override { Say("game setup"); }
    void SendBaseList() override { Say("base list"); }
    void SendTankList() override { Say("tank list"); }
    void SendControl(int tank, int action, bool pressed) override {
        Say("control " + N(tank) + " " + N(action) + (pressed ? " pressed" : " released"));
    }
    void SendPing() override { Say("ping"); }
    void SendRemoteShutdown() override { Say("remote shutdown"); }
    void SendScore() override { Say("score"); }

  private:
    void Say(const std::string& e) { Events.push_back(e); }
    static std::string N(long v) { return std::to_string(v); }
    static std::string P(TVector v) { return N(std::lround(v.x)) + "," + N(std::lround(v.y)); }
};

// Pictures that are never read from disk: every texture is a plain square,
// explosions are not kept. The tables still come from the real list.
class NoPictures : public IMatchPictures {
  public:
    int Added = 0;
    std::string ExplosionPath;
    bool LoadBitmap(const std::string&, TImage& out) override {
        out = TImage(64, 64, 0x336633);
        return true;
    }
    void AddImage(const TImage&, const std::string&) override { ++Added; }
    void Clear() override { Added = 0; }
    std::string LoadExplosions(const std::string& path) override {
        ExplosionPath = path;
        return {};
    }
};

// A Game with its fakes, ready for a test. The clock is the test's: it
// hands its reading to GameTick.
struct TestRig {
    ManualClock TheClock;
    RecordingSound Sound;
    RecordingUi TheUi;
    FakeNet Net;
    std::unique_ptr<Game> G;

    explicit TestRig(uint32_t seed = 1) : G(MakeGame(Sound, TheUi, Net, seed)) {
        G->LastTick = TheClock.Now;
    }
    Game& g() { return *G; }
};
