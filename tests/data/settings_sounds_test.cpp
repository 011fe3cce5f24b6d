// The default settings, the key bindings and the sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "core/asset_names.h"
#include "data_files.h"

namespace {

// Whole-line integers, as the settings reader takes them.
bool Numbers(const std::string& line, std::vector<long>& out) {
    std::istringstream in(line);
    long v = 0;
    out.clear();
    while (in >> v)
        out.push_back(v);
    return in.eof() && !out.empty();
}

} // namespace

TEST(DefaultSettings, ThreeHundredFortySevenLinesThatParse) {
    bool crlf = false;
    std::vector<std::string> lines = Lines(ReadText(BinPath("default settings.dat")), crlf);
    EXPECT_TRUE(crlf);
    ASSERT_EQ(lines.back(), ""); // the last line ends with CR LF too
    lines.pop_back();
    ASSERT_EQ(lines.size(), 347u);
    std::vector<long> v;
    auto number = [&](int line) {
        EXPECT_TRUE(Numbers(lines[line - 1], v) && v.size() == 1) << "line " << line;
        return v.empty() ? -1 : v[0];
    };
    for (int flag : {1, 2, 3, 4, 5, 9, 10})
        EXPECT_TRUE(number(flag) == 0 || number(flag) == 1) << flag;
    EXPECT_EQ(number(6), 2);  // 1024 x 768
    EXPECT_EQ(number(7), 2);  // 32 bits
    EXPECT_EQ(number(8), 20); // server rate
    EXPECT_EQ(number(11), 100);
    EXPECT_GE(number(12), 0);
    EXPECT_LE(number(12), 62);
    EXPECT_EQ(number(13), 50);
    EXPECT_EQ(number(14), 5);
    EXPECT_GT(number(15), 0);
    EXPECT_LE(number(15), 100);
    for (int t = 16; t <= 27; ++t)
        EXPECT_FALSE(lines[t - 1].empty()) << "taunt on line " << t;
    std::set<std::string> names;
    std::set<long> colours;
    for (int k = 0; k < 64; ++k) {
        const int at = 28 + k * 5;
        SCOPED_TRACE("setup " + std::to_string(k));
        EXPECT_FALSE(lines[at - 1].empty());
        names.insert(lines[at - 1]);
        const long sort = number(at + 1), pattern = number(at + 2);
        EXPECT_TRUE(sort == 0 || sort == 5 || sort == 10);
        EXPECT_TRUE(pattern >= -1 && pattern <= 6);
        for (int c = 0; c < 2; ++c) {
            ASSERT_TRUE(Numbers(lines[at + 2 + c], v) && v.size() == 3);
            EXPECT_TRUE(v[0] >= 0 && v[0] <= 1535 && v[1] >= 0 && v[1] <= 255 && v[2] >= 0 &&
                        v[2] <= 512); // "White" stores 512
            if (c == 0) colours.insert(v[0] * 1000000 + v[1] * 1000 + v[2]);
        }
    }
    EXPECT_EQ(names.size(), 64u) << "every player and bot has a name of its own";
    EXPECT_GE(colours.size(), 8u) << "bots come in many colours";
}

TEST(KeySettings, TheDefaultBindingsForBothPlayers) {
    EXPECT_EQ(ReadText(BinPath("keysettings.dat")),
              "38 40 37 39 17 16 188 190 220 8 13\r\n69 68 83 70 90 65 87 82 67 81 88");
}

TEST(Sounds, EighteenPlayablePcmWaves) {
    for (std::string_view name : SoundList) {
        TPcm w;
        ASSERT_TRUE(ReadWave(BinPath(std::string(name) + ".wav"), w)) << name;
        EXPECT_EQ(w.Format, 1) << name;
        EXPECT_EQ(w.Channels, 1) << name;
        EXPECT_EQ(w.Bits, 16) << name;
        EXPECT_TRUE(w.Rate == 22050 || w.Rate == 44100) << name;
        EXPECT_GT(w.Samples.size(), size_t(w.Rate) / 20) << name;
        int peak = 0;
        for (int16_t s : w.Samples)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 8000) << name << " is nearly silent";
    }
}

TEST(Sounds, LoopingSoundsJoinWithoutAClick) {
    for (int i = 0; i < SoundCountInList; ++i) {
        if (!SoundLoops(i)) continue;
        TPcm w;
        ASSERT_TRUE(ReadWave(BinPath(std::string(SoundList[i]) + ".wav"), w));
        ASSERT_GT(w.Samples.size(), 100u);
        std::vector<int> steps;
        for (size_t k = 1; k < w.Samples.size(); ++k)
            steps.push_back(std::abs(w.Samples[k] - w.Samples[k - 1]));
        std::sort(steps.begin(), steps.end());
        const int typical = steps[steps.size() * 99 / 100];
        EXPECT_LE(std::abs(w.Samples.back() - w.Samples.front()), typical) << SoundList[i];
    }
}

TEST(Sounds, OneShotSoundsStartAndEndQuietly) {
    for (int i = 0; i < SoundCountInList; ++i) {
        if (SoundLoops(i)) continue;
        TPcm w;
        ASSERT_TRUE(ReadWave(BinPath(std::string(SoundList[i]) + ".wav"), w));
        ASSERT_FALSE(w.Samples.empty());
        EXPECT_LT(std::abs(int(w.Samples.front())), 600) << SoundList[i];
        EXPECT_LT(std::abs(int(w.Samples.back())), 600) << SoundList[i];
    }
}
