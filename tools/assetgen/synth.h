// Small sound-synthesis kit: samples are floats in about -1..1 at 22050 Hz.
#pragma once

#include <cmath>
#include <vector>

#include "image_io.h"
#include "noise.h"

constexpr int SampleRate = 22050;
constexpr double TwoPi = 6.283185307179586;

using TSignal = std::vector<float>;

inline int Samples(double seconds) {
    return int(seconds * SampleRate);
}

// Second-order filter (the usual cookbook forms).
class TBiquad {
  public:
    static TBiquad LowPass(double hz, double q = 0.707);
    static TBiquad HighPass(double hz, double q = 0.707);
    static TBiquad BandPass(double hz, double q);
    float Step(float x);
    // Retune without losing the filter's state (for sweeps).
    void Retune(const TBiquad& other);

  private:
    // The cookbook forms share their poles; only the zeros b0..b2 differ.
    static TBiquad Make(double hz, double q, double b0, double b1, double b2);
    double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
    double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
};

// Attack / exponential decay envelope at time t (s).
inline float Decay(double t, double attack, double tau) {
    if (t < attack) return float(t / attack);
    return float(std::exp(-(t - attack) / tau));
}

void Normalise(TSignal& s, float peak = 0.9f);
// Joins the end to the start with a crossfade of `fade` samples, so that the
// sound can loop without a click; the result is `fade` samples shorter.
void MakeLoop(TSignal& s, int fade);
// Fades in and out over a few milliseconds: no click at either end.
void SoftEdges(TSignal& s, double seconds = 0.004);
// `seconds` of sound from sample(t), t in seconds; soft ends, normalised.
template <class F> TSignal Render(double seconds, double edge, F&& sample) {
    TSignal s(Samples(seconds));
    for (size_t i = 0; i < s.size(); ++i)
        s[i] = sample(double(i) / SampleRate);
    SoftEdges(s, edge);
    Normalise(s);
    return s;
}
void Mix(TSignal& into, const TSignal& add, float gain = 1, int offset = 0);
TWave ToWave(const TSignal& s);
