// The real start screen drawn by ImGui on SDL's software renderer, without
// any display, and worked with made-up mouse and key events. The pictures
// it draws are left in the build folder to look at.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <filesystem>
#include <string>

#include "app/program.h"
#include "app/screen_frame.h"
#include "app/start_screen.h"
#include "core/vkeys.h"
#include "fakes/fakes.h"
#include "frontend/key_settings.h"
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
    TScreenFrame Pictures;
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
        EXPECT_TRUE(Pictures.Load(Reader, Folder.Path.string() + "/", TheUi));
        Screen = std::make_unique<TStartScreen>(Program->Start, Gui);
        Screen->Keys = &Program->Keys;
        Screen->Sprites = &Pictures.Sprites;
        Screen->Masks = &Pictures.Masks;
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
    // The mouse pressed at (x, y) inside a named control, moved to (toX,
    // toY) relative to the same corner, and let go there.
    void Drag(const std::string& name, int x, int y, int toX, int toY,
              Uint8 button = SDL_BUTTON_LEFT) {
        ASSERT_TRUE(Shown(name)) << name;
        const SDL_Rect r = Screen->Places.at(name);
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = r.x + x;
        e.motion.y = r.y + y;
        Screen->HandleEvent(e);
        Frame();
        e = {};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.button = button;
        e.button.x = r.x + x;
        e.button.y = r.y + y;
        Screen->HandleEvent(e);
        Frame();
        e = {};
        e.type = SDL_MOUSEMOTION;
        e.motion.x = r.x + toX;
        e.motion.y = r.y + toY;
        Screen->HandleEvent(e);
        Frame();
        e = {};
        e.type = SDL_MOUSEBUTTONUP;
        e.button.button = button;
        e.button.x = r.x + toX;
        e.button.y = r.y + toY;
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
    // The options make way for the selector the button asked for.
    EXPECT_FALSE(rig.Form().OptionsShown);
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
    // Just above its own button, clear of it.
    EXPECT_NEAR(help.x, button.x, 8);
    EXPECT_LT(help.y + help.h, button.y);
    EXPECT_GT(help.y + help.h, button.y - 20);
}

TEST(StartScreenGui, LongToolTipsWrapInsideTheWindow) {
    GuiRig rig;
    rig.Click("OptionsBtn");
    for (const char* control : {"CheckVSync", "ColorDepthBox", "NoShadows"}) {
        rig.MoveTo(control);
        rig.Frame();
        ASSERT_TRUE(rig.Shown("Tooltip")) << control;
        const SDL_Rect tip = rig.Screen->Places.at("Tooltip");
        EXPECT_GE(tip.x, 0) << control;
        EXPECT_LE(tip.x + tip.w, StartFormWidth) << control;
        EXPECT_LE(tip.y + tip.h, StartFormHeight) << control;
    }
    rig.Save("start_tooltip.png");
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

TEST(StartScreenGui, TheKeyDialogBindsChecksAndSavesOnlyOnOk) {
    GuiRig rig;
    TKeyConfigForm& keys = rig.Program->Keys;
    const std::string before = rig.Folder.Read(KeySettingsFileName);
    rig.Key(SDLK_F1, SDL_SCANCODE_F1);
    rig.Frame();
    ASSERT_TRUE(keys.Visible);
    ASSERT_TRUE(rig.Shown("key 4"));
    EXPECT_EQ(keys.Labels[4], "[Ctrl]");
    rig.Frame();
    rig.Save("key_dialog.png");
    // F12 is a key to bind here, not the end of the program.
    rig.Click("key 4");
    EXPECT_EQ(keys.Labels[4], "press key");
    rig.Key(SDLK_F12, SDL_SCANCODE_F12);
    EXPECT_FALSE(rig.Program->App.Terminated);
    EXPECT_EQ(keys.Labels[4], "[F12]");
    // Player 1's Fire on Z takes it from player 2.
    rig.Click("key 4");
    rig.Key(SDLK_z, SDL_SCANCODE_Z);
    EXPECT_EQ(keys.Labels[4], "[Z]");
    rig.Click("KeyOK");
    ASSERT_EQ(rig.Screen->Messages.size(), 1u);
    EXPECT_EQ(rig.Screen->Messages.front(), "Please assign a key");
    EXPECT_TRUE(keys.Visible);
    EXPECT_EQ(keys.SelectPlayerCaption, "Set Player 1");
    EXPECT_EQ(keys.Labels[4], "[NO KEY]");
    rig.Frame();
    rig.Save("key_dialog_message.png");
    // The dialog says whose keys it shows; the message leaves every row in sight.
    EXPECT_TRUE(rig.Shown("KeyTitle 2"));
    ASSERT_TRUE(rig.Shown("Message"));
    const SDL_Rect box = rig.Screen->Places.at("Message");
    for (int i = 0; i < KeyActionCount; ++i) {
        const SDL_Rect row = rig.Screen->Places.at("row " + std::to_string(i));
        EXPECT_FALSE(SDL_HasIntersection(&box, &row)) << "the message covers row " << i;
    }
    rig.Click("MessageOK");
    EXPECT_TRUE(keys.Visible);
    EXPECT_EQ(rig.Folder.Read(KeySettingsFileName), before) << "nothing saved before OK";

    // Cancel drops the edits: opened again from "Configure controls".
    rig.Click("KeyCancel");
    EXPECT_FALSE(keys.Visible);
    rig.Click("OptionsBtn");
    rig.Click("SetControlsBtn");
    ASSERT_TRUE(keys.Visible);
    EXPECT_EQ(keys.Labels[4], "[Z]") << "player 2's list is still the one shown";
    rig.Click("KeySelectPlayer");
    EXPECT_EQ(keys.Labels[4], "[Ctrl]");

    rig.Click("key 9");
    rig.Key(SDLK_SPACE, SDL_SCANCODE_SPACE);
    rig.Click("KeyOK");
    EXPECT_TRUE(rig.Screen->Messages.empty());
    EXPECT_FALSE(keys.Visible);
    EXPECT_EQ(rig.g().KeyMap[vk::Space], 9);
    EXPECT_EQ(rig.Folder.Read(KeySettingsFileName),
              "38 40 37 39 17 16 188 190 220 32 13\r\n69 68 83 70 90 65 87 82 67 81 88");
}

TEST(StartScreenGui, ColourBoxesKeepTheirValuesInsideTheirRanges) {
    GuiRig rig;
    TTankSetup& p1 = rig.g().Start.TankSetups[0];
    p1.Changed = false;
    ASSERT_TRUE(rig.Shown("SaturationBox"));
    ASSERT_TRUE(rig.Shown("Preview"));
    // Left half of the saturation box, dragged far above it: the first
    // colour at full saturation; far below with the right button: none.
    rig.Drag("SaturationBox", 3, 40, 3, -200);
    EXPECT_EQ(p1.Colour1.Saturation, 255);
    EXPECT_TRUE(p1.Changed);
    rig.Drag("SaturationBox", 3, 40, 3, 400, SDL_BUTTON_RIGHT);
    EXPECT_EQ(p1.Colour1.Saturation, 0);
    // The right half is the second colour; brightness stops at 511.
    rig.Drag("BrightnessBox", 12, 40, 12, -90);
    EXPECT_EQ(p1.Colour2.Brightness, 511);
    // The hue's lower half, dragged past its end: 1536, no hue at all.
    rig.Drag("HueBox", 20, 12, 600, 12);
    EXPECT_EQ(p1.Colour2.Hue, 1536);
    rig.Drag("HueBox", 20, 2, -50, 2);
    EXPECT_EQ(p1.Colour1.Hue, 0);
    // The chooser puts White into the first colour and wraps round.
    p1.Changed = false;
    rig.Form().ColourSelect = 0;
    rig.Click("ColorSelectDown");
    EXPECT_EQ(rig.Form().ColourSelect, 10);
    rig.Click("ColorSelectDown");
    EXPECT_EQ(rig.Form().ColourSelect, 9);
    EXPECT_EQ(p1.Colour1.Brightness, 512);
    EXPECT_TRUE(p1.Changed);
    rig.Click("Button1");
    rig.Save("start_editor.png");
    EXPECT_TRUE(p1.Changed);
}

TEST(StartScreenGui, ThePreviewTurnsAndTheButtonsShowThePlayersColours) {
    GuiRig rig;
    // Pure red Colour1 without a pattern: the button picture shows red.
    TTankSetup& p1 = rig.g().Start.TankSetups[0];
    p1.Colour1 = {0, 255, 255};
    p1.Pattern = -1;
    rig.Frame();
    rig.Frame();
    auto countRed = [&](const SDL_Rect& r) {
        TImage image(rig.Surface->w, rig.Surface->h);
        SDL_RenderReadPixels(rig.Renderer, nullptr, SDL_PIXELFORMAT_XBGR8888, image.Pixels.data(),
                             image.Width * 4);
        int n = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x) {
                const uint32_t p = image.At(x, y);
                n += RedOf(p) > 60 && GreenOf(p) < RedOf(p) / 3 && BlueOf(p) < RedOf(p) / 3;
            }
        return n;
    };
    // The software renderer keeps the last frame until the next one.
    const SDL_Rect start = rig.Screen->Places.at("StartBtn");
    EXPECT_GT(countRed(start), 50);
    const SDL_Rect preview = rig.Screen->Places.at("Preview");
    EXPECT_GT(countRed(preview), 50);
    // A look that stays the same is tinted once, however many frames.
    const int tinted = rig.Screen->PreviewLook.Tinted;
    for (int i = 0; i < 5; ++i)
        rig.Frame(500);
    EXPECT_EQ(rig.Screen->PreviewLook.Tinted, tinted);
    rig.Save("start_preview.png");
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
