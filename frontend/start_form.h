// The start screen: the main window, where every match is set up and
// started, and where the player comes back to with Esc. Closing it ends
// the program.
//
// This is the window's state and behaviour; the program draws it and hands
// it the clicks (the handlers below carry the names of the controls they
// belong to), so tests can drive it without a screen.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/game.h"
#include "core/image.h"
#include "frontend/application.h"
#include "frontend/network_form.h"
#include "world/level_list.h"

struct TSettings;
class TForm1;

inline constexpr const char* SortNames[] = {"Tank", "Hovercraft", "Hummer"};
inline constexpr const char* PatternNames[] = {"(none)", "Stripes 1", "Stripes 2", "Camo",
                                               "Tribal", "Sides",     "Tiger",     "Fire"};
inline constexpr const char* WeaponNames[] = {"machine gun", "railgun",        "cluster bomb",
                                              "rockets",     "homing missile", "guided missile",
                                              "BFG",         "varying"};
inline constexpr const char* ResolutionNames[] = {"640x480", "800x600", "1024x768"};
inline constexpr const char* ColourDepthNames[] = {"16", "24", "32"};
inline constexpr const char* StartHelpTexts[] = {"Start", "Start splitscreen", "Start network game",
                                                 "Start splitscreen network game"};

constexpr int StartFormWidth = 661;
constexpr int StartFormHeight = 480;
constexpr int MaxBotCount = MaxTanks - 2;
constexpr int MaxLimit = 1000;
constexpr int MaxServerRate = 100;
constexpr int MaxArmour = 500;
constexpr int HelpDelayMs = 1000;

enum TGameStyle { styleDeathmatch, styleTeamWar, styleCaptureTheCow };

// The four start buttons.
enum TStartKind { startLocal, startSplitScreen, startNetwork, startSplitScreenNetwork };

// What a start button ended with.
enum class TStartResult {
    Started,       // a new game is requested and the game window shown
    Refused,       // a check said no (the message has been shown)
    NoNetworkPlay, // a network start passed its checks, but this build has no network dialog
    NetworkDialog, // a network start passed its checks and the network dialog is shown
};

// Entry k of the player selector: "Player 1", "Player 2", "Bot 1" .. "Bot 62".
std::string SelectorEntry(int k);

// The text colour that goes with a background tint.
struct TTint {
    double R = 1, G = 1, B = 1;
    uint32_t TextColour() const;
};
// The background's random tint: three random shares, one of them lifted
// into the upper half so the picture never goes dark.
TTint RandomTint(Random& rng);
// The start screen's own background: a moor under a low sky, drawn in
// shades of red only (the tint recolours it from its red channel).
TImage MakeStartBackground();
// Every pixel's red v becomes (round(r v), round(g v), round(b v)).
void TintBackground(TImage& picture, const TTint& tint);

class TStartForm {
  public:
    TStartForm(TApplication& app, Game& g) : App(app), G(g) {}

    // --- the window's life -------------------------------------------------
    // Once: the selector's entries, the tint and the background picture.
    void FormCreate();
    // Each time the start screen becomes the active window. Before the first
    // game this rebuilds the level lists and reloads the settings file.
    void FormActivate();
    void FormDeactivate();
    // EXIT, F12, the window's close box, or the game window closing: saves
    // the settings (never in screen-saver mode) and ends the program. Where
    // messages wait to be read, a save that failed is shown first and the
    // program ends once the player has seen it (QuitWhenSeen).
    void Close();
    // The start screen's own drawing surface (its preview); the game window
    // takes the display over while it plays.
    void ReleaseSurface() { SurfaceReady = false; }
    // The game window this screen starts and returns to.
    void SetGameWindow(TForm1* form) { GameWindow = form; }

    std::string Caption() const {
        return GameStarted ? "Moorclash (press Esc to continue game)" : "Moorclash";
    }

    // --- settings ---------------------------------------------------------
    // Reads the settings file into the controls; a failure is shown as a
    // message. Returns the message, empty when the whole file was read.
    std::string LoadSettingsIntoControls();
    // Writes the controls back into settings.dat; empty on success.
    std::string SaveSettingsFromControls();
    // The controls as the settings file holds them (storing the edited set-up
    // and the taunt boxes first).
    TSettings ControlsToSettings();
    // Puts settings into the controls the way loading does, every number kept
    // inside its control's range. fullLoad: the file was read to its end.
    void SettingsToControls(const TSettings& s, bool fullLoad);

    // --- player controls --------------------------------------------------
    void StoreSetup(int k); // controls -> TankSetups[k]
    void ShowSetup(int k);  // TankSetups[k] -> controls
    void SelectTankChange(int index);
    void SelectPlayerBtnClick();
    void SetBotsBtnClick();
    void NameChange(const std::string& text);
    void SortChange(int index);
    void PatternChange(int index);
    void WeaponChange(int index);

    // --- match controls ---------------------------------------------------
    void StyleClick(TGameStyle style);
    void UseBasesClick(bool on);
    void LimitChange(int value);
    void BotCountChange(int value);
    void SelectLevel(int index);
    void MapUpClick();
    void MapDownClick();
    int LimitBoxValue() const {
        return Style == styleCaptureTheCow ? CowLimitSetting : FragLimitSetting;
    }
    const char* LimitCaption() const {
        return Style == styleCaptureTheCow ? "Cow limit:" : "Frag limit:";
    }
    const std::vector<std::string>& ShownLevels() const { return Levels.Shown(); }
    std::string SelectedLevelName() const;

    // --- options ----------------------------------------------------------
    void OptionsBtnClick();
    void ArmourChange(int value);
    void ServerRateChange(int value);
    void ResolutionChange(int index);
    void ColourDepthChange(int index);
    // The taunt boxes into TauntTable: up to four lines each; slots past a
    // box's last line keep their text.
    void CopyTauntBoxes();

    // --- help text --------------------------------------------------------
    // The mouse is over start button k (-1: over the background): its help
    // text shows at once.
    void HoverStartButton(int k, int32_t nowMs);
    // The preview timer: shows a waiting help text once its delay is over.
    void PreviewTimer(int32_t nowMs);
    // The server timer, every ServerTimerInterval while enabled: keeps a
    // hosted network match running while its host is here.
    void ServerTimerTimer(int32_t nowMs);

    // --- starting ---------------------------------------------------------
    TStartResult StartClick(TStartKind kind);
    // Keys seen before the controls: Esc continues a started game, F1 opens
    // the key dialog, F12 closes. True when the key was taken.
    bool KeyDown(int vk);
    // Esc on the start screen once a game is running: back into it.
    void ContinueGame();

    // --- network ----------------------------------------------------------
    // Every pass of the loop: a network start goes on once its dialog has
    // closed, and a client's game window comes up once it has all it needs.
    void NetworkPass();
    // The network game's session ended under it (the host gone and nobody
    // to take over): back here, with why.
    void SessionEnded(const std::string& why);
    // An open session is closed, saying so in the caption meanwhile.
    void CloseSession();
    // The session network games run in, and the dialog that opens it (none:
    // no network play in this run: the network buttons say so at once).
    Session* Net = nullptr;
    TNetworkForm* NetworkForm = nullptr;
    bool NetworkStartPending = false;

    // --- screen saver -----------------------------------------------------
    // Each activation: the program started as a screen saver plays the bots'
    // show, a second after the start screen came up.
    void DetectScreenSaver();
    // The one-shot start timer, polled by the program's loop.
    void ScreenSaverTimer(int32_t nowMs);
    // The show begins: full screen, every vehicle a bot, the file's options.
    void ScreenSaverStart();

    // --- controls' state --------------------------------------------------
    // Player controls.
    std::string Label12 = "Player 1:";
    std::string SelectPlayerCaption = "Set Player 2";
    std::string SetBotsCaption = "Configure bots";
    bool SelectorVisible = false;
    int SelectorIndex = 0;
    std::string NameBox;
    int SortIndex = 0;
    int PatternIndex = 0;
    int WeaponIndex = 0;
    int ColourSelect = 0; // named colour of the edited set-up's first colour
    bool WeaponVisible() const { return SelectorIndex > 1; }
    // Set when the name box should take the keyboard (a refused name).
    bool FocusNameBox = false;

    // Match controls.
    TGameStyle Style = styleDeathmatch;
    bool UseBases = true;
    TLevelLists Levels;
    int LevelIndex = -1;     // in the shown list, -1 none
    int OtherLevelIndex = 0; // remembered place in the list not shown
    int BotCount = 0;
    int32_t FragLimitSetting = 50;
    int32_t CowLimitSetting = 5;

    // The options group.
    bool OptionsShown = false;
    std::string OptionsCaption = "OPTIONS";
    int Armour = 100;
    std::string ArmourLabel = "100 %";
    bool TankIndicators = true;
    bool ShowNames = false;
    bool Fullscreen = false;
    bool ScreenSync = false;
    // "Resolution" (0: 640x480, 1: 800x600, 2: 1024x768) and "Color Depth"
    // (0: 16, 1: 24, 2: 32 bits); -1 none chosen.
    int ResolutionIndex = -1;
    int ColourDepthIndex = -1;
    bool NoShadows = false;
    bool SwitchSides = true; // "Player 2 left side of screen"
    bool CycleLevels = true;
    int ServerRate = 1;
    std::string TauntBox1, TauntBox2; // one taunt per line
    double TauntChance = 0.5;         // no control: only the file sets it

    // Help text beside the start buttons.
    std::string HelpText;
    bool HelpVisible = false;
    int HelpButton = -1;
    int32_t HelpShowAt = -1; // tick count when a waiting text appears, -1 none

    // Developer mode's trace list.
    std::deque<std::string> DebugList;
    void AddDebugLine(const std::string& line);

    // The tinted background and the text colour that goes with it.
    TTint Tint;
    TImage Background;

    // --- state ------------------------------------------------------------
    bool Visible = false;
    bool Active = false;
    bool SurfaceReady = false;
    bool TimerEnabled = false;        // the 40 ms preview timer
    bool ServerTimerEnabled = false;  // keeps a hosted match going while shown
    int32_t ServerTimerInterval = 50; // ms, the match's status interval
    bool GameStarted = false;
    int EditedSetup = 0;
    // Set while a set-up is copied into the controls, so their change
    // handlers leave the table alone.
    bool Showing = false;
    // Asked for by F1 / "Configure controls"; the program opens the dialog.
    bool KeyDialogRequested = false;
    // The display the game window uses, taken from the options when a game
    // is shown (read by the game window).
    bool Windowed = true;
    // Messages wait on the start screen until dismissed (the program's
    // window), rather than passing by on a console.
    bool MessagesWait = false;
    // Close could not save: the program ends when the message is gone.
    bool QuitWhenSeen = false;
    // The system started the program as a screen saver ("/s").
    bool ScreenSaverCommand = false;
    bool ScreenSaverTimerEnabled = false;
    int32_t ScreenSaverTimerStart = -1; // tick count the timer counts from, -1 not yet

    TApplication& App;
    Game& G;

  private:
    void ApplyStyle();
    void CheckCheatFlags();
    // The controls the set-up step reads, into the game's start choices.
    void HandOver();
    void ShowGameWindow();

    TForm1* GameWindow = nullptr;
};
