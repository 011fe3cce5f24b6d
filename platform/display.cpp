#include "platform/display.h"

#include <cstdlib>
#include <cstring>

#include "platform/bitmap_file.h"

namespace {

// Stands in for the back buffer while the display is closed.
class TNoCanvas : public TSdlCanvas {
  public:
    TNoCanvas() : TSdlCanvas({}, nullptr, 0, 0) {}
};

} // namespace

bool RendersOnTheProcessor(SDL_Renderer* r) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(r, &info) != 0 || std::string(info.name).rfind("opengl", 0) != 0)
        return false;
    using TGetString = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<TGetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(0x1F01 /* GL_RENDERER */) : nullptr;
    const std::string renderer = name ? reinterpret_cast<const char*>(name) : "";
    return renderer.find("llvmpipe") != std::string::npos ||
           renderer.find("softpipe") != std::string::npos;
}

namespace {

bool ValidFullScreenSize(int w, int h) {
    return (w == 640 && h == 480) || (w == 800 && h == 600) || (w == 1024 && h == 768);
}

// The pixel format a full-screen mode of this colour depth asks for.
Uint32 PixelFormatOfDepth(int depth) {
    switch (depth) {
    case 16:
        return SDL_PIXELFORMAT_RGB565;
    case 24:
        return SDL_PIXELFORMAT_RGB888;
    default:
        return SDL_PIXELFORMAT_ARGB8888;
    }
}

} // namespace

std::string StartVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return {};
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return std::string("Cannot open the display: ") + SDL_GetError();
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    const bool chosen = asked && *asked;
    if (!chosen && driver &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        // Nobody would ever see the windows: better to say so and stop.
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return "Cannot open the display: there is none to show the game on (is DISPLAY set?)";
    }
    return {};
}

TDisplay::~TDisplay() {
    Finalise();
}

std::string TDisplay::Initialise(const std::string& title, const TDisplayMode& mode,
                                 int windowWidth, int windowHeight) {
    Finalise();
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        const std::string why = StartVideo();
        if (!why.empty()) return why;
        VideoStarted = true;
    }
    Win = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                           std::max(windowWidth, 64), std::max(windowHeight, 48),
                           SDL_WINDOW_RESIZABLE);
    if (!Win) {
        std::string why = std::string("Cannot open the game window: ") + SDL_GetError();
        Finalise();
        return why;
    }
    const Uint32 flags = SDL_RENDERER_TARGETTEXTURE | (mode.VSync ? SDL_RENDERER_PRESENTVSYNC : 0);
    Renderer = SDL_CreateRenderer(Win, -1, flags | SDL_RENDERER_ACCELERATED);
    if (Renderer && RendersOnTheProcessor(Renderer)) {
        SDL_DestroyRenderer(Renderer);
        Renderer = nullptr;
        // The window's own surface must not go through OpenGL either.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    // No graphics acceleration (a dummy or remote display): draw in software.
    if (!Renderer) Renderer = SDL_CreateRenderer(Win, -1, flags | SDL_RENDERER_SOFTWARE);
    if (!Renderer) {
        std::string why = std::string("Cannot draw in the game window: ") + SDL_GetError();
        Finalise();
        return why;
    }
    // The desktop's screen saver never starts while the game runs.
    SDL_DisableScreenSaver();
    Context = std::make_shared<TRenderContext>(Renderer);
    if (!Context->Text.Error().empty()) {
        std::string why = Context->Text.Error();
        Finalise();
        return why;
    }
    BackBuffer = std::make_unique<TSdlCanvas>(Context, nullptr, 0, 0);
    CurrentMode = mode;
    ApplySize();
    BackBuffer->Fill(0);
    return {};
}

void TDisplay::Finalise() {
    if (PointerShown == 0) SDL_ShowCursor(SDL_ENABLE);
    PointerShown = -1;
    Scaled.reset();
    ScaledTexture = nullptr;
    BackBuffer.reset();
    Context.reset();
    if (Renderer) SDL_DestroyRenderer(Renderer);
    if (Win) SDL_DestroyWindow(Win);
    Renderer = nullptr;
    Win = nullptr;
    if (VideoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    VideoStarted = false;
}

void TDisplay::Show() {
    if (!Win) return;
    SDL_ShowWindow(Win);
    SDL_RaiseWindow(Win);
    // Without a window manager nobody else hands it the keyboard.
    SDL_SetWindowInputFocus(Win);
    UpdatePointer();
}

void TDisplay::Hide() {
    if (Win) SDL_HideWindow(Win);
    UpdatePointer();
}

bool TDisplay::Shown() const {
    return Win && (SDL_GetWindowFlags(Win) & SDL_WINDOW_SHOWN);
}

void TDisplay::SetMode(const TDisplayMode& mode) {
    const TDisplayMode old = CurrentMode;
    CurrentMode = mode;
    if (!Renderer) return;
    if (mode.VSync != old.VSync) SDL_RenderSetVSync(Renderer, mode.VSync ? 1 : 0);
    ApplySize();
}

// Full screen asks the monitor for the chosen size and depth; where it has
// no such mode the nearest one it has is taken (or the desktop's), and the
// chosen surface is scaled onto it. In a window the surface is the client
// area, whatever its size.
void TDisplay::ApplySize() {
    const bool wasFull = SDL_GetWindowFlags(Win) & SDL_WINDOW_FULLSCREEN;
    if (CurrentMode.FullScreen) {
        if (!ValidFullScreenSize(CurrentMode.Width, CurrentMode.Height)) {
            CurrentMode.Width = 1024;
            CurrentMode.Height = 768;
        }
        if (!wasFull) {
            SDL_GetWindowPosition(Win, &Placement.x, &Placement.y);
            SDL_GetWindowSize(Win, &Placement.w, &Placement.h);
        }
        SDL_DisplayMode want{PixelFormatOfDepth(CurrentMode.Depth), CurrentMode.Width,
                             CurrentMode.Height, 0, nullptr};
        SDL_DisplayMode got{};
        const int screen = std::max(0, SDL_GetWindowDisplayIndex(Win));
        const bool exact = SDL_GetClosestDisplayMode(screen, &want, &got) != nullptr &&
                           got.w == want.w && got.h == want.h;
        if (!exact) {
            // The nearest mode by area the monitor lists, else the desktop.
            int best = -1;
            long bestGap = 0;
            for (int i = 0; i < SDL_GetNumDisplayModes(screen); ++i) {
                SDL_DisplayMode m{};
                if (SDL_GetDisplayMode(screen, i, &m) != 0) continue;
                const long gap = std::labs(long(m.w) * m.h - long(want.w) * want.h);
                if (best < 0 || gap < bestGap) {
                    best = i;
                    bestGap = gap;
                    got = m;
                }
            }
            if (best < 0) SDL_GetDesktopDisplayMode(screen, &got);
            const std::string note = "No " + std::to_string(want.w) + "x" + std::to_string(want.h) +
                                     " screen mode here; using " + std::to_string(got.w) + "x" +
                                     std::to_string(got.h);
            if (note != LastNote) {
                LastNote = note;
                PendingNote = note;
            }
        }
        SDL_SetWindowDisplayMode(Win, &got);
        if (!wasFull) {
            // A desktop's window manager makes a full-screen window cover the
            // screen; an X server without one leaves that to the window.
            SDL_Rect bounds{0, 0, got.w, got.h};
            SDL_GetDisplayBounds(screen, &bounds);
            SDL_SetWindowPosition(Win, bounds.x, bounds.y);
            SDL_SetWindowSize(Win, got.w, got.h);
        }
        if (SDL_SetWindowFullscreen(Win, SDL_WINDOW_FULLSCREEN) != 0)
            SDL_SetWindowFullscreen(Win, SDL_WINDOW_FULLSCREEN_DESKTOP);
        SDL_RenderSetLogicalSize(Renderer, CurrentMode.Width, CurrentMode.Height);
        // The frame is drawn at its own size and scaled once onto the screen:
        // each ground cell scaled by itself would leave a seam at its edges.
        if (!Scaled || Scaled->Width() != CurrentMode.Width ||
            Scaled->Height() != CurrentMode.Height) {
            Scaled.reset();
            ScaledTexture =
                SDL_CreateTexture(Renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET,
                                  CurrentMode.Width, CurrentMode.Height);
            if (ScaledTexture) {
                SDL_SetTextureScaleMode(ScaledTexture, SDL_ScaleModeLinear);
                Scaled = std::make_unique<TSdlCanvas>(Context, ScaledTexture, CurrentMode.Width,
                                                      CurrentMode.Height);
            }
        }
    } else {
        Scaled.reset();
        ScaledTexture = nullptr;
        SDL_SetWindowFullscreen(Win, 0);
        // Back to where the window was, once; not every desktop does this itself.
        if (wasFull && Placement.w > 0) {
            SDL_SetWindowSize(Win, Placement.w, Placement.h);
            SDL_SetWindowPosition(Win, Placement.x, Placement.y);
            Placement = SDL_Rect{0, 0, 0, 0};
        }
        SDL_RenderSetLogicalSize(Renderer, 0, 0);
        // Without a logical size the viewport must follow the window itself.
        SDL_RenderSetViewport(Renderer, nullptr);
        SDL_RenderSetScale(Renderer, 1, 1);
    }
}

std::string TDisplay::TakeModeNote() {
    std::string n;
    n.swap(PendingNote);
    return n;
}

ICanvas& TDisplay::Canvas() {
    static TNoCanvas none;
    if (!BackBuffer) return none;
    if (Scaled) return *Scaled;
    // A software renderer in a window draws on the window's own surface:
    // the canvas may write into it too, unless a full screen scales it.
    SDL_RendererInfo info;
    int lw = 0, lh = 0;
    SDL_RenderGetLogicalSize(Renderer, &lw, &lh);
    const bool software = SDL_GetRendererInfo(Renderer, &info) == 0 &&
                          (info.flags & SDL_RENDERER_SOFTWARE) && lw == 0;
    BackBuffer->SetDirect(software ? SDL_GetWindowSurface(Win) : nullptr);
    return *BackBuffer;
}

void TDisplay::Present() {
    if (!Renderer) return;
    Context->UseTarget(nullptr);
    if (Scaled) {
        SDL_SetRenderDrawColor(Renderer, 0, 0, 0, 255);
        SDL_RenderClear(Renderer);
        SDL_RenderCopy(Renderer, ScaledTexture, nullptr, nullptr);
    }
    SDL_RenderPresent(Renderer);
}

bool TDisplay::SaveScreenshot(const std::string& path, std::string* error) {
    TImage image;
    if (!Canvas().ReadPixels(image)) {
        if (error) *error = "Cannot read the screen";
        return false;
    }
    return SaveImageFile(image, path, error);
}

void TDisplay::HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_WINDOWEVENT || event.type == SDL_MOUSEMOTION) UpdatePointer();
    if (!Context) return;
    if (event.type == SDL_RENDER_DEVICE_RESET || event.type == SDL_RENDER_TARGETS_RESET)
        Context->ForgetTextures();
}

void TDisplay::SetCaption(const std::string& text) {
    if (Win) SDL_SetWindowTitle(Win, text.c_str());
}

void TDisplay::HidePointerInWindow(bool hide) {
    PointerHiddenHere = hide;
    UpdatePointer();
}

void TDisplay::UpdatePointer() {
    // SDL's pointer is the same in every window of the program: it is
    // hidden only while it is over the game window, which is shown.
    const bool over = Win && SDL_GetMouseFocus() == Win && Shown();
    const int show = PointerHiddenHere && over ? 0 : 1;
    if (show == PointerShown) return;
    PointerShown = show;
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

TMouseState TDisplay::Mouse() const {
    TMouseState m;
    if (!Renderer) return m;
    int wx = 0, wy = 0;
    Uint32 buttons = SDL_GetMouseState(&wx, &wy);
    float lx = float(wx), ly = float(wy);
    SDL_RenderWindowToLogical(Renderer, wx, wy, &lx, &ly);
    m.X = int(lx);
    m.Y = int(ly);
    m.Left = buttons & SDL_BUTTON_LMASK;
    m.Right = buttons & SDL_BUTTON_RMASK;
    m.Middle = buttons & SDL_BUTTON_MMASK;
    return m;
}

void TDisplay::MoveMouse(int x, int y) {
    if (!Renderer) return;
    int wx = x, wy = y;
    SDL_RenderLogicalToWindow(Renderer, float(x), float(y), &wx, &wy);
    SDL_WarpMouseInWindow(Win, wx, wy);
}
