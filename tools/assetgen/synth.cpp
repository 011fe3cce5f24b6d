#include "synth.h"

#include <algorithm>

TBiquad TBiquad::LowPass(double hz, double q) {
    const double c = std::cos(TwoPi * hz / SampleRate);
    return TBiquad::Make(hz, q, (1 - c) / 2, 1 - c, (1 - c) / 2);
}

TBiquad TBiquad::HighPass(double hz, double q) {
    const double c = std::cos(TwoPi * hz / SampleRate);
    return TBiquad::Make(hz, q, (1 + c) / 2, -(1 + c), (1 + c) / 2);
}

TBiquad TBiquad::BandPass(double hz, double q) {
    const double a = std::sin(TwoPi * hz / SampleRate) / (2 * q);
    return TBiquad::Make(hz, q, a, 0, -a);
}

TBiquad TBiquad::Make(double hz, double q, double b0, double b1, double b2) {
    const double w = TwoPi * hz / SampleRate, a = std::sin(w) / (2 * q), a0 = 1 + a;
    TBiquad f;
    f.B0 = b0 / a0;
    f.B1 = b1 / a0;
    f.B2 = b2 / a0;
    f.A1 = -2 * std::cos(w) / a0;
    f.A2 = (1 - a) / a0;
    return f;
}

float TBiquad::Step(float x) {
    const double y = B0 * x + B1 * X1 + B2 * X2 - A1 * Y1 - A2 * Y2;
    X2 = X1;
    X1 = x;
    Y2 = Y1;
    Y1 = y;
    return float(y);
}

void TBiquad::Retune(const TBiquad& other) {
    B0 = other.B0;
    B1 = other.B1;
    B2 = other.B2;
    A1 = other.A1;
    A2 = other.A2;
}

void Normalise(TSignal& s, float peak) {
    float top = 0;
    for (float v : s)
        top = std::max(top, std::fabs(v));
    if (top <= 0) return;
    for (float& v : s)
        v *= peak / top;
}

void MakeLoop(TSignal& s, int fade) {
    const int n = int(s.size()) - fade;
    if (n <= fade) return;
    for (int i = 0; i < fade; ++i) {
        const float t = float(i) / fade;
        // Equal-power crossfade keeps the noise level steady across the seam.
        s[i] = s[i] * std::sin(t * 1.5707963f) + s[n + i] * std::cos(t * 1.5707963f);
    }
    s.resize(n);
}

void SoftEdges(TSignal& s, double seconds) {
    const int n = std::min<int>(Samples(seconds), int(s.size()) / 2);
    for (int i = 0; i < n; ++i) {
        const float k = float(i) / n;
        s[i] *= k;
        s[s.size() - 1 - i] *= k;
    }
}

void Mix(TSignal& into, const TSignal& add, float gain, int offset) {
    if (into.size() < add.size() + offset) into.resize(add.size() + offset, 0);
    for (size_t i = 0; i < add.size(); ++i)
        into[i + offset] += add[i] * gain;
}

TWave ToWave(const TSignal& s) {
    TWave w;
    w.SampleRate = SampleRate;
    w.Samples.reserve(s.size());
    for (float v : s)
        w.Samples.push_back(int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767)));
    return w;
}
