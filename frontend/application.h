// The program's run: ends when the start screen closes.
#pragma once

struct TApplication {
    bool Terminated = false;
    void Terminate() { Terminated = true; }
};

// A full-screen mode or the window, as the start screen's boxes choose it.
struct TDisplayMode {
    int Width = 1024;
    int Height = 768;
    int Depth = 32;
    bool FullScreen = false;
    bool VSync = true; // "Screen sync"
};
