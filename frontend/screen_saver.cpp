// Running as the system's screen saver: the start screen hands a bots-only
// match to a full-screen game window a second after it came up, and the
// first touch of the keyboard or the mouse ends the program.
#include "frontend/game_window.h"
#include "frontend/start_form.h"
#include "world/maps.h"

namespace {

constexpr int ScreenSaverDelayMs = 1000;

} // namespace

void TStartForm::DetectScreenSaver() {
    G.ScreenSaverMode = ScreenSaverCommand;
    if (!G.ScreenSaverMode) return;
    ScreenSaverTimerEnabled = true;
    ScreenSaverTimerStart = -1;
}

void TStartForm::ScreenSaverTimer(int32_t nowMs) {
    if (!ScreenSaverTimerEnabled) return;
    // The loop's first look after the activation starts the count.
    if (ScreenSaverTimerStart < 0) ScreenSaverTimerStart = nowMs;
    if (nowMs - ScreenSaverTimerStart < ScreenSaverDelayMs) return;
    ScreenSaverStart();
}

void TStartForm::ScreenSaverStart() {
    ScreenSaverTimerEnabled = false;
    ScreenSaverTimerStart = -1;
    CopyTauntBoxes();
    StoreSetup(EditedSetup);
    G.Start.NewGameRequested = true;
    GameStarted = true;
    // A local show for nobody in particular: no cheats, no second player.
    G.NetworkGame = false;
    G.ClientMode = false;
    G.TwoPlayers = false;
    G.CheatFlags = 0;
    if (LevelIndex < 0 && !Levels.Shown().empty()) SelectLevel(0);
    G.CreditsLevel = SelectedLevelName() == CreditsLevelName;
    G.LevelRunning = false;
    HandOver();
    // Full screen whatever the options say.
    Windowed = false;
    Visible = false;
    FormDeactivate();
    TimerEnabled = false;
    if (!GameWindow) return;
    if (GameWindow->Visible) GameWindow->Hide();
    GameWindow->Show();
}
