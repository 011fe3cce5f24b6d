// The game in a window, with sound and keyboard.
#include "app/windowed.h"

#include <SDL2/SDL.h>
#include <imgui.h>

#include <cstdio>
#include <ctime>

#include "app/game_display.h"
#include "app/network_run.h"
#include "app/program.h"
#include "app/recorder.h"
#include "app/replay.h"
#include "app/run.h"
#include "app/screen_frame.h"
#include "app/start_screen.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "platform/enet_session.h"
#include "platform/game_assets.h"
#include "platform/gamepads.h"
#include "platform/imgui_layer.h"
#include "platform/keys.h"
#include "platform/main_loop.h"
#include "platform/sound_device.h"
#include "render/frame.h"

namespace {

// Message boxes never stop the game: they go to stderr, and wait on the
// start screen for the player to read them there.
class WindowUi : public Ui {
  public:
    explicit WindowUi(TDisplay& d) : Display(d) {}
    void MessageBox(const std::string& t) override {
        std::fprintf(stderr, "moorclash: %s\n", t.c_str());
        if (Menu) Menu->Messages.push_back(t);
    }
    void DebugLine(const std::string& t) override {
        if (Menu) Menu->Form.AddDebugLine(t);
    }
    // A caption set while the match is shown is the game window's ("Moorclash
    // (Paused)"); any other is the start screen's.
    void SetCaption(const std::string& t) override {
        if (MenuWindow && !(Game && Game->Visible))
            SDL_SetWindowTitle(MenuWindow, t.c_str());
        else
            Display.SetCaption(t);
    }
    void ConsoleLine(const std::string&) override {}
    TDisplay& Display;
    TStartScreen* Menu = nullptr;
    SDL_Window* MenuWindow = nullptr;
    const TForm1* Game = nullptr;
};

// The start screen's own window: fixed size, centred, drawn by ImGui.
struct TMenuWindow {
    ~TMenuWindow() {
        Gui.Finalise();
        if (Renderer) SDL_DestroyRenderer(Renderer);
        if (Window) SDL_DestroyWindow(Window);
    }
    // A screen saver keeps it off the screen: its match comes up by itself.
    std::string Open(bool shown) {
        Window = SDL_CreateWindow("Moorclash", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  StartFormWidth, StartFormHeight,
                                  shown ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN);
        if (!Window) return std::string("Cannot open the start screen: ") + SDL_GetError();
        // Synced to the monitor: the menu never spins the processor.
        Renderer =
            SDL_CreateRenderer(Window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (Renderer && RendersOnTheProcessor(Renderer)) {
            // Drawn by the processor either way: ours is the cheaper.
            SDL_DestroyRenderer(Renderer);
            Renderer = nullptr;
            SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        }
        if (!Renderer) Renderer = SDL_CreateRenderer(Window, -1, SDL_RENDERER_SOFTWARE);
        if (!Renderer) return std::string("Cannot draw the start screen: ") + SDL_GetError();
        SDL_StartTextInput();
        return Gui.Initialise(Renderer);
    }
    // Shown, in front, and given the keyboard: without a window manager
    // nobody else would hand it over.
    void Raise() {
        SDL_ShowWindow(Window);
        SDL_RaiseWindow(Window);
        SDL_SetWindowInputFocus(Window);
    }
    Uint32 Id() const { return Window ? SDL_GetWindowID(Window) : 0; }

    SDL_Window* Window = nullptr;
    SDL_Renderer* Renderer = nullptr;
    TImGuiLayer Gui;
};

// The window an event belongs to (0: none in particular).
Uint32 EventWindow(const SDL_Event& e) {
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return e.window.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return e.key.windowID;
    case SDL_TEXTINPUT:
        return e.text.windowID;
    case SDL_MOUSEMOTION:
        return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return e.button.windowID;
    case SDL_MOUSEWHEEL:
        return e.wheel.windowID;
    default:
        return 0;
    }
}

// The start screen as a picture (read back before it is presented).
bool SaveMenuShot(SDL_Renderer* renderer, const std::string& path) {
    TImage image(StartFormWidth, StartFormHeight);
    if (SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_XBGR8888, image.Pixels.data(),
                             image.Width * 4) != 0)
        return false;
    for (uint32_t& p : image.Pixels)
        p &= 0xFFFFFF;
    std::string why;
    if (SaveImageFile(image, path, &why)) return true;
    std::fprintf(stderr, "moorclash: %s\n", why.c_str());
    return false;
}

} // namespace

struct TWindowedRun::TParts {
    TParts(const TOptions& o, const std::string& folder)
        : O(o), Menu(!o.QuickStart()), Ui(Display), Speakers(Mixer),
          Screen(Display, Keyboard, Clock),
          Program(Clock, Mixer, Ui, Net, Screen, Reader,
                  o.Seed ? *o.Seed : static_cast<uint32_t>(SDL_GetTicks() ^ time(nullptr)), folder),
          StartScreen(Program.Start, MenuWindow.Gui), Loop(Clock) {
        Screen.Program = &Program;
        Net.Attach(*Program.G);
        Program.UseNetwork(Session, Net);
        if (o.PerAddress) Session.SetMaxPerAddress(*o.PerAddress);
    }

    int Open(const std::string& folder);
    void OnEvent(const SDL_Event& e);
    void MenuTimer();
    // Esc in the game: back to the start screen, the match kept.
    void BackToMenu();
    // Something the start screen shows may move: a frame is wanted.
    bool MenuWanted();

    const TOptions& O;
    const bool Menu;
    TDisplay Display;
    WindowUi Ui;
    SdlClock Clock;
    TMixer Mixer;
    TSoundDevice Speakers;
    EnetSession Session;
    SessionNetOut Net{Session};
    TKeyboard Keyboard;
    SdlBitmapReader Reader;
    WindowDisplay Screen;
    TMenuWindow MenuWindow;
    TProgram Program;
    TStartScreen StartScreen;
    TGamepads Pads;
    TMainLoop Loop;
    int Status = 0;
    int TickTimer = -1;
    int ServerTimer = -1;
    // Frames the start screen still draws after something happened in its
    // window (ImGui sees a press in one frame, its release in the next, and
    // settles its hover state in a third).
    int MenuFramesDue = 4;
    size_t MessagesShown = 0;
    long MenuFrames = 0;
    // When the player last touched the start screen (-1: not yet), and
    // where the pointer was last seen on it.
    int32_t LastInputMs = -1;
    int PointerX = -1, PointerY = -1;
    // A key, a button, a wheel, or the pointer really moving (the window
    // coming up under a resting pointer is no touch).
    bool Touched(const SDL_Event& e) {
        if (e.type != SDL_MOUSEMOTION)
            return e.type == SDL_KEYDOWN || e.type == SDL_TEXTINPUT ||
                   e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEWHEEL;
        const bool seen = PointerX >= 0;
        const bool moved = e.motion.x != PointerX || e.motion.y != PointerY;
        PointerX = e.motion.x;
        PointerY = e.motion.y;
        return seen && moved;
    }
    static constexpr int32_t PreviewRestsAfterMs = 10000;
};

int TWindowedRun::TParts::Open(const std::string& folder) {
    TForm1& form = Program.Form;
    TStartForm& start = Program.Start;
    // Everything said while loading waits on the start screen.
    if (Menu) {
        Ui.Menu = &StartScreen;
        Ui.Game = &form;
        start.MessagesWait = true;
    }
    std::string menuError;
    if (!Screen.Frame.Load(Reader, folder, Ui) || !LoadGameSounds(folder, Mixer, Ui)) return 1;
    if (Menu && !(menuError = MenuWindow.Open(!O.ScreenSaver)).empty()) {
        std::fprintf(stderr, "moorclash: %s\n", menuError.c_str());
        return 1;
    }
    if (Menu && !CreateWindows(Program, O).empty())
        return 2; // the reason has been said as a message already
    if (O.Record &&
        !StartRecording(Program, *O.Record, "", O.Join.has_value(), Clock.TickCount()).empty())
        return 1; // said as a message already
    if (!Menu && !StartProgram(Program, O).empty())
        return Screen.Failed ? 1 : 2; // the reason has been said as a message already
    // A client's game window waits for the host.
    if (!Menu && !O.Join && !form.SurfaceReady) return 1; // the display said why
    Speakers.Open();
    // Pads are welcome, never required.
    Pads.Open();
    if (Menu) {
        Ui.MenuWindow = MenuWindow.Window;
        StartScreen.Developer = O.Developer;
        StartScreen.Keys = &Program.Keys;
        StartScreen.Network = &Program.Network;
        StartScreen.Sprites = &Screen.Frame.Sprites;
        StartScreen.Masks = &Screen.Frame.Masks;
        start.ScreenSaverCommand = O.ScreenSaver;
        start.FormActivate();
        if (!O.ScreenSaver) MenuWindow.Raise();
    }
    Loop.OnEvent = [this](const SDL_Event& e) { OnEvent(e); };
    Loop.OnPass = [this] {
        // The network between ticks, on this thread.
        const bool shown = Program.Form.Visible;
        PumpSession(Program, Session, Clock.TickCount());
        if (!Program.NetworkFailure.empty()) {
            std::fprintf(stderr, "moorclash: %s\n", Program.NetworkFailure.c_str());
            Status = 1;
            Program.App.Terminate();
        }
        if (Program.Form.Visible != shown) MenuFramesDue = 4;
        // "Record matches" follows its box; "Watch a recording" leaves the
        // start screen for the recording.
        const bool recording = Program.Recorder.PerLevel() || Program.RecordOnJoin;
        if (StartScreen.RecordMatches && !recording && Program.RecordFile.empty() &&
            !StartRecording(Program, "", RecordingsFolder(), false, Clock.TickCount()).empty())
            StartScreen.RecordMatches = false;
        if (!StartScreen.RecordMatches && recording && Program.RecordFile.empty())
            StopRecording(Program);
        if (!StartScreen.WatchRequested.empty()) Loop.Quit();
        Speakers.Update(uint32_t(Clock.TickCount()));
        // The tick runs only while the match has its window: the start
        // screen alone sleeps between events.
        Loop.Timers.SetEnabled(TickTimer, Program.Form.SurfaceReady);
        // A hosted match goes on at the status rate behind the start screen.
        Loop.Timers.SetInterval(ServerTimer, Program.Start.ServerTimerInterval);
        Loop.Timers.SetEnabled(ServerTimer,
                               Program.Start.ServerTimerEnabled && !Program.Form.Visible);
        if (Program.App.Terminated) Loop.Quit();
    };
    TickTimer = Loop.Timers.Add(1, [this] {
        TForm1& f = Program.Form;
        if (f.Visible)
            for (int slot = 0; slot < TGamepads::Slots; ++slot)
                f.PadInput(slot, Pads.Read(slot));
        f.TimerTimer();
    });
    ServerTimer = Loop.Timers.Add(
        Program.Start.ServerTimerInterval,
        [this] { Program.Start.ServerTimerTimer(Clock.TickCount()); }, false);
    if (Menu) Loop.Timers.Add(16, [this] { MenuTimer(); });
    return 0;
}

void TWindowedRun::TParts::BackToMenu() {
    TForm1& form = Program.Form;
    TStartForm& start = Program.Start;
    if (form.Visible) form.Hide();
    // Closing the game window ends the program; so does anything that would
    // bring a screen saver's start screen up.
    if (Program.App.Terminated) return;
    if (Program.G->ScreenSaverMode) {
        start.Close();
        return;
    }
    MenuWindow.Raise();
    start.FormActivate();
    MenuFramesDue = 4;
}

void TWindowedRun::TParts::OnEvent(const SDL_Event& e) {
    TForm1& form = Program.Form;
    TStartForm& start = Program.Start;
    Display.HandleEvent(e);
    Pads.HandleEvent(e);
    if (e.type == SDL_QUIT) {
        // Closing ends the program the way EXIT does.
        if (Menu) {
            start.Close();
            if (!Program.App.Terminated && form.Visible) BackToMenu();
        } else {
            Program.App.Terminate();
        }
        return;
    }
    const Uint32 id = EventWindow(e);
    if (Menu && id != 0 && id == MenuWindow.Id()) {
        MenuFramesDue = 4;
        if (Touched(e)) LastInputMs = Clock.TickCount();
        if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)
            start.Close();
        else
            StartScreen.HandleEvent(e);
        return;
    }
    // The game window's events.
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        form.FormActivate();
    if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
        // Closing the game window closes the start screen too; a save that
        // failed is shown there first.
        if (Menu) {
            form.FormClose();
            if (!Program.App.Terminated) BackToMenu();
        } else {
            Program.App.Terminate();
        }
        return;
    }
    TKeyEvent key;
    if (KeyEventFromSdl(e, key)) {
        Keyboard.OnKey(key);
        if (!form.Visible) return;
        if (key.Down)
            form.FormKeyDown(key.Key, key.Shift, key.Repeat);
        else
            form.FormKeyUp(key.Key);
        // Esc hid the game window: back to the start screen, the match kept;
        // a quick start has no menu to go to.
        if (!form.Visible) {
            if (Menu)
                BackToMenu();
            else
                Program.App.Terminate();
        }
        return;
    }
    if (!form.Visible) return;
    if (e.type == SDL_MOUSEMOTION && Program.G->ScreenSaverMode) {
        // Where the pointer is on the screen, to the pixel: the event's own
        // place is scaled to the drawing surface, and the window may still be
        // settling into full screen.
        int x = 0, y = 0, wx = 0, wy = 0;
        SDL_GetMouseState(&x, &y);
        if (Display.Window()) SDL_GetWindowPosition(Display.Window(), &wx, &wy);
        form.ScreenSaverMouseMove(wx + x, wy + y);
        if (!form.Visible) BackToMenu();
    } else if (e.type == SDL_MOUSEMOTION) {
        const TMouseState m = Display.Mouse();
        form.DXDrawMouseMove(m.X, m.Y);
    } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
        const int b = e.button.button == SDL_BUTTON_LEFT    ? TForm1::mbLeft
                      : e.button.button == SDL_BUTTON_RIGHT ? TForm1::mbRight
                                                            : TForm1::mbMiddle;
        if (e.type == SDL_MOUSEBUTTONDOWN)
            form.DXDrawMouseDown(b);
        else
            form.DXDrawMouseUp(b);
        if (!form.Visible) BackToMenu();
    }
}

bool TWindowedRun::TParts::MenuWanted() {
    const int32_t now = Clock.TickCount();
    // The preview turns while the start screen is the active window and in
    // use; ten seconds after the last touch it rests with the rest.
    const bool active = SDL_GetKeyboardFocus() == MenuWindow.Window && LastInputMs >= 0 &&
                        now - LastInputMs < PreviewRestsAfterMs;
    return MenuFramesDue > 0 || StartScreen.Messages.size() != MessagesShown ||
           StartScreen.Animating(now) || (active && StartScreen.PreviewDue(now)) || O.Screenshot;
}

void TWindowedRun::TParts::MenuTimer() {
    TForm1& form = Program.Form;
    TStartForm& start = Program.Start;
    const int32_t now = Clock.TickCount();
    start.ScreenSaverTimer(now);
    // A start that could not begin its level leaves the game window.
    if (form.Visible && !form.SurfaceReady) BackToMenu();
    // The start screen is drawn when something on it changed or moves, at
    // most 60 times a second; otherwise it rests, and behind a running
    // match it is not drawn at all.
    if (form.Visible || !MenuWanted()) return;
    if (MenuFramesDue > 0) --MenuFramesDue;
    MessagesShown = StartScreen.Messages.size();
    const bool shot = O.Screenshot && ++MenuFrames == 5;
    if (!O.Screenshot) ++MenuFrames;
    StartScreen.Frame(now, !shot);
    if (shot) {
        if (!SaveMenuShot(MenuWindow.Renderer, *O.Screenshot)) Status = 1;
        SDL_RenderPresent(MenuWindow.Renderer);
        // A picture for people to look at: the settings stay as they were.
        Program.App.Terminate();
    }
    // What the frame did (a start, a message dismissed) may change the next.
    if (StartScreen.Messages.size() != MessagesShown) MenuFramesDue = std::max(MenuFramesDue, 2);
    if (form.Visible && !form.SurfaceReady) BackToMenu();
}

TWindowedRun::TWindowedRun(const TOptions& options, std::string programFolder)
    : Options(options), Folder(std::move(programFolder)) {}

TWindowedRun::~TWindowedRun() {
    P.reset();
    if (SdlStarted) SDL_Quit();
}

int TWindowedRun::Open() {
    if (SDL_Init(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "moorclash: cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    SdlStarted = true;
    // Without match options the program opens on the start screen, which
    // needs the display from the start; so does the screen saver, whose
    // start screen starts the show.
    if (!Options.QuickStart()) {
        const std::string why = StartVideo();
        if (!why.empty()) {
            std::fprintf(stderr, "moorclash: %s\n", why.c_str());
            return 1;
        }
    }
    P = std::make_unique<TParts>(Options, Folder);
    P->Status = P->Open(Folder);
    return P->Status;
}

bool TWindowedRun::Pass() {
    if (!P || P->Loop.Stopped()) return false;
    P->Loop.Pass();
    return !P->Loop.Stopped();
}

int TWindowedRun::Finish() {
    if (!P) return 1;
    P->Program.Start.CloseSession();
    TForm1& form = P->Program.Form;
    if (form.Visible) form.Hide();
    // Developers get the frame rate of the whole run.
    const TScreenFrame& f = P->Screen.Frame;
    if (Options.Developer && f.TotalFrames > 1) {
        const double seconds = (f.LastFrameMs - f.FirstFrameMs) / 1000.0;
        std::fprintf(stderr, "moorclash: %lld frames in %.1f s, %.0f per second\n",
                     static_cast<long long>(f.TotalFrames), seconds,
                     seconds > 0 ? (f.TotalFrames - 1) / seconds : 0.0);
    }
    if (P->Screen.Failed) P->Status = 1;
    return P->Status;
}

TProgram& TWindowedRun::Program() {
    return P->Program;
}

TStartScreen& TWindowedRun::StartScreen() {
    return P->StartScreen;
}

SDL_Window* TWindowedRun::MenuWindow() const {
    return P ? P->MenuWindow.Window : nullptr;
}

TDisplay& TWindowedRun::GameDisplay() {
    return P->Display;
}

long TWindowedRun::MenuFrames() const {
    return P ? P->MenuFrames : 0;
}

int RunWindowed(const TOptions& o, const std::string& folder) {
    for (;;) {
        std::string watch;
        int status = 0;
        {
            TWindowedRun run(o, folder);
            status = run.Open();
            if (status != 0) return status;
            while (run.Pass()) {
            }
            watch = run.StartScreen().WatchRequested;
            StopRecording(run.Program());
            status = run.Finish();
        }
        if (watch.empty()) return status;
        // The recording, then the start screen again.
        TOptions replay;
        replay.Replay = watch;
        RunWindowedReplay(replay, folder);
    }
}
