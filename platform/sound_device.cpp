#include "platform/sound_device.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>

namespace {

// About a quarter of an hour of CD sound; a bigger file is not one of ours.
constexpr Uint32 MaxWaveBytes = 160u << 20;

} // namespace

std::string LoadWaveFile(const std::string& path, TWave& out) {
    const std::string failed = "Cannot open file " + path;
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &spec, &buffer, &length)) return failed;
    const int channels = std::min<int>(spec.channels, 2);
    SDL_AudioCVT cvt;
    bool ok = length <= MaxWaveBytes && spec.freq > 0 &&
              SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_F32SYS,
                                Uint8(channels), spec.freq) >= 0;
    std::vector<Uint8> work;
    if (ok) {
        work.resize(size_t(length) * cvt.len_mult);
        std::memcpy(work.data(), buffer, length);
        cvt.buf = work.data();
        cvt.len = int(length);
        ok = cvt.needed == 0 || SDL_ConvertAudio(&cvt) == 0;
    }
    SDL_FreeWAV(buffer);
    if (!ok) return failed;
    const size_t bytes = cvt.needed ? size_t(cvt.len_cvt) : size_t(length);
    TWave wave;
    wave.Rate = spec.freq;
    wave.Channels = channels;
    wave.Samples.resize(bytes / sizeof(float) / channels * channels);
    std::memcpy(wave.Samples.data(), work.data(), wave.Samples.size() * sizeof(float));
    out = std::move(wave);
    return {};
}

TSoundDevice::~TSoundDevice() {
    Close();
}

bool TSoundDevice::Open() {
    Close();
    if (!SDL_WasInit(SDL_INIT_AUDIO)) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        AudioStarted = true;
    }
    // 48 kHz float stereo in 512-frame blocks: about 11 ms from play to ear.
    SDL_AudioSpec want{}, have{};
    want.freq = 48000;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = &TSoundDevice::Callback;
    want.userdata = this;
    Device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (Device == 0) {
        Close();
        return false;
    }
    Mixer.SetOutputRate(have.freq);
    SDL_PauseAudioDevice(Device, 0);
    return true;
}

void TSoundDevice::Close() {
    if (Device != 0) SDL_CloseAudioDevice(Device);
    Device = 0;
    if (AudioStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    AudioStarted = false;
}

void TSoundDevice::Update(uint32_t nowMs) {
    if (Device != 0) return;
    if (Clocked) {
        // At most a second at a time: a long stall should not skip sounds started since.
        uint32_t ms = std::min<uint32_t>(nowMs - LastUpdate, 1000);
        Mixer.Mix(nullptr, int(uint64_t(ms) * Mixer.OutputRate() / 1000));
    }
    Clocked = true;
    LastUpdate = nowMs;
}

void TSoundDevice::Callback(void* user, Uint8* stream, int bytes) {
    auto* self = static_cast<TSoundDevice*>(user);
    self->Mixer.Mix(reinterpret_cast<float*>(stream), bytes / int(2 * sizeof(float)));
}
