// The mixer, fed known waves and read back sample by sample.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "platform/mixer.h"
#include "platform/sound_device.h"

namespace {

TWave Constant(float value, int frames, int rate = 48000) {
    TWave w;
    w.Rate = rate;
    w.Samples.assign(size_t(frames), value);
    return w;
}

TWave Ramp(int frames) {
    TWave w;
    w.Rate = 48000;
    for (int i = 0; i < frames; ++i)
        w.Samples.push_back(float(i) / float(frames));
    return w;
}

std::vector<float> Mix(TMixer& m, int frames) {
    std::vector<float> out(2 * size_t(frames));
    m.Mix(out.data(), frames);
    return out;
}

int SoundingFrames(const std::vector<float>& out) {
    int n = 0;
    for (size_t f = 0; f < out.size() / 2; ++f)
        n += out[2 * f] != 0 || out[2 * f + 1] != 0;
    return n;
}

} // namespace

TEST(Mixer, SixDecibelsDownIsHalfTheAmplitude) {
    TMixer m;
    int s = m.Add("tone", Constant(0.5f, 1000), false);
    m.SetVolume(s, -600);
    m.Play(s);
    auto out = Mix(m, 100);
    EXPECT_NEAR(out[0] / 0.5f, 0.5, 0.005);
    EXPECT_NEAR(out[1] / 0.5f, 0.5, 0.005);
    EXPECT_EQ(m.Volume(s), -600);
    m.SetVolume(s, -20000); // beyond the scale: silence
    EXPECT_EQ(m.Volume(s), -10000);
    EXPECT_EQ(GainOf(-10000), 0.0f);
}

TEST(Mixer, PanTurnsTheFarSideDown) {
    TMixer m;
    int s = m.Add("tone", Constant(0.5f, 1000), false);
    m.SetPan(s, -10000);
    m.Play(s);
    auto out = Mix(m, 10);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[1], 0.0f);
    m.Stop(s);
    m.SetPan(s, 600); // right of centre: the left side 6 dB down
    m.Play(s);
    out = Mix(m, 10);
    EXPECT_NEAR(out[0], 0.25f, 0.003f);
    EXPECT_FLOAT_EQ(out[1], 0.5f);
}

TEST(Mixer, DoubleFrequencyHalvesTheDuration) {
    TMixer m(48000);
    int s = m.Add("tone", Constant(0.5f, 4800), false);
    EXPECT_EQ(m.Frequency(s), 48000);
    m.Play(s);
    EXPECT_EQ(SoundingFrames(Mix(m, 10000)), 4800);
    EXPECT_FALSE(m.IsPlaying(s));
    m.SetFrequency(s, 96000);
    m.Play(s);
    EXPECT_EQ(SoundingFrames(Mix(m, 10000)), 2400);
    // A wave recorded at 24 kHz lasts twice its frame count at 48 kHz.
    int slow = m.Add("slow", Constant(0.5f, 1000, 24000), false);
    m.Play(slow);
    EXPECT_EQ(SoundingFrames(Mix(m, 10000)), 2000);
}

TEST(Mixer, ResamplingInterpolates) {
    TMixer m(48000);
    int s = m.Add("ramp", Ramp(100), false);
    m.SetFrequency(s, 24000);
    m.Play(s);
    auto out = Mix(m, 4);
    EXPECT_FLOAT_EQ(out[2], 0.005f); // halfway between 0 and 0.01
    EXPECT_FLOAT_EQ(out[4], 0.01f);
}

TEST(Mixer, LoopedSoundRestartsItsOneInstance) {
    TMixer m;
    int s = m.Add("engine", Ramp(100), true);
    m.Play(s);
    auto out = Mix(m, 250); // wraps round twice
    EXPECT_FLOAT_EQ(out[2 * 150], 0.5f);
    EXPECT_TRUE(m.IsPlaying(s));
    m.Play(s);
    EXPECT_EQ(m.PlayingCopies(s), 1);
    out = Mix(m, 2);
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[2], 0.01f);
}

TEST(Mixer, LoopedSoundFollowsVolumeAsItChanges) {
    TMixer m;
    int engine = m.Add("engine", Constant(0.5f, 100), true);
    int bang = m.Add("bang", Constant(0.5f, 1000), false);
    m.Play(engine);
    m.Play(bang);
    m.SetVolume(engine, -10000);
    m.SetVolume(bang, -10000); // a started copy keeps its volume
    auto out = Mix(m, 10);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
}

TEST(Mixer, CopiesOverlapAndTakeTheSettingsOfTheirStart) {
    TMixer m;
    int s = m.Add("impact", Constant(0.25f, 1000), false);
    m.Play(s);
    Mix(m, 500);
    m.SetVolume(s, -600);
    m.Play(s);
    EXPECT_EQ(m.PlayingCopies(s), 2);
    auto out = Mix(m, 1000);
    EXPECT_NEAR(out[0], 0.25f + 0.25f * 0.501f, 0.002f);
    EXPECT_NEAR(out[2 * 600], 0.25f * 0.501f, 0.002f); // the first one has ended
    EXPECT_EQ(m.PlayingCopies(s), 0);
}

TEST(Mixer, ABigBattlesImpactsAllSound) {
    TMixer m;
    int s = m.Add("impact", Constant(1.0f / 128, 1000), false);
    constexpr int battle = 64;
    for (int i = 0; i < battle; ++i) {
        m.Play(s);
        Mix(m, 1);
    }
    EXPECT_EQ(m.PlayingCopies(s), battle);
    EXPECT_FLOAT_EQ(Mix(m, 1)[0], battle / 128.0f);
}

TEST(Mixer, CopiesAreCappedAndTheOldestMakesWay) {
    TMixer m;
    // A long ramp keeps the sum of every copy under the clipping level.
    constexpr int length = 100000;
    int s = m.Add("impact", Ramp(length), false);
    // Copy j (from 1, the oldest) is heard (MaxCopies + 1 - j) * 10 frames in.
    float expected = 0;
    for (int i = 0; i < TMixer::MaxCopies; ++i) {
        m.Play(s);
        Mix(m, 10);
        expected += float(10 * (i + 1)) / length;
    }
    EXPECT_EQ(m.PlayingCopies(s), TMixer::MaxCopies);
    EXPECT_NEAR(Mix(m, 1)[0], expected, 1e-4f);

    // One more play takes over the oldest copy, 10 * MaxCopies + 1 frames in,
    // and starts from the beginning of the ramp.
    m.Play(s);
    EXPECT_EQ(m.PlayingCopies(s), TMixer::MaxCopies);
    expected += float(TMixer::MaxCopies) / length;          // the others moved on a frame
    expected -= float(10 * TMixer::MaxCopies + 1) / length; // the oldest is gone
    EXPECT_NEAR(Mix(m, 1)[0], expected, 1e-4f);

    // Many more plays still hold to the cap.
    for (int i = 0; i < 3 * TMixer::MaxCopies; ++i)
        m.Play(s);
    EXPECT_EQ(m.PlayingCopies(s), TMixer::MaxCopies);
}

TEST(Mixer, StopSilencesEveryCopy) {
    TMixer m;
    int s = m.Add("impact", Constant(0.1f, 1000), false);
    m.Play(s);
    m.Play(s);
    m.Stop(s);
    EXPECT_FALSE(m.IsPlaying(s));
    EXPECT_EQ(SoundingFrames(Mix(m, 100)), 0);
}

TEST(Mixer, LoudMixIsClipped) {
    TMixer m;
    int s = m.Add("loud", Constant(0.9f, 100), false);
    m.Play(s);
    m.Play(s);
    EXPECT_FLOAT_EQ(Mix(m, 1)[0], 1.0f);
}

TEST(Mixer, CopiedWaveKeepsItsOwnSettings) {
    TMixer m;
    int diesel = m.Add("Diesel", Constant(0.5f, 100), true);
    int second = m.AddSound();
    EXPECT_EQ(m.SoundCount(), 2);
    m.Play(second); // nothing to play yet
    EXPECT_FALSE(m.IsPlaying(second));
    m.SetVolume(second, -600);
    m.CopyWave(second, diesel);
    m.Play(second);
    EXPECT_EQ(m.Volume(second), -600);
    EXPECT_EQ(m.Frequency(second), 48000);
    auto out = Mix(m, 300);
    EXPECT_NEAR(out[2 * 250], 0.25f, 0.003f); // looped like its source
    EXPECT_FALSE(m.IsPlaying(diesel));
}

TEST(Mixer, UnknownSoundsAreIgnored) {
    TMixer m;
    m.Play(3);
    m.Stop(-1);
    m.SetVolume(99, 0);
    m.CopyWave(0, 1);
    EXPECT_FALSE(m.IsPlaying(3));
    EXPECT_EQ(m.Frequency(7), 0);
    EXPECT_EQ(SoundingFrames(Mix(m, 10)), 0);
}

TEST(Mixer, WithoutOutputTheSoundsStillEnd) {
    TMixer m(1000);
    int s = m.Add("horn", Constant(0.5f, 1000, 1000), false);
    int loop = m.Add("engine", Constant(0.5f, 1000, 1000), true);
    m.Play(s);
    m.Play(loop);
    m.Mix(nullptr, 999);
    EXPECT_TRUE(m.IsPlaying(s));
    m.Mix(nullptr, 1);
    EXPECT_FALSE(m.IsPlaying(s));
    EXPECT_TRUE(m.IsPlaying(loop));
}

TEST(Mixer, NoDeviceMeansSilenceNotFailure) {
    // The dummy driver plays into nowhere; either way the game goes on.
    TMixer m;
    TSoundDevice device(m);
    device.Open();
    int s = m.Add("tone", Constant(0.5f, 100), false);
    m.Play(s);
    device.Update(0);
    device.Update(1000);
    device.Close();
    SUCCEED();
}

namespace {

void WriteWave16(const std::string& path, int rate, int channels,
                 const std::vector<int16_t>& samples) {
    auto u32 = [](std::ofstream& f, uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [](std::ofstream& f, uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
    std::ofstream f(path, std::ios::binary);
    const uint32_t bytes = uint32_t(samples.size() * 2);
    f.write("RIFF", 4);
    u32(f, 36 + bytes);
    f.write("WAVEfmt ", 8);
    u32(f, 16);
    u16(f, 1);
    u16(f, uint16_t(channels));
    u32(f, uint32_t(rate));
    u32(f, uint32_t(rate * channels * 2));
    u16(f, uint16_t(channels * 2));
    u16(f, 16);
    f.write("data", 4);
    u32(f, bytes);
    f.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

} // namespace

TEST(WaveFile, SixteenBitStereoReadsAsFloats) {
    const std::string path = testing::TempDir() + "mixer_test.wav";
    WriteWave16(path, 22050, 2, {16384, -16384, 0, 32767});
    TWave w;
    ASSERT_EQ(LoadWaveFile(path, w), "");
    EXPECT_EQ(w.Rate, 22050);
    EXPECT_EQ(w.Channels, 2);
    ASSERT_EQ(w.Frames(), 2);
    EXPECT_NEAR(w.Samples[0], 0.5f, 1e-3f);
    EXPECT_NEAR(w.Samples[1], -0.5f, 1e-3f);
    EXPECT_NEAR(w.Samples[3], 1.0f, 1e-3f);
    std::remove(path.c_str());
}

TEST(WaveFile, MissingOrBrokenFileIsReportedAndChangesNothing) {
    TWave w = Constant(0.5f, 3);
    EXPECT_EQ(LoadWaveFile("/no/such/Horn.wav", w), "Cannot open file /no/such/Horn.wav");
    const std::string path = testing::TempDir() + "broken.wav";
    std::ofstream(path, std::ios::binary) << "RIFF\x10\0\0\0WAVEjunkjunk";
    EXPECT_EQ(LoadWaveFile(path, w), "Cannot open file " + path);
    EXPECT_EQ(w.Frames(), 3);
    std::remove(path.c_str());
}
