// A sound list that keeps every setting and plays nothing: headless runs,
// servers and tests.
#pragma once

#include <vector>

#include "core/asset_names.h"
#include "core/services.h"

class SilentSound : public SoundOut {
  public:
    struct TState {
        int Volume = 0;
        int Pan = 0;
        int Frequency = 22050;
        bool Loop = false;
        bool Playing = false;
        int Wave = -1; // the sound whose wave this one carries
    };
    std::vector<TState> Sounds;

    explicit SilentSound(int count = SoundCountInList) : Sounds(count) {
        for (int i = 0; i < count; ++i) {
            Sounds[i].Wave = i;
            Sounds[i].Loop = SoundLoops(i);
        }
    }
    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(Sounds.size()); }
    void Play(int i) override {
        if (Valid(i)) Sounds[i].Playing = Sounds[i].Loop; // a one-shot is over at once
    }
    void Stop(int i) override {
        if (Valid(i)) Sounds[i].Playing = false;
    }
    bool IsPlaying(int i) override { return Valid(i) && Sounds[i].Playing; }
    void SetVolume(int i, int v) override {
        if (Valid(i)) Sounds[i].Volume = v;
    }
    int Volume(int i) override { return Valid(i) ? Sounds[i].Volume : 0; }
    void SetPan(int i, int p) override {
        if (Valid(i)) Sounds[i].Pan = p;
    }
    void SetFrequency(int i, int hz) override {
        if (Valid(i)) Sounds[i].Frequency = hz;
    }
    int Frequency(int i) override { return Valid(i) ? Sounds[i].Frequency : 0; }
    void SetLoop(int i, bool l) override {
        if (Valid(i)) Sounds[i].Loop = l;
    }
    int AddSound() override {
        Sounds.push_back({});
        return static_cast<int>(Sounds.size()) - 1;
    }
    void CopyWave(int dst, int src) override {
        if (Valid(dst) && Valid(src)) Sounds[dst].Wave = Sounds[src].Wave;
    }
    int SoundCount() override { return static_cast<int>(Sounds.size()); }
};
