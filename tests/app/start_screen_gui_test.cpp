// The real start screen drawn by ImGui on SDL's software renderer, without
// any display, and worked with made-up mouse and key events. The pictures
// it draws are left in the build folder to look at.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <filesystem>
#include <string>

#include "app/program.h"
#include "app/start_screen.h"
#include "fakes/fakes.h"
#include "frontend/settings_file.h"
#include "platform/bitmap_file.h"
#include "world/world_support.h"

namespace {

// Message boxes wait on the start screen, as in the program.
class MenuUi : public RecordingUi {
  public:
    TStartScreen* Menu = nullptr;
    void MessageBox(const std::string& t) override {
        RecordingUi::MessageBox(t);
        if (Menu) Menu->Messages.push_back(t);
    }
};

struct GuiRig {
    ManualClock Clock;
    SilentSound Sound;
    MenuUi TheUi;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TempFolder Folder;
    std::unique_ptr<TProgram> Program;
    SDL_Surface* Surface = nullptr;
    SDL_Renderer* Renderer = nullptr;
    TImGuiLayer Gui;
    std::unique_ptr<TStartScreen> Screen;

    GuiRig() {
        // The program's folder, but settings.dat is written in a scratch one.
        for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
            const std::string name = e.path().filename().string();
            if (name != SettingsFileName && e.is_regular_file())
                std::filesystem::create_symlink(e.path(), Folder.Path / name);
        }
        Program = std::make_unique<TProgram>(Clock, Sound, TheUi, Net, Display, Reader, 4,
                                             Folder.Path.string());
        EXPECT_EQ(CreateWindows(*Program, TOptions{}), "");
        Surface = SDL_CreateRGBSurfaceWithFormat(0, StartFormWidth, StartFormHeight, 32,
                                                 SDL_PIXELFORMAT_XBGR8888);
        Renderer = SDL_CreateSoftwareRenderer(Surface);
        EXPECT_EQ(Gui.Initialise(Renderer), "");
        Screen = std::make_unique<TStartScreen>(Program->Start, Gui);
        TheUi.Menu = Screen.get();
        Form().FormActivate();
        Frame();
        Frame();
    }
    ~GuiRig() {
        Screen.reset();
        Gui.Finalise();
        if (Renderer) SDL_DestroyRenderer(Renderer);
        if (Surface) SDL_FreeSurface(Surface);
    }

    TStartForm& Form() { return Program->Start; }
    Game& g() { return *Program->G; }
    void Frame(int ms = 16) {
        Clock.Advance(ms);
        Screen->Frame(Clock.Now, false);
    }
    bool Shown(const std::string& name) const { return Screen->Places.count(name) > 0; }
    void MoveTo(const std::string& name) {
        ASSERT_TRUE(Shown(name)) << name << " is not on the screen";
        const SDL_Rect r = Screen->Places.at(name);
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = r.x + r.w / 2;
        e.motion.y = r.y + r.h / 2;
        Screen->HandleEvent(e);
        Frame();
    }
    void Click(const std::string& name) {
        if (!Shown(name)) {
            ADD_FAILURE() << name << " is not on the screen";
            return;
        }
        MoveTo(name);
        SDL_Event e{};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = SDL_BUTTON_LEFT;
        const SDL_Rect r = Screen->Places.at(name);
        e.button.x = r.x + r.w / 2;
        e.button.y = r.y + r.h / 2;
        Screen->HandleEvent(e);
        Frame();
        e.type = SDL_MOUSEBUTTONUP;
        Screen->HandleEvent(e);
        Frame();
        Frame();
    }
    void Key(SDL_Keycode sym, SDL_Scancode code) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = code;
        Screen->HandleEvent(e);
        Frame();
        e.type = SDL_KEYUP;
        Screen->HandleEvent(e);
        Frame();
    }
    void Type(const std::string& text) {
        SDL_Event e{};
        e.type = SDL_TEXTINPUT;
        SDL_strlcpy(e.text.text, text.c_str(), sizeof e.text.text);
        Screen->HandleEvent(e);
        Frame();
    }
    // The last frame as a picture in the build folder.
    void Save(const std::string& name) {
        TImage image(Surface->w, Surface->h);
        SDL_RenderReadPixels(Renderer, nullptr, SDL_PIXELFORMAT_XBGR8888, image.Pixels.data(),
                             image.Width * 4);
        for (uint32_t& p : image.Pixels)
            p &= 0xFFFFFF;
        std::string why;
        EXPECT_TRUE(SaveImageFile(image, std::string(MOOR_BIN_DIR) + "/../" + name, &why)) << why;
    }
};

} // namespace

TEST(StartScreenGui, OptionsAreShownAndHiddenByTheirButton) {
    GuiRig rig;
    rig.Save("start_screen.png");
    EXPECT_TRUE(rig.Shown("NameBox"));
    EXPECT_FALSE(rig.Shown("HealthBar"));
    rig.Click("OptionsBtn");
    EXPECT_TRUE(rig.Form().OptionsShown);
    EXPECT_EQ(rig.Form().OptionsCaption, "HIDE OPTIONS");
    EXPECT_TRUE(rig.Shown("HealthBar"));
    EXPECT_TRUE(rig.Shown("TauntList2"));
    EXPECT_FALSE(rig.Shown("NameBox")) << "the options cover the player's controls";
    rig.Save("start_options.png");
    rig.Click("OptionsBtn");
    EXPECT_EQ(rig.Form().OptionsCaption, "OPTIONS");
    EXPECT_TRUE(rig.Shown("NameBox"));
}

TEST(StartScreenGui, ConfigureBotsShowsTheSelectorAndTheWeapon) {
    GuiRig rig;
    EXPECT_FALSE(rig.Shown("SelectTank"));
    EXPECT_FALSE(rig.Shown("WeaponBox"));
    rig.Click("OptionsBtn");
    rig.Click("SetBotsBtn");
    EXPECT_EQ(rig.Form().SetBotsCaption, "Hide botconfig");
    rig.Click("OptionsBtn");
    EXPECT_TRUE(rig.Shown("SelectTank"));
    EXPECT_TRUE(rig.Shown("WeaponBox"));
    EXPECT_EQ(rig.Form().Label12, "Bot 1:");
    rig.Save("start_bots.png");
    // The bot's name as typed; a click on the box selects what was there.
    rig.Click("NameBox");
    rig.Type("Daisy");
    rig.Key(SDLK_RETURN, SDL_SCANCODE_RETURN);
    EXPECT_EQ(rig.g().Start.TankSetups[2].Name, "Daisy");
}

TEST(StartScreenGui, CaptureTheCowShowsTheBaseLevelsAndTheCowLimit) {
    GuiRig rig;
    TStartForm& f = rig.Form();
    const std::string plain = f.Levels.AllLevels.front();
    EXPECT_TRUE(rig.Shown("level " + plain));
    rig.Click("CheckCTC");
    EXPECT_EQ(f.Style, styleCaptureTheCow);
    EXPECT_FALSE(rig.Shown("level " + plain));
    EXPECT_TRUE(rig.Shown("level Credits..."));
    EXPECT_EQ(f.LimitBoxValue(), f.CowLimitSetting);
    EXPECT_FALSE(rig.Shown("CheckUseBases"));
    rig.Click("CheckTeamgame");
    EXPECT_TRUE(rig.Shown("CheckUseBases"));
    rig.Click("CheckUseBases");
    EXPECT_FALSE(f.UseBases);
    EXPECT_FALSE(f.Levels.BaseLevelMode);
    // The first level stays first.
    f.SelectLevel(0);
    rig.Frame();
    rig.Frame();
    rig.Click("level " + plain);
    rig.Click("MapUp");
    EXPECT_EQ(f.Levels.AllLevels.front(), plain);
    rig.Click("MapDown");
    EXPECT_EQ(f.Levels.AllLevels[1], plain);
    EXPECT_EQ(f.SelectedLevelName(), plain);
}

TEST(StartScreenGui, HelpTextAppearsBesideTheHoveredStartButton) {
    GuiRig rig;
    rig.MoveTo("Start1PN");
    ASSERT_TRUE(rig.Shown("HelpText"));
    EXPECT_EQ(rig.Form().HelpText, "Start network game");
    const SDL_Rect help = rig.Screen->Places.at("HelpText");
    const SDL_Rect button = rig.Screen->Places.at("Start1PN");
    EXPECT_GT(help.x, button.x + button.w);
    EXPECT_NEAR(help.y + help.h / 2, button.y + button.h / 2, 2);
}

TEST(StartScreenGui, ANetworkStartSaysItIsNotInThisBuild) {
    GuiRig rig;
    rig.Form().NameChange("Ann");
    rig.Click("Start1PN");
    ASSERT_TRUE(rig.Shown("MessageOK"));
    EXPECT_EQ(rig.Screen->Messages.front(), "Network play is not in this build yet.");
    EXPECT_FALSE(rig.Form().GameStarted);
    rig.Frame(); // a box that sizes itself shows from its second frame
    rig.Save("start_message.png");
    rig.Click("MessageOK");
    EXPECT_TRUE(rig.Screen->Messages.empty());
    EXPECT_FALSE(rig.Shown("MessageOK"));
}

TEST(StartScreenGui, F1AndConfigureControlsSayTheKeyDialogIsToCome) {
    GuiRig rig;
    rig.Key(SDLK_F1, SDL_SCANCODE_F1);
    rig.Frame();
    ASSERT_EQ(rig.Screen->Messages.size(), 1u);
    EXPECT_TRUE(rig.Shown("MessageOK"));
    // Keys wait while a message is up.
    rig.Key(SDLK_F12, SDL_SCANCODE_F12);
    EXPECT_FALSE(rig.Program->App.Terminated);
    rig.Click("MessageOK");
    rig.Click("OptionsBtn");
    rig.Click("SetControlsBtn");
    EXPECT_EQ(rig.Screen->Messages.size(), 1u);
}

TEST(StartScreenGui, StartPlaysEscContinuesAndF12SavesTheUntouchedFile) {
    GuiRig rig;
    rig.Click("StartBtn");
    TForm1& game = rig.Program->Form;
    ASSERT_TRUE(game.Visible);
    ASSERT_TRUE(game.SurfaceReady) << game.StartError;
    EXPECT_TRUE(rig.Form().GameStarted);
    for (int i = 0; i < 50; ++i) {
        rig.Clock.Advance(10);
        game.TimerTimer();
    }
    const int32_t played = rig.g().GameTime;
    EXPECT_GT(played, 0);
    // Esc in the game: the start screen, the match kept.
    game.Hide();
    rig.Form().FormActivate();
    rig.Frame();
    rig.Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    EXPECT_TRUE(game.Visible);
    EXPECT_FALSE(rig.g().Start.NewGameRequested);
    EXPECT_GE(rig.g().GameTime, played) << "the same match goes on";

    rig.Key(SDLK_F12, SDL_SCANCODE_F12);
    EXPECT_TRUE(rig.Program->App.Terminated);
    EXPECT_EQ(rig.Folder.Read(SettingsFileName), rig.Folder.Read(DefaultSettingsFileName));
}

TEST(StartScreenGui, APressAndReleaseBetweenTwoFramesStillClicks) {
    GuiRig rig;
    const SDL_Rect r = rig.Screen->Places.at("OptionsBtn");
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = r.x + r.w / 2;
    e.motion.y = r.y + r.h / 2;
    rig.Screen->HandleEvent(e);
    e = {};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = r.x + r.w / 2;
    e.button.y = r.y + r.h / 2;
    rig.Screen->HandleEvent(e);
    e.type = SDL_MOUSEBUTTONUP;
    rig.Screen->HandleEvent(e);
    rig.Frame();
    rig.Frame();
    rig.Frame();
    EXPECT_TRUE(rig.Form().OptionsShown);
}
