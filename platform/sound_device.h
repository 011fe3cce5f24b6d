// Feeds the mixer to the speakers through an SDL audio callback, and reads
// wave files into the mixer's form. No device: the game plays on silently.
#pragma once

#include <SDL2/SDL_audio.h>

#include <cstdint>
#include <string>

#include "platform/mixer.h"

// Reads a PCM wave file as float samples at its own rate, mono or stereo.
// Empty on success, else "Cannot open file " + path.
std::string LoadWaveFile(const std::string& path, TWave& out);

class TSoundDevice {
  public:
    explicit TSoundDevice(TMixer& mixer) : Mixer(mixer) {}
    ~TSoundDevice();
    TSoundDevice(const TSoundDevice&) = delete;
    TSoundDevice& operator=(const TSoundDevice&) = delete;

    // Opens the default output; false when there is none (sound stays off,
    // everything else goes on).
    bool Open();
    void Close();
    bool Active() const { return Device != 0; }

    // With no device, moves the playing sounds on by the time passed, so
    // that they end when they would have. Call once per pass of the loop.
    void Update(uint32_t nowMs);

  private:
    static void Callback(void* user, Uint8* stream, int bytes);

    TMixer& Mixer;
    SDL_AudioDeviceID Device = 0;
    bool AudioStarted = false;
    bool Clocked = false;
    uint32_t LastUpdate = 0;
};
