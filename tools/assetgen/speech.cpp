// The announcer. espeak-ng speaks the line when it is installed; without it a
// small formant synthesiser hums something word-shaped, so the build never
// depends on it. Either way the voice gets the same arena treatment: a
// little drive and a slap-back echo.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "synth.h"

namespace {

TSignal Resampled(const TWave& w) {
    TSignal s;
    if (w.Samples.empty() || w.SampleRate <= 0) return s;
    const double step = double(w.SampleRate) / SampleRate;
    for (double p = 0; p < double(w.Samples.size() - 1); p += step) {
        const size_t i = size_t(p);
        const double f = p - double(i);
        s.push_back(float((w.Samples[i] * (1 - f) + w.Samples[i + 1] * f) / 32768.0));
    }
    return s;
}

bool Espeak(const std::string& text, int pitch, int speed, const std::string& scratchDir,
            uint32_t seed, TSignal& out) {
    const std::string path = scratchDir + "/announcer_" + std::to_string(seed) + ".wav";
    std::filesystem::remove(path);
    const std::string cmd = "espeak-ng -v en-us+m3 -p " + std::to_string(pitch) + " -s " +
                            std::to_string(speed) + " -w '" + path + "' '" + text +
                            "' >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return false;
    TWave w;
    std::string error;
    const bool ok = ReadWav(path, w, error);
    std::filesystem::remove(path);
    if (!ok) return false;
    out = Resampled(w);
    return out.size() > size_t(Samples(0.2));
}

// Vowel formants (Hz) for the fallback voice.
struct TVowel {
    double F1, F2;
};

TSignal Hum(const std::string& text, int pitch, uint32_t seed) {
    // One syllable per vowel group of the text, with a breath of noise for
    // the consonants between them.
    TNoise n(seed);
    TSignal s;
    double phase = 0;
    const double base = 80 + pitch;
    bool inVowel = false;
    for (char ch : text) {
        const char c = char(std::tolower(static_cast<unsigned char>(ch)));
        const bool vowel = c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
        if (c == ' ' || c == '!') {
            s.resize(s.size() + Samples(0.05), 0);
            inVowel = false;
            continue;
        }
        if (!vowel) {
            TBiquad hiss = TBiquad::BandPass(c == 's' ? 5000 : 2500, 1);
            for (int i = 0; i < Samples(0.04); ++i)
                s.push_back(hiss.Step(float(n.Real() * 2 - 1)) * 0.3f);
            inVowel = false;
            continue;
        }
        if (inVowel) continue;
        inVowel = true;
        const TVowel v = c == 'a'                           ? TVowel{700, 1200}
                         : c == 'i' || c == 'e' || c == 'y' ? TVowel{350, 2100}
                                                            : TVowel{400, 900};
        TBiquad f1 = TBiquad::BandPass(v.F1, 4), f2 = TBiquad::BandPass(v.F2, 6);
        const int len = Samples(0.16);
        for (int i = 0; i < len; ++i) {
            const double t = double(i) / len;
            phase += base * (1.1 - 0.25 * t) / SampleRate;
            const float saw = float(2 * (phase - std::floor(phase)) - 1);
            const float env = float(std::min(t * 8, 1.0) * std::min((1 - t) * 5, 1.0));
            s.push_back((f1.Step(saw) + 0.5f * f2.Step(saw)) * env);
        }
    }
    return s;
}

} // namespace

TSignal SpeakLine(const std::string& text, int pitch, int speed, const std::string& scratchDir,
                  uint32_t seed) {
    TSignal voice;
    if (!Espeak(text, pitch, speed, scratchDir, seed, voice)) voice = Hum(text, pitch, seed);
    Normalise(voice);
    for (float& v : voice)
        v = std::tanh(v * 1.6f);
    TSignal out = voice;
    out.resize(voice.size() + Samples(0.4), 0);
    Mix(out, voice, 0.32f, Samples(0.11));
    Mix(out, voice, 0.14f, Samples(0.23));
    SoftEdges(out);
    Normalise(out);
    return out;
}
