#include "app/game_display.h"

#include <cstdio>

bool WindowDisplay::InitSurface(const TDisplayMode& mode) {
    if (Display.Initialised()) {
        // Mode first, then the window: it appears the way it is meant to be.
        Display.SetMode(mode);
        Display.Show();
    } else {
        const std::string error = Display.Initialise("Moorclash", mode, mode.Width, mode.Height);
        if (!error.empty()) {
            std::fprintf(stderr, "moorclash: %s\n", error.c_str());
            Failed = true;
            return false;
        }
        // In front, with the keyboard, even without a window manager.
        Display.Show();
    }
    Display.HidePointerInWindow(true);
    return true;
}

void WindowDisplay::FinalizeSurface() {
    Display.Hide();
}

void WindowDisplay::SetNumLockOn() {
    TKeyboard::TState s = Keyboard.Read();
    s[vk::NumLock] = 1;
    Keyboard.Write(s);
}

void WindowDisplay::DrawFrame() {
    if (!Program) return;
    const int32_t now = TheClock.TickCount();
    // The tick runs every millisecond; a few hundred frames a second are
    // plenty, and the rest of the time the loop sleeps. (Vsync alone does
    // not pace: a software renderer ignores it.)
    if (!Cap.Due(now)) return;
    Frame.Draw(Display.Canvas(), *Program, now);
    const std::string note = Display.TakeModeNote();
    if (!note.empty()) ConsoleLine(*Program->G, note);
    Display.Present();
}
