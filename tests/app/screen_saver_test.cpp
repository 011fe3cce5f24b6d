// The program started as a screen saver, and the display options reaching a
// match that runs: the whole program over a scratch folder, with a display
// that only remembers the modes it was given.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/program.h"
#include "core/asset_names.h"
#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/settings_file.h"
#include "platform/bitmap_file.h"
#include "world/world_support.h"

namespace {

class ModeDisplay : public NoDisplay {
  public:
    std::vector<TDisplayMode> Modes;
    bool InitSurface(const TDisplayMode& mode) override {
        Modes.push_back(mode);
        return true;
    }
};

// The shipped folder, with settings.dat kept in a scratch one.
struct SaverRig {
    ManualClock Clock;
    RecordingSound Sound;
    RecordingUi TheUi;
    NullNetOut Net;
    ModeDisplay Display;
    SdlBitmapReader Reader;
    TempFolder Folder;
    std::unique_ptr<TProgram> Program;
    TSettings File;

    SaverRig(const std::vector<std::string>& args, const std::string& programName) {
        for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
            const std::string name = e.path().filename().string();
            if (name != SettingsFileName && e.is_regular_file())
                std::filesystem::create_symlink(e.path(), Folder.Path / name);
        }
        EXPECT_EQ(LoadSettings(Folder.Path.string(), File), "");
        const TParseResult parsed = ParseOptions(args, programName);
        EXPECT_EQ(parsed.Error, "");
        Program = std::make_unique<TProgram>(Clock, Sound, TheUi, Net, Display, Reader, 5,
                                             Folder.Path.string());
        EXPECT_EQ(CreateWindows(*Program, parsed.Options), "");
        Start().ScreenSaverCommand = parsed.Options.ScreenSaver;
        Start().FormActivate();
    }
    TStartForm& Start() { return Program->Start; }
    TForm1& Form() { return Program->Form; }
    Game& g() { return *Program->G; }
    // The program's loop for ms milliseconds: the start screen's timers
    // every 16 ms and the game's tick while it is shown.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 16) {
            Clock.Advance(16);
            Start().ScreenSaverTimer(Clock.Now);
            Form().TimerTimer();
        }
    }
    bool SettingsWritten() const { return std::filesystem::exists(Folder.Path / SettingsFileName); }
};

} // namespace

TEST(ScreenSaver, SlashSToAnScrPlaysABotsShowInFullScreenASecondLater) {
    SaverRig rig({"/S"}, "C:/SCREENSAVERS/MOORCLASH.SCR");
    ASSERT_TRUE(rig.g().ScreenSaverMode);
    ASSERT_FALSE(rig.File.Fullscreen) << "the shipped file plays in a window";
    rig.Run(900);
    EXPECT_FALSE(rig.Form().Visible) << "a second passes first";
    rig.Run(200);
    ASSERT_TRUE(rig.Form().Visible);
    ASSERT_TRUE(rig.Form().SurfaceReady) << rig.Form().StartError;
    EXPECT_FALSE(rig.Start().Visible);
    EXPECT_TRUE(rig.Start().GameStarted);
    ASSERT_EQ(rig.Display.Modes.size(), 1u);
    EXPECT_TRUE(rig.Display.Modes[0].FullScreen);

    // The file's bots, and the player's own vehicle driven by a bot too.
    Game& g = rig.g();
    EXPECT_EQ(g.TankCount, 1 + SettingsBotCount(rig.File));
    for (int i = 0; i < g.TankCount; ++i)
        EXPECT_TRUE(g.Tanks[i].IsBot) << i;
    EXPECT_EQ(g.CurrentMapName, rig.Start().ShownLevels().front());
    EXPECT_EQ(g.Start.TauntTable[0], rig.File.TauntTable[0]);

    // It plays on in silence; the timer was one-shot.
    rig.Run(5000);
    EXPECT_GT(g.GameTime, 4000);
    EXPECT_EQ(rig.Display.Modes.size(), 1u);
    for (const std::string& call : rig.Sound.Log)
        EXPECT_EQ(call.rfind("play", 0), std::string::npos) << call;

    // P does not pause it: any key ends it, unsaved.
    rig.Form().FormKeyDown(vk::Escape, 0);
    EXPECT_TRUE(rig.Program->App.Terminated);
    EXPECT_FALSE(rig.SettingsWritten());
}

TEST(ScreenSaver, OnlyTheSecondPlaceOfThePointerEndsIt) {
    SaverRig rig({"/s"}, "/usr/lib/moorclash.scr");
    rig.Run(1100);
    ASSERT_TRUE(rig.Form().Visible);
    TForm1& form = rig.Form();
    // Where the pointer rested when the window came up is only noted, and
    // a report of the same place is no movement.
    form.ScreenSaverMouseMove(-300, 40);
    form.ScreenSaverMouseMove(-300, 40);
    rig.Run(100);
    EXPECT_TRUE(form.Visible);
    EXPECT_FALSE(rig.Program->App.Terminated);
    // One pixel is enough.
    form.ScreenSaverMouseMove(-299, 40);
    EXPECT_FALSE(form.Visible);
    EXPECT_TRUE(rig.Program->App.Terminated);
    EXPECT_FALSE(rig.SettingsWritten());

    // A click ends it as well.
    SaverRig click({"/s"}, "moorclash.scr");
    click.Run(1100);
    click.Form().DXDrawMouseDown(TForm1::mbLeft);
    EXPECT_TRUE(click.Program->App.Terminated);
    EXPECT_FALSE(click.SettingsWritten());
}

TEST(ScreenSaver, AnyOtherStartIsTheOrdinaryStartScreen) {
    for (const auto& [args, name] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"/c"}, "MOORCLASH.SCR"},
             {{"/p", "1234"}, "moorclash.scr"},
             {{}, "moorclash.scr"},
             {{"-developer"}, "moorclash"}}) {
        SaverRig rig(args, name);
        EXPECT_FALSE(rig.g().ScreenSaverMode) << name;
        rig.Run(3000);
        EXPECT_FALSE(rig.Form().Visible) << name;
        EXPECT_FALSE(rig.Start().GameStarted) << name;
        // The mouse means nothing to a game window that is not a screen saver.
        rig.Form().ScreenSaverMouseMove(1, 1);
        rig.Form().ScreenSaverMouseMove(2, 2);
        EXPECT_FALSE(rig.Program->App.Terminated) << name;
    }
}

TEST(DisplayOptions, ReachTheRunningMatchWhenThePlayerReturnsToIt) {
    SaverRig rig({}, "moorclash");
    TStartForm& start = rig.Start();
    TForm1& form = rig.Form();
    start.Fullscreen = false;
    start.ScreenSync = false;
    start.ResolutionIndex = -1;
    start.ColourDepthIndex = -1;
    ASSERT_EQ(start.StartClick(startLocal), TStartResult::Started);
    ASSERT_TRUE(form.SurfaceReady) << form.StartError;
    ASSERT_EQ(rig.Display.Modes.size(), 1u);
    // Nothing chosen: the first mode there is.
    EXPECT_FALSE(rig.Display.Modes[0].FullScreen);
    EXPECT_EQ(rig.Display.Modes[0].Width, 1024);
    EXPECT_EQ(rig.Display.Modes[0].Height, 768);
    EXPECT_EQ(rig.Display.Modes[0].Depth, 16);
    rig.Run(2000);
    const std::string level = rig.g().CurrentMapName;
    const int32_t played = rig.g().GameTime;

    // Esc, "Fullscreen:", a resolution, "Screen sync", Esc again.
    form.FormKeyDown(vk::Escape, 0);
    start.FormActivate();
    EXPECT_FALSE(form.Visible);
    start.Fullscreen = true;
    start.ScreenSync = true;
    start.ResolutionIndex = 1;
    start.ColourDepthIndex = 1;
    EXPECT_TRUE(start.KeyDown(vk::Escape));
    ASSERT_TRUE(form.Visible);
    ASSERT_EQ(rig.Display.Modes.size(), 2u);
    const TDisplayMode full = rig.Display.Modes[1];
    EXPECT_TRUE(full.FullScreen);
    EXPECT_TRUE(full.VSync);
    EXPECT_EQ(full.Width, 800);
    EXPECT_EQ(full.Height, 600);
    EXPECT_EQ(full.Depth, 24);
    EXPECT_TRUE(form.Mode.FullScreen) << "the pause caption asks the window's mode";
    rig.Run(500);
    EXPECT_EQ(rig.g().CurrentMapName, level);
    EXPECT_GT(rig.g().GameTime, played) << "the same match goes on";

    // Back into a window; the resolution box emptied keeps 800x600.
    form.FormKeyDown(vk::Escape, 0);
    start.FormActivate();
    start.Fullscreen = false;
    start.ResolutionIndex = -1;
    start.KeyDown(vk::Escape);
    ASSERT_EQ(rig.Display.Modes.size(), 3u);
    EXPECT_FALSE(rig.Display.Modes[2].FullScreen);
    EXPECT_EQ(rig.Display.Modes[2].Width, 800);
    EXPECT_FALSE(rig.g().ScreenSaverMode);
}
