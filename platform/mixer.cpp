#include "platform/mixer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MinFrequency = 100;
constexpr int MaxFrequency = 200000;

} // namespace

float GainOf(int hundredthsDb) {
    if (hundredthsDb <= -10000) return 0;
    return float(std::pow(10.0, std::min(hundredthsDb, 0) / 2000.0));
}

TMixer::TMixer(int outputRate) : Rate(std::max(outputRate, 1000)) {}

void TMixer::SetOutputRate(int rate) {
    std::lock_guard g(Lock);
    Rate = std::max(rate, 1000);
    for (TSound& s : Sounds)
        Retune(s);
}

int TMixer::OutputRate() const {
    std::lock_guard g(Lock);
    return Rate;
}

TMixer::TSound* TMixer::Find(int sound) {
    return sound >= 0 && sound < int(Sounds.size()) ? &Sounds[sound] : nullptr;
}

const TMixer::TSound* TMixer::Find(int sound) const {
    return sound >= 0 && sound < int(Sounds.size()) ? &Sounds[sound] : nullptr;
}

void TMixer::Clear() {
    std::lock_guard g(Lock);
    Sounds.clear();
}

int TMixer::Add(const std::string& name, TWave wave, bool loop) {
    std::lock_guard g(Lock);
    if (int(Sounds.size()) >= MaxSounds) return -1;
    if (wave.Channels < 1 || wave.Channels > 2) wave = TWave{};
    wave.Samples.resize(size_t(wave.Frames()) * wave.Channels);
    TSound s;
    s.Name = name;
    s.Wave = std::make_shared<const TWave>(std::move(wave));
    s.Loop = loop;
    Sounds.push_back(std::move(s));
    return int(Sounds.size()) - 1;
}

int TMixer::IndexOf(const std::string& name) const {
    std::lock_guard g(Lock);
    for (size_t i = 0; i < Sounds.size(); ++i)
        if (Sounds[i].Name == name) return int(i);
    return -1;
}

int TMixer::PlayingCopies(int sound) const {
    std::lock_guard g(Lock);
    const TSound* s = Find(sound);
    return s ? int(s->Copies.size()) : 0;
}

int TMixer::EffectiveFrequency(const TSound& s) const {
    if (s.Frequency > 0) return s.Frequency;
    return s.Wave ? s.Wave->Rate : 0;
}

void TMixer::Tune(const TSound& s, TCopy& c) const {
    const float gain = GainOf(s.Volume);
    // The pan turns the far side down by as many hundredths of a decibel.
    c.Left = gain * (s.Pan > 0 ? GainOf(-s.Pan) : 1.0f);
    c.Right = gain * (s.Pan < 0 ? GainOf(s.Pan) : 1.0f);
    c.Step = double(EffectiveFrequency(s)) / Rate;
}

// A looped sound's one copy follows its sound's settings as they change
// (engines change pitch with speed); other copies keep what they started with.
void TMixer::Retune(TSound& s) {
    if (s.Loop)
        for (TCopy& c : s.Copies)
            Tune(s, c);
}

void TMixer::Play(int sound) {
    std::lock_guard g(Lock);
    TSound* s = Find(sound);
    if (!s || !s->Wave || s->Wave->Frames() == 0) return;
    TCopy c;
    c.Loop = s->Loop;
    c.Started = ++Plays;
    Tune(*s, c);
    if (s->Loop) {
        s->Copies.assign(1, c);
    } else if (int(s->Copies.size()) < MaxCopies) {
        s->Copies.push_back(c);
    } else {
        auto oldest =
            std::min_element(s->Copies.begin(), s->Copies.end(),
                             [](const TCopy& a, const TCopy& b) { return a.Started < b.Started; });
        *oldest = c;
    }
}

void TMixer::Stop(int sound) {
    std::lock_guard g(Lock);
    if (TSound* s = Find(sound)) s->Copies.clear();
}

bool TMixer::IsPlaying(int sound) {
    return PlayingCopies(sound) > 0;
}

void TMixer::SetVolume(int sound, int hundredthsDb) {
    std::lock_guard g(Lock);
    if (TSound* s = Find(sound)) {
        s->Volume = std::clamp(hundredthsDb, -10000, 0);
        Retune(*s);
    }
}

int TMixer::Volume(int sound) {
    std::lock_guard g(Lock);
    const TSound* s = Find(sound);
    return s ? s->Volume : 0;
}

void TMixer::SetPan(int sound, int pan) {
    std::lock_guard g(Lock);
    if (TSound* s = Find(sound)) {
        s->Pan = std::clamp(pan, -10000, 10000);
        Retune(*s);
    }
}

void TMixer::SetFrequency(int sound, int hz) {
    std::lock_guard g(Lock);
    if (TSound* s = Find(sound)) {
        s->Frequency = hz == 0 ? 0 : std::clamp(hz, MinFrequency, MaxFrequency);
        Retune(*s);
    }
}

int TMixer::Frequency(int sound) {
    std::lock_guard g(Lock);
    const TSound* s = Find(sound);
    return s ? EffectiveFrequency(*s) : 0;
}

void TMixer::SetLoop(int sound, bool loop) {
    std::lock_guard g(Lock);
    if (TSound* s = Find(sound)) s->Loop = loop;
}

int TMixer::AddSound() {
    std::lock_guard g(Lock);
    if (int(Sounds.size()) >= MaxSounds) return -1;
    Sounds.emplace_back();
    return int(Sounds.size()) - 1;
}

void TMixer::CopyWave(int dst, int src) {
    std::lock_guard g(Lock);
    TSound* d = Find(dst);
    const TSound* s = Find(src);
    if (!d || !s || d == s) return;
    d->Copies.clear();
    d->Wave = s->Wave;
    d->Loop = s->Loop;
    if (d->Name.empty()) d->Name = s->Name;
}

int TMixer::SoundCount() {
    std::lock_guard g(Lock);
    return int(Sounds.size());
}

void TMixer::Mix(float* out, int frames) {
    if (frames <= 0) return;
    if (out) std::fill(out, out + 2 * size_t(frames), 0.0f);
    std::lock_guard g(Lock);
    for (TSound& s : Sounds) {
        if (s.Copies.empty()) continue;
        const TWave& w = *s.Wave;
        const int n = w.Frames();
        const int ch = w.Channels;
        const float* data = w.Samples.data();
        for (TCopy& c : s.Copies) {
            double pos = c.Position;
            bool done = false;
            auto wrap = [&] {
                if (pos < n) return;
                if (c.Loop)
                    pos = std::fmod(pos, double(n));
                else
                    done = true;
            };
            if (!out) {
                pos += c.Step * frames;
                wrap();
            }
            for (int f = 0; out && f < frames && !done; ++f) {
                // Linear interpolation between neighbouring frames.
                int i = int(pos);
                float t = float(pos - i);
                int j = i + 1 < n ? i + 1 : (c.Loop ? 0 : i);
                float l = data[i * ch] + (data[j * ch] - data[i * ch]) * t;
                float r =
                    ch == 2 ? data[i * ch + 1] + (data[j * ch + 1] - data[i * ch + 1]) * t : l;
                out[2 * f] += l * c.Left;
                out[2 * f + 1] += r * c.Right;
                pos += c.Step;
                wrap();
            }
            c.Position = done ? -1 : pos;
        }
        std::erase_if(s.Copies, [](const TCopy& c) { return c.Position < 0; });
    }
    if (out)
        for (size_t k = 0; k < 2 * size_t(frames); ++k)
            out[k] = std::clamp(out[k], -1.0f, 1.0f);
}
