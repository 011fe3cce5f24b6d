// The game's own sound mixer: a list of named waves played in overlapping
// copies, each with its volume, pan and playback rate, mixed into float
// stereo. No SDL here; the sound device feeds the mix to the speakers.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/services.h"

struct TWave {
    int Rate = 22050;           // frames per second as recorded
    int Channels = 1;           // 1 or 2
    std::vector<float> Samples; // interleaved, -1 .. 1
    int Frames() const { return Channels > 0 ? int(Samples.size() / size_t(Channels)) : 0; }
};

class TMixer : public SoundOut {
  public:
    // A sound plays in at most this many copies at once, enough for a big
    // battle's impacts; a further play takes over the oldest copy, so a hail
    // of bullets still keeps the copies (and the mixing work) bounded.
    static constexpr int MaxCopies = 64;
    static constexpr int MaxSounds = 1024;

    explicit TMixer(int outputRate = 48000);

    void SetOutputRate(int rate);
    int OutputRate() const;

    void Clear();
    // Appends a sound; returns its index (-1 when the list is full).
    int Add(const std::string& name, TWave wave, bool loop);
    int IndexOf(const std::string& name) const;
    // Copies of sound i playing now.
    int PlayingCopies(int sound) const;

    // Mixes the next frames into out (interleaved stereo, overwritten,
    // clipped to -1 .. 1). A null out only moves the playing sounds on.
    void Mix(float* out, int frames);

    // SoundOut
    void Play(int sound) override;
    void Stop(int sound) override;
    bool IsPlaying(int sound) override;
    void SetVolume(int sound, int hundredthsDb) override;
    int Volume(int sound) override;
    void SetPan(int sound, int pan) override;
    void SetFrequency(int sound, int hz) override;
    int Frequency(int sound) override;
    void SetLoop(int sound, bool loop) override;
    int AddSound() override;
    void CopyWave(int dst, int src) override;
    int SoundCount() override;

  private:
    struct TCopy {
        double Position = 0; // in frames of the wave
        double Step = 1;     // wave frames per output frame
        float Left = 1, Right = 1;
        bool Loop = false;
        uint64_t Started = 0;
    };
    struct TSound {
        std::string Name;
        std::shared_ptr<const TWave> Wave;
        bool Loop = false;
        int Volume = 0;
        int Pan = 0;
        int Frequency = 0; // 0: the wave's own rate
        std::vector<TCopy> Copies;
    };

    TSound* Find(int sound);
    const TSound* Find(int sound) const;
    int EffectiveFrequency(const TSound& s) const;
    // Volume, pan and rate of the sound as they are now.
    void Tune(const TSound& s, TCopy& c) const;
    void Retune(TSound& s);

    mutable std::mutex Lock;
    std::vector<TSound> Sounds;
    int Rate;
    uint64_t Plays = 0;
};

// Amplitude factor of a volume in hundredths of a decibel; -10000 and below is silence.
float GainOf(int hundredthsDb);
