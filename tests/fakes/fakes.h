// Test stand-ins for the services the core talks to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/silent_sound.h"

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

class FakeNet : public NetOut {
public:
    bool Host = true;
    uint32_t Id = 7;
    int Sent = 0;
    void Send(uint32_t, const uint8_t*, size_t, bool) override { ++Sent; }
    uint32_t LocalPlayerId() override { return Id; }
    bool IsHost() override { return Host; }
};

// A Game with its fakes, ready for a test.
struct TestRig {
    ManualClock TheClock;
    RecordingSound Sound;
    RecordingUi TheUi;
    FakeNet Net;
    std::unique_ptr<Game> G;

    explicit TestRig(uint32_t seed = 1) : G(MakeGame(TheClock, Sound, TheUi, Net, seed)) {
        G->LastTick = TheClock.Now;
    }
    Game& g() { return *G; }
};
