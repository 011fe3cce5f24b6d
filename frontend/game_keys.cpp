// The game window's keyboard and mouse: the two local players' mapped keys
// and the window's own keys (pause, names, taunts, weapon digits, team
// orders, ping, the emergency exit and the developer keys).
#include <numbers>

#include "core/asset_names.h"
#include "core/vkeys.h"
#include "frontend/game_window.h"
#include "match/client_sync.h"
#include "sim/controls.h"
#include "sim/messages.h"
#include "sim/sounds.h"

namespace {

constexpr double Pi = std::numbers::pi;
constexpr int ClockNudgeMs = 20;
// The developer mouse turns the turret once round per 2000 px.
constexpr double TurretTurnPerPixel = 2 * Pi * 0.0005;
constexpr int TauntKeysPerPlayer = 4;
constexpr int Player2FirstTaunt = 4;

bool Between(int key, int first, int last) {
    return key >= first && key <= last;
}

} // namespace

void TForm1::FormKeyDown(int key, int shift, bool repeat) {
    if (G.ScreenSaverMode) {
        // Somebody is at the machine: the screen saver ends.
        Hide();
        FormClose();
        return;
    }
    // Code 0 is a key the platform has no code for, and the map holds 256.
    if (key <= 0 || key >= KeyCodeCount) return;
    // Auto-repeat would toggle the pause and spill orders and taunts; a held
    // control key presses once anyway.
    if (repeat) return;

    if (key == vk::Escape) ToStartScreen();

    if (G.DeveloperMode) {
        if (key == vk::Apps) {
            G.PassiveInterpolation = !G.PassiveInterpolation;
            if (G.PassiveInterpolation) ConsoleLine(G, "Passive Interpolation");
        }
        if (key == vk::Space) G.TurretLock = !G.TurretLock;
        if (key == vk::Delete && (shift & ssCtrl) && (shift & ssShift) && G.NetworkGame)
            G.Net.SendRemoteShutdown();
        if (key == vk::OemPlus) G.ClockOffset -= ClockNudgeMs;
        if (key == vk::OemMinus) G.ClockOffset += ClockNudgeMs;
    }

    // The main digits pick player 1's weapon, unless player 2 needs them.
    if (!G.SplitScreen && Between(key, vk::Digit(1), vk::Digit(7)))
        ControlInput(G, G.Player1, caSelectWeapon + key - vk::Digit(1), true);

    if (G.CaptureTheCow) {
        if (Between(key, vk::Numpad(0), vk::Numpad(9))) OrderInput(G, 0, key - vk::Numpad(0));
        if (G.SplitScreen && Between(key, vk::Digit(0), vk::Digit(9)))
            OrderInput(G, 1, key - vk::Digit(0));
    }

    const int action = G.KeyMap[key];
    if (action != NoKeyAction && !G.KeyHeld[key]) {
        if (action < Player2KeyActions)
            ControlInput(G, G.Player1, action, true);
        else if (G.SplitScreen)
            ControlInput(G, G.Player2, action - Player2KeyActions, true);
        G.KeyHeld[key] = true;
    }

    FixedKeyDown(key);

    if (G.SplitScreen && Between(key, vk::Fn(1), vk::Fn(TauntKeysPerPlayer)) &&
        IsTankIndex(G, G.Player2))
        SayTaunt(G, Player2FirstTaunt + key - vk::Fn(1), G.Player2);
}

void TForm1::FixedKeyDown(int key) {
    switch (key) {
    case 'N':
        if (G.KeyMap[key] == NoKeyAction) G.Start.ShowNamesBox = !G.Start.ShowNamesBox;
        break;
    case 'P':
        SetPause(!G.Paused);
        break;
    case vk::Fn(5):
    case vk::Fn(6):
    case vk::Fn(7):
    case vk::Fn(8):
        if (IsTankIndex(G, G.Player1)) SayTaunt(G, key - vk::Fn(5), G.Player1);
        break;
    case vk::Fn(9):
        if (G.ClientMode) PingServer(G);
        break;
    case vk::Fn(11):
        if (G.DeveloperMode) G.Player1Autopilot = !G.Player1Autopilot;
        break;
    case vk::Fn(12):
        if (G.DeveloperMode) {
            if (IsTankIndex(G, G.Player2)) G.Tanks[G.Player2].IsBot = !G.Tanks[G.Player2].IsBot;
        } else {
            // The boss walks in: gone at once, nothing saved.
            App.Terminate();
        }
        break;
    case vk::OemTilde:
        if (DeveloperSwitch) G.DeveloperMode = !G.DeveloperMode;
        break;
    default:
        break;
    }
}

void TForm1::FormKeyUp(int key) {
    if (key <= 0 || key >= KeyCodeCount) return;
    const int action = G.KeyMap[key];
    if (action == NoKeyAction) return;
    if (action < Player2KeyActions)
        ControlInput(G, G.Player1, action, false);
    else if (G.SplitScreen)
        ControlInput(G, G.Player2, action - Player2KeyActions, false);
    G.KeyHeld[key] = false;
}

void TForm1::PadInput(int slot, const TPadState& pad) {
    if (slot < 0 || slot >= int(Pads.size()) || G.ScreenSaverMode) return;
    const int vehicle = slot == 0 ? G.Player1 : (G.SplitScreen ? G.Player2 : -1);
    if (!IsTankIndex(G, vehicle)) return;
    // Start pauses like P, where pausing is allowed.
    if (Pads[slot].Update(G, vehicle, pad, TheClock.TickCount())) SetPause(!G.Paused);
}

void TForm1::ReleaseHeldKeys() {
    for (int key = 0; key < KeyCodeCount; ++key) {
        if (!G.KeyHeld[key]) continue;
        FormKeyUp(key);
        G.KeyHeld[key] = false;
    }
}

void TForm1::DXDrawMouseMove(int x, int y) {
    (void)y;
    if (!G.DeveloperMode || !IsTankIndex(G, G.Player1)) return;
    const int cx = Mode.Width / 2;
    if (x == cx) return;
    TTank& t = G.Tanks[G.Player1];
    t.TurretAngle = NormalizeAngle(t.TurretAngle - (x - cx) * TurretTurnPerPixel);
    if (t.Sort == sortHovercraft) {
        if (t.TurretAngle > Pi / 2) t.TurretAngle = Pi / 2;
        if (t.TurretAngle < -Pi / 2) t.TurretAngle = -Pi / 2;
    }
    Display.MovePointer(cx, Mode.Height / 2);
}

void TForm1::ScreenSaverMouseMove(int x, int y) {
    if (!G.ScreenSaverMode || !Visible) return;
    // The pointer's first report is where it happened to rest when the
    // window came up; any other place means somebody moved it.
    if (!SaverMouseSeen) {
        SaverMouseSeen = true;
        SaverMouseX = x;
        SaverMouseY = y;
        return;
    }
    if (x == SaverMouseX && y == SaverMouseY) return;
    Hide();
    FormClose();
}

void TForm1::DXDrawMouseDown(int button) {
    if (G.ScreenSaverMode) {
        // A click is somebody at the machine as much as a key is.
        Hide();
        FormClose();
        return;
    }
    if (!G.DeveloperMode) return;
    // The left button fires on this machine only; the right or middle one
    // changes the weapon like the key does.
    if (button == mbLeft)
        ApplyControl(G, G.Player1, caFire, true);
    else
        ControlInput(G, G.Player1, caChangeWeapon, true);
}

void TForm1::DXDrawMouseUp(int) {
    if (!G.DeveloperMode) return;
    ApplyControl(G, G.Player1, caFire, false);
}

void TForm1::SetPause(bool pause) {
    if (G.ScreenSaverMode) return;
    if (G.NetworkGame) pause = false;
    G.Paused = pause;
    if (pause) {
        if (!Mode.FullScreen) G.TheUi.SetCaption("Moorclash (Paused)");
        G.Sound.Stop(sndDiesel);
        G.Sound.Stop(sndHoverEngine);
        G.Sound.Stop(sndHummerEngine);
        if (G.Player2Engine >= 0) G.Sound.Stop(G.Player2Engine);
        return;
    }
    G.TheUi.SetCaption("Moorclash");
    if (IsTankIndex(G, G.Player1) && G.Tanks[G.Player1].Alive) StartEngineSound(G, G.Player1);
    if (G.TwoPlayers && IsTankIndex(G, G.Player2) && G.Tanks[G.Player2].Alive)
        StartEngineSound(G, G.Player2);
    // The time spent paused is not played.
    if (!G.ClientMode) G.LastTick = TheClock.TickCount();
}

void TForm1::ToStartScreen() {
    Hide();
    Start.Visible = true;
}
