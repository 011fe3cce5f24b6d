// A display mode as the start screen chooses it.
#pragma once

struct TDisplayMode {
    bool FullScreen = false;
    // The full-screen surface: 640x480, 800x600 or 1024x768.
    int Width = 1024;
    int Height = 768;
    // 16, 24 or 32. Kept for the settings; the desktop's depth is used.
    int Depth = 16;
    bool VSync = false; // "Screen sync"
};
