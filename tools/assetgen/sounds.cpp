// The game's sounds, synthesised: engines that loop, weapons, explosions,
// the horn, the cow and the alarm. The announcer lines are in speech.cpp.
#include <algorithm>

#include "assets.h"
#include "core/asset_names.h"
#include "synth.h"

TSignal SpeakLine(const std::string& text, int pitch, int speed, const std::string& scratchDir,
                  uint32_t seed);

namespace {

// A train of engine firings. `pulses` per loop at `hz`; `accent` gives each
// cylinder its own strength so the pattern has a gait.
TSignal EngineLoop(double hz, int pulses, const std::vector<float>& accent, double body,
                   double bite, double lowPass, uint64_t seed) {
    TNoise n(seed);
    const int period = int(std::lround(SampleRate / hz));
    const int fade = period * 2;
    const int length = period * pulses + fade;
    TSignal s(length, 0);
    for (int p = 0; p * period < length; ++p) {
        const float a = accent[p % accent.size()] * float(0.9 + 0.2 * n.Real());
        for (int i = 0; i < period * 2 && p * period + i < length; ++i) {
            const double t = double(i) / SampleRate;
            const float thump = float(std::sin(TwoPi * body * t) * std::exp(-t * 38));
            const float rasp = float((n.Real() * 2 - 1) * std::exp(-t * bite));
            s[p * period + i] += a * (thump + 0.5f * rasp);
        }
    }
    TBiquad lp = TBiquad::LowPass(lowPass, 0.9);
    TBiquad hp = TBiquad::HighPass(30);
    for (float& v : s)
        v = hp.Step(lp.Step(v));
    // Run the filters over the sound twice so the loop starts settled.
    for (float& v : s)
        v = hp.Step(lp.Step(v));
    MakeLoop(s, fade);
    Normalise(s, 0.8f);
    return s;
}

TSignal Diesel() {
    return EngineLoop(26, 26, {1.0f, 0.7f, 0.85f, 0.6f}, 58, 60, 700, 11);
}

TSignal HummerEngine() {
    return EngineLoop(38, 38, {1.0f, 0.55f, 0.9f, 0.75f, 0.95f, 0.5f, 0.8f, 0.65f}, 90, 90, 1300,
                      12);
}

TSignal HoverEngine() {
    // Turbine whine over the roar of the lift fan; whole-hertz tones over one
    // second so they loop exactly.
    TNoise n(13);
    const int fade = Samples(0.1);
    const int length = SampleRate + fade;
    TSignal s(length);
    TBiquad roar = TBiquad::BandPass(520, 0.8), rumble = TBiquad::LowPass(160);
    for (int i = 0; i < length; ++i) {
        const double t = double(i) / SampleRate;
        const float white = float(n.Real() * 2 - 1);
        const float blades = float(0.75 + 0.25 * std::sin(TwoPi * 44 * t));
        const float whine =
            float(0.16 * std::sin(TwoPi * 880 * t) + 0.08 * std::sin(TwoPi * 1321 * t) +
                  0.05 * std::sin(TwoPi * 1763 * t));
        s[i] = roar.Step(white) * 1.6f * blades + rumble.Step(white) * 2.2f + whine;
    }
    MakeLoop(s, fade);
    Normalise(s, 0.8f);
    return s;
}

TSignal Horn() {
    // Two-tone horn; the game plays it slowed down, so it is pitched high here.
    const int fade = Samples(0.05);
    TSignal s(SampleRate + fade);
    TBiquad tone = TBiquad::BandPass(1800, 0.7), top = TBiquad::LowPass(3500);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / SampleRate;
        const double a = std::sin(TwoPi * 686 * t), b = std::sin(TwoPi * 850 * t);
        const float buzz = float(std::tanh(3 * a) + std::tanh(3 * b));
        s[i] = top.Step(tone.Step(buzz) * 2.5f + buzz * 0.25f);
    }
    MakeLoop(s, fade);
    Normalise(s, 0.75f);
    return s;
}

TSignal Blast(double seconds, double tau, double startHz, double endHz, double thumpHz,
              uint64_t seed, double crackle) {
    TNoise n(seed);
    TSignal s(Samples(seconds));
    TBiquad lp = TBiquad::LowPass(startHz);
    TBiquad deep = TBiquad::LowPass(90);
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / SampleRate;
        if (i % 64 == 0)
            lp.Retune(TBiquad::LowPass(endHz + (startHz - endHz) * std::exp(-t / (tau * 0.6))));
        const float white = float(n.Real() * 2 - 1);
        const float env = Decay(t, 0.004, tau);
        const double thumpFreq = thumpHz * (0.5 + 0.5 * std::exp(-t * 8));
        const float thump = float(std::sin(TwoPi * thumpFreq * t) * std::exp(-t * 6));
        float crack = 0;
        if (t > 0.08 && n.Real() < crackle * std::exp(-t * 2)) crack = float(n.Real() * 2 - 1) * 3;
        s[i] =
            lp.Step(white) * env * 1.5f + deep.Step(white) * env * 2 + thump * 0.8f + crack * env;
    }
    SoftEdges(s, 0.01);
    Normalise(s, 0.95f);
    return s;
}

TSignal Railgun() {
    // A falling zap with a metallic ring and a fizz of static.
    TNoise n(31);
    TBiquad fizz = TBiquad::HighPass(3000);
    double phase = 0;
    return Render(0.8, 0.004, [&](double t) {
        const double f = 300 + 2600 * std::exp(-t * 9);
        phase += TwoPi * f / SampleRate;
        const float zap = float(std::sin(phase) * std::sin(phase * 0.5 + 0.3) * std::exp(-t * 5));
        const float ring = float((std::sin(TwoPi * 1130 * t) + 0.7 * std::sin(TwoPi * 1871 * t) +
                                  0.5 * std::sin(TwoPi * 2653 * t)) *
                                 std::exp(-t * 7));
        const float stat = fizz.Step(float(n.Real() * 2 - 1)) * float(std::exp(-t * 12));
        return zap + 0.35f * ring + 0.6f * stat;
    });
}

TSignal BulletImpact() {
    // A hard tick and a short ricochet whine.
    TNoise n(41);
    TBiquad knock = TBiquad::BandPass(2200, 1.2);
    return Render(0.22, 0.002, [&](double t) {
        const float tick = knock.Step(float(n.Real() * 2 - 1)) * float(std::exp(-t * 90)) * 3;
        const double f = 2600 - 900 * t / 0.22;
        const float whine = float(std::sin(TwoPi * f * t) * Decay(t, 0.01, 0.05) * 0.35);
        return tick + whine;
    });
}

TSignal FireBullet() {
    // Short enough to repeat every 50 ms.
    TNoise n(51);
    TBiquad lp = TBiquad::LowPass(4500);
    return Render(0.1, 0.002, [&](double t) {
        const float crack = lp.Step(float(n.Real() * 2 - 1)) * Decay(t, 0.0015, 0.018);
        const float thump = float(std::sin(TwoPi * 130 * t) * std::exp(-t * 45));
        return crack + 0.7f * thump;
    });
}

TSignal FireBfg() {
    // Charges for about 0.8 s (a rising, wobbling hum), then lets go.
    TNoise n(61);
    TSignal s(Samples(1.05));
    TBiquad air = TBiquad::BandPass(900, 1.5);
    double phase = 0, sub = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / SampleRate;
        const double charge = std::min(t / 0.82, 1.0);
        const double f =
            180 + 1300 * charge * charge + 25 * std::sin(TwoPi * (6 + 14 * charge) * t);
        phase += TwoPi * f / SampleRate;
        sub += TwoPi * 55 / SampleRate;
        float v =
            float(std::sin(phase) + 0.4 * std::sin(2 * phase + 0.5)) * float(0.3 + 0.7 * charge);
        v += float(std::sin(sub)) * 0.4f * float(charge);
        v += air.Step(float(n.Real() * 2 - 1)) * float(charge) * 1.5f;
        if (t > 0.82) v *= float(std::exp(-(t - 0.82) * 18)); // gone
        s[i] = v;
    }
    SoftEdges(s);
    Normalise(s);
    return s;
}

TSignal BlowBfg() {
    // A deep boom under falling, phasing sweeps and electric crackle.
    TSignal s = Blast(2.2, 0.7, 2500, 150, 55, 71, 0.02);
    TNoise n(72);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / SampleRate;
        const double f = 90 + 1400 * std::exp(-t * 3);
        phase += TwoPi * f / SampleRate;
        const float sweep = float((std::sin(phase) + std::sin(phase * 1.013)) * std::exp(-t * 1.6));
        const float zap = n.Real() < 0.004 * std::exp(-t) ? float(n.Real() * 2 - 1) * 2 : 0.0f;
        s[i] += 0.35f * sweep + zap;
    }
    SoftEdges(s, 0.01);
    Normalise(s);
    return s;
}

TSignal SelfDestruct() {
    return Render(0.14, 0.006,
                  [](double t) { return float(std::tanh(2.5 * std::sin(TwoPi * 1040 * t))); });
}

TSignal Moo() {
    // A sawtooth voice sliding up and down, through a closed "mm" that
    // opens into "oo"; two formant filters make the mouth.
    TNoise n(81);
    TSignal s(Samples(1.35));
    TBiquad f1 = TBiquad::BandPass(300, 3), f2 = TBiquad::BandPass(800, 4),
            nasal = TBiquad::LowPass(350);
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / SampleRate;
        const double pitch = 105 + 28 * std::sin(3.14159 * std::min(t / 1.1, 1.0)) - 12 * t +
                             1.5 * std::sin(TwoPi * 5 * t);
        phase += pitch / SampleRate;
        const float saw =
            float(2 * (phase - std::floor(phase)) - 1) + float(n.Real() - 0.5) * 0.15f;
        const float open = float(std::clamp((t - 0.12) / 0.3, 0.0, 1.0));
        if (i % 64 == 0) {
            f1.Retune(TBiquad::BandPass(250 + 150 * open, 3));
            f2.Retune(TBiquad::BandPass(650 + 250 * open, 4));
        }
        const float mouth = f1.Step(saw) * 1.2f + f2.Step(saw) * 0.6f;
        const float closed = nasal.Step(saw);
        const float env = float(std::min(t / 0.08, 1.0) * std::min((1.35 - t) / 0.3, 1.0));
        s[i] = env * (mouth * open + closed * (1 - open) * 0.8f);
    }
    SoftEdges(s);
    Normalise(s);
    return s;
}

TSignal Alarm() {
    // An old klaxon: a growling tone that swoops up and holds.
    TBiquad horn = TBiquad::BandPass(1200, 1), top = TBiquad::LowPass(4000);
    double phase = 0;
    return Render(0.75, 0.004, [&](double t) {
        const double f = 420 + 380 * std::min(t / 0.18, 1.0) + 8 * std::sin(TwoPi * 30 * t);
        phase += f / SampleRate;
        const float saw = float(2 * (phase - std::floor(phase)) - 1);
        const float env = float(std::min(t / 0.03, 1.0) * std::min((0.75 - t) / 0.12, 1.0));
        return top.Step(horn.Step(saw) * 2.5f + saw * 0.3f) * env;
    });
}

} // namespace

std::vector<TWave> MakeSounds(const std::string& scratchDir) {
    std::vector<TSignal> s(SoundCountInList);
    s[sndDiesel] = Diesel();
    s[sndSmallExplosion] = Blast(0.7, 0.13, 3200, 300, 95, 21, 0.004);
    s[sndExplosion] = Blast(1.8, 0.42, 2600, 120, 60, 22, 0.02);
    s[sndRailgun] = Railgun();
    s[sndBulletImpact] = BulletImpact();
    s[sndFireBullet] = FireBullet();
    s[sndHoverEngine] = HoverEngine();
    s[sndHummerEngine] = HummerEngine();
    s[sndDoubleKill] = SpeakLine("Double kill!", 45, 150, scratchDir, 91);
    s[sndMultiKill] = SpeakLine("Multi kill!", 42, 145, scratchDir, 92);
    s[sndUltraKill] = SpeakLine("Ultra kill!", 38, 140, scratchDir, 93);
    s[sndMonsterKill] = SpeakLine("Monster kill!", 25, 125, scratchDir, 94);
    s[sndHorn] = Horn();
    s[sndFireBfg] = FireBfg();
    s[sndBlowBfg] = BlowBfg();
    s[sndSelfDestruct] = SelfDestruct();
    s[sndMoo] = Moo();
    s[sndAlarm] = Alarm();
    std::vector<TWave> out;
    for (const TSignal& signal : s)
        out.push_back(ToWave(signal));
    return out;
}
