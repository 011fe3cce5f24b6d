// Test stand-ins for the services the core talks to.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/game.h"

class ManualClock : public Clock {
public:
    int32_t Now = 100000;
    int32_t TickCount() override { return Now; }
    void Advance(int32_t ms) { Now += ms; }
};

// Keeps every sound's settings and a log of plays and stops.
class RecordingSound : public SoundOut {
public:
    struct TState {
        int Volume = 0;
        int Pan = 0;
        int Frequency = 22050;
        bool Loop = false;
        bool Playing = false;
        int Wave = -1; // index of the sound whose wave this one carries
    };
    std::vector<TState> Sounds;
    std::vector<std::string> Log;

    explicit RecordingSound(int count = 18) : Sounds(count) {
        for (int i = 0; i < count; ++i) Sounds[i].Wave = i;
    }
    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(Sounds.size()); }
    void Play(int i) override {
        Log.push_back("play " + std::to_string(i));
        if (Valid(i)) Sounds[i].Playing = true;
    }
    void Stop(int i) override {
        Log.push_back("stop " + std::to_string(i));
        if (Valid(i)) Sounds[i].Playing = false;
    }
    bool IsPlaying(int i) override { return Valid(i) && Sounds[i].Playing; }
    void SetVolume(int i, int v) override { if (Valid(i)) Sounds[i].Volume = v; }
    int Volume(int i) override { return Valid(i) ? Sounds[i].Volume : 0; }
    void SetPan(int i, int p) override { if (Valid(i)) Sounds[i].Pan = p; }
    void SetFrequency(int i, int hz) override { if (Valid(i)) Sounds[i].Frequency = hz; }
    int Frequency(int i) override { return Valid(i) ? Sounds[i].Frequency : 0; }
    void SetLoop(int i, bool l) override { if (Valid(i)) Sounds[i].Loop = l; }
    int AddSound() override {
        Sounds.push_back({});
        return static_cast<int>(Sounds.size()) - 1;
    }
    void CopyWave(int dst, int src) override {
        if (Valid(dst) && Valid(src)) Sounds[dst].Wave = Sounds[src].Wave;
    }
    int SoundCount() override { return static_cast<int>(Sounds.size()); }
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
