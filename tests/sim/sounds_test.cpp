#include <gtest/gtest.h>

#include <cmath>

#include "core/asset_names.h"
#include "fakes/fakes.h"
#include "sim/explosions.h"
#include "sim/sounds.h"
#include "sim/vehicles.h"

namespace {

// Player 1's view is centred on (1000, 1000), player 2's (split screen)
// on (3000, 1000); both 800 x 600.
struct SoundRig : TestRig {
    SoundRig() {
        g().ViewCentres = {TVector{1000, 1000}, TVector{3000, 1000}};
        g().ViewWidths = {800, 800};
        g().ViewHeights = {600, 600};
    }
    int Add(int sort, double x, double vx = 0) {
        const int i = AddTank(g(), sort);
        g().Tanks[i].Alive = true;
        g().Tanks[i].Position = {x, 1000};
        g().Tanks[i].Velocity = {vx, 0};
        return i;
    }
    // The pan the sound played with, or "silent".
    std::string PlayAt(int sound, double x, double y = 1000) {
        Sound.Log.clear();
        PlaySoundAt(g(), sound, {x, y});
        if (Sound.Log != std::vector<std::string>{"play " + std::to_string(sound)}) return "silent";
        return std::to_string(Sound.Sounds[sound].Pan);
    }
};

} // namespace

TEST(PositionalSound, PansByWhereItHappensInTheView) {
    SoundRig rig;
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1100), "280");
    EXPECT_EQ(rig.PlayAt(sndRailgun, 500.5), "-1399");
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1500), "silent");
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1000, 1400), "silent");
    EXPECT_EQ(rig.PlayAt(sndAlarm, 1000, 1799), "0");  // the alarm carries further
    EXPECT_EQ(rig.PlayAt(sndRailgun, 3000), "silent"); // no second view
    rig.g().SplitScreen = true;
    rig.g().SplitPan = -8000;
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1200), "8000");
    EXPECT_EQ(rig.PlayAt(sndRailgun, 3200), "-8000");
    EXPECT_EQ(rig.PlayAt(sndRailgun, 6000), "silent");
    rig.g().ViewCentres[1] = {1100, 1000};
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1050), "0");
}

TEST(PositionalSound, SilentInScreenSaverAndOnAClientWithoutStatus) {
    SoundRig rig;
    rig.Sound.Play(sndMoo);
    rig.g().ClientMode = true;
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1000), "silent");
    EXPECT_FALSE(rig.Sound.IsPlaying(sndMoo)); // any sound stops the cow first
    rig.g().StatusReceived = true;
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1000), "0");
    rig.g().ScreenSaverMode = true;
    EXPECT_EQ(rig.PlayAt(sndRailgun, 1000), "silent");
}

TEST(SoundUpdate, EnginePitchFollowsSpeed) {
    SoundRig rig;
    Game& g = rig.g();
    auto pitch = [&](int sort, double speed, int engine) {
        g.Player1 = rig.Add(sort, 1000, speed);
        g.Tanks[g.Player1].Throttle = -1;
        SoundUpdate(g);
        return rig.Sound.Frequency(engine);
    };
    EXPECT_EQ(pitch(sortTank, 100, sndDiesel), 40000); // 35000 wraps round to 15000
    EXPECT_EQ(pitch(sortHovercraft, 100, sndHoverEngine), 24000);
    // 6000 for the speed, 5000 for the throttle, 22500 wrapped to 2500.
    EXPECT_EQ(pitch(sortHummer, 150, sndHummerEngine), 23500);
    // Past 46341 px/s the square no longer fits an int.
    EXPECT_EQ(pitch(sortHummer, 1e6, sndHummerEngine), 40015000);
}

// A vehicle gone NaN makes no noise of its own: its engine keeps the pitch
// of a standing one, pans to the middle, and a bang there is neither shown
// nor heard. Nor is one heard that the full explosion pool cannot show.
TEST(SoundUpdate, NoNumberAndNoRoomMakeNoNoise) {
    SoundRig rig;
    Game& g = rig.g();
    g.Player1 = rig.Add(sortHovercraft, 1000, 50);
    const double nan = std::nan("");
    g.Tanks[g.Player1].Velocity = {nan, 0};
    g.Tanks[g.Player1].Position = {nan, nan};
    SoundUpdate(g);
    EXPECT_EQ(rig.Sound.Frequency(sndHoverEngine), 14000);
    EXPECT_EQ(rig.Sound.Sounds[sndHoverEngine].Pan, 0);
    rig.Sound.Log.clear();
    SpawnExplosion(g, {nan, 1000}, sndExplosion, true);
    EXPECT_EQ(g.Explosions.Count, 0);
    while (!g.Explosions.Full())
        SpawnExplosion(g, {1000, 1000}, sndExplosion, false);
    SpawnExplosion(g, {1000, 1000}, sndExplosion, true);
    EXPECT_TRUE(rig.Sound.Log.empty());
}

TEST(SoundUpdate, EnginePansInOneViewAndPlayer2HasItsOwnInTwo) {
    SoundRig rig;
    Game& g = rig.g();
    g.Player1 = rig.Add(sortTank, 1100);
    g.Player2 = rig.Add(sortHovercraft, 3000, 50);
    g.Player2Engine = rig.Sound.AddSound();
    SoundUpdate(g);
    EXPECT_EQ(rig.Sound.Sounds[sndDiesel].Pan, 280);
    g.Tanks[g.Player1].Position.x = 5000;
    SoundUpdate(g);
    EXPECT_EQ(rig.Sound.Sounds[sndDiesel].Pan, 1400);
    g.SplitScreen = true;
    g.Tanks[g.Player1].Position.x = 1100;
    SoundUpdate(g);
    EXPECT_EQ(rig.Sound.Sounds[sndDiesel].Pan, 1400); // split screen has its own pan
    EXPECT_EQ(rig.Sound.Frequency(g.Player2Engine), 19000);
    g.Player1 = -1; // player 1's vehicle left the table
    SoundUpdate(g);
    g.Player1 = 0;
    g.ScreenSaverMode = true;
    g.Tanks[0].Velocity = {10, 0};
    SoundUpdate(g);
    EXPECT_EQ(rig.Sound.Frequency(sndDiesel), 25000);
}

TEST(SoundUpdate, HornLoopsWhileAHornIsWithinEarshot) {
    SoundRig rig;
    Game& g = rig.g();
    const int far = rig.Add(sortTank, 1600);
    const int dead = rig.Add(sortTank, 1000);
    g.Tanks[far].HornOn = g.Tanks[dead].HornOn = true;
    g.Tanks[dead].Alive = false;
    SoundUpdate(g);
    g.Tanks[far].Position.x = 1450;
    SoundUpdate(g);
    SoundUpdate(g);
    EXPECT_TRUE(g.HornPlaying);
    EXPECT_TRUE(rig.Sound.Sounds[sndHorn].Loop);
    g.Tanks[far].HornOn = false;
    SoundUpdate(g);
    EXPECT_FALSE(g.HornPlaying);
    EXPECT_EQ(rig.Sound.Log, (std::vector<std::string>{"play 12", "stop 12"}));
    g.SplitScreen = true; // player 2 hears it too
    g.Tanks[far].HornOn = true;
    g.Tanks[far].Position.x = 3000;
    SoundUpdate(g);
    EXPECT_TRUE(g.HornPlaying);
}

TEST(SoundUpdate, ClientPlaysTheHostsMachineGuns) {
    SoundRig rig;
    Game& g = rig.g();
    g.NetworkGame = g.ClientMode = g.StatusReceived = g.LevelRunning = true;
    g.GameTime = 5000;
    const int tank = rig.Add(sortTank, 1000);
    const int hover = rig.Add(sortHovercraft, 1000);
    g.Tanks[tank].GunSounding = g.Tanks[hover].GunSounding = true;
    g.Tanks[hover].NextFireTime = 5000; // not yet
    SoundUpdate(g);
    g.GameTime = 5001;
    SoundUpdate(g);
    EXPECT_EQ(g.Tanks[tank].NextFireTime, 5050);
    EXPECT_EQ(g.Tanks[hover].NextFireTime, 5017);
    EXPECT_EQ(rig.Sound.Log, (std::vector<std::string>{"play 5", "play 5"}));
    g.ClientMode = false; // the host plays its guns as it fires them
    g.GameTime = 6000;
    SoundUpdate(g);
    EXPECT_EQ(g.Tanks[tank].NextFireTime, 5050);
}
