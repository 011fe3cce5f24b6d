// The whole program's loop on a real X server (run under Xvfb; elsewhere
// skipped), as a newcomer meets it: the pointer over each window, the
// keyboard after a return to the start screen, options changed during a
// match, messages at start and at exit, and a settings file with a bad
// number. What X says (the pointer's picture, the keyboard's window) is
// read from X itself.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "app/program.h"
#include "app/start_screen.h"
#include "app/windowed.h"
#include "core/vkeys.h"
#include "frontend/key_settings.h"
#include "frontend/settings_file.h"
#include "platform/bitmap_file.h"
#include "platform/display.h"
#include "world/world_support.h"

// X's own names (None, Window...) come last: they would clash with ours.
#include <SDL2/SDL_syswm.h>
#ifdef MOOR_HAVE_XLIB
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#endif

namespace {

#ifdef MOOR_HAVE_XLIB
struct XWindowOf {
    Display* Dpy = nullptr;
    ::Window Win = 0;
};

XWindowOf XOf(SDL_Window* w) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!w || !SDL_GetWindowWMInfo(w, &info) || info.subsystem != SDL_SYSWM_X11) return {};
    return {info.info.x11.display, info.info.x11.window};
}
#endif

struct WindowedOnX : ::testing::Test {
    TempFolder Folder;
    std::unique_ptr<TWindowedRun> Run;

    // The program folder, without the files a case leaves out.
    void SetUpFolder(const std::vector<std::string>& leaveOut = {}) {
        for (const auto& e : std::filesystem::directory_iterator(MOOR_BIN_DIR)) {
            const std::string name = e.path().filename().string();
            if (name == SettingsFileName || !e.is_regular_file()) continue;
            if (std::find(leaveOut.begin(), leaveOut.end(), name) != leaveOut.end()) continue;
            std::filesystem::create_symlink(e.path(), Folder.Path / name);
        }
    }
    // The start screen up and drawn; false (the case skipped) without X.
    bool Open() {
        if (!std::getenv("DISPLAY")) return false;
        Run = std::make_unique<TWindowedRun>(TOptions{}, Folder.Path.string() + "/");
        if (Run->Open() != 0) return false;
        if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") != 0) return false;
        return PassUntil([&] { return Run->MenuFrames() >= 2; });
    }
    void TearDown() override { Run.reset(); }

    TProgram& P() { return Run->Program(); }
    TStartScreen& Screen() { return Run->StartScreen(); }
    // Passes of the loop until cond holds; generous, the machine is shared.
    bool PassUntil(const std::function<bool()>& cond, int ms = 20000) {
        const Uint32 end = SDL_GetTicks() + Uint32(ms);
        while (!cond()) {
            if (SDL_TICKS_PASSED(SDL_GetTicks(), end)) return false;
            if (!Run->Pass()) return cond();
        }
        return true;
    }
    void PassFor(int ms) {
        const Uint32 end = SDL_GetTicks() + Uint32(ms);
        while (!SDL_TICKS_PASSED(SDL_GetTicks(), end) && Run->Pass()) {
        }
    }
    // A click on a named control of the start screen, through the loop.
    void Click(const std::string& name) {
        ASSERT_TRUE(PassUntil([&] { return Screen().Places.count(name) > 0; }))
            << name << " is not on the start screen";
        const SDL_Rect r = Screen().Places.at(name);
        const Uint32 id = SDL_GetWindowID(Run->MenuWindow());
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = id;
        e.motion.x = r.x + r.w / 2;
        e.motion.y = r.y + r.h / 2;
        SDL_PushEvent(&e);
        e = {};
        e.type = SDL_MOUSEBUTTONDOWN;
        e.button.windowID = id;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.state = SDL_PRESSED;
        e.button.clicks = 1;
        e.button.x = r.x + r.w / 2;
        e.button.y = r.y + r.h / 2;
        SDL_PushEvent(&e);
        e.type = SDL_MOUSEBUTTONUP;
        e.button.state = SDL_RELEASED;
        SDL_PushEvent(&e);
        PassFor(150);
    }
    void Key(SDL_Window* w, SDL_Keycode sym, SDL_Scancode code) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.windowID = SDL_GetWindowID(w);
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = code;
        SDL_PushEvent(&e);
        e.type = SDL_KEYUP;
        e.key.state = SDL_RELEASED;
        SDL_PushEvent(&e);
        PassFor(100);
    }
    bool Playing() { return P().Form.Visible && P().Form.SurfaceReady; }
    void StartMatch(const std::string& button = "StartBtn") {
        Click(button);
        ASSERT_TRUE(PassUntil([&] { return Playing(); })) << "no match after " << button;
        PassFor(200);
    }
    void EscToMenu() {
        Key(Run->GameDisplay().Window(), SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        ASSERT_TRUE(PassUntil([&] { return !P().Form.Visible; }));
        PassFor(200);
    }
    void EscToMatch() {
        Key(Run->MenuWindow(), SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
        ASSERT_TRUE(PassUntil([&] { return Playing(); }));
        PassFor(200);
    }

#ifdef MOOR_HAVE_XLIB
    // The pointer over a window, put there through X.
    void PointerInto(SDL_Window* w) {
        const XWindowOf x = XOf(w);
        ASSERT_TRUE(x.Dpy);
        XWarpPointer(x.Dpy, None, x.Win, 0, 0, 0, 0, 200, 150);
        XFlush(x.Dpy);
        ASSERT_TRUE(PassUntil([&] { return SDL_GetMouseFocus() == w; }));
        PassFor(100);
    }
    // The pointer's picture as X draws it now: hidden when no pixel shows.
    bool PointerHidden() {
        const XWindowOf x = XOf(Run->MenuWindow());
        XFixesCursorImage* image = XFixesGetCursorImage(x.Dpy);
        if (!image) return false;
        bool seen = false;
        for (int i = 0; i < image->width * image->height; ++i)
            seen = seen || (image->pixels[i] >> 24) != 0;
        XFree(image);
        return !seen;
    }
    // What the screen shows, read back from X (and left in the build folder).
    TImage ScreenPicture(const std::string& name) {
        const XWindowOf x = XOf(Run->MenuWindow());
        const ::Window root = DefaultRootWindow(x.Dpy);
        XWindowAttributes a;
        XGetWindowAttributes(x.Dpy, root, &a);
        TImage out(a.width, a.height);
        XImage* image = XGetImage(x.Dpy, root, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image) return out;
        for (int y = 0; y < a.height; ++y)
            for (int px = 0; px < a.width; ++px) {
                const unsigned long p = XGetPixel(image, px, y);
                out.Pixels[size_t(y) * a.width + px] =
                    Rgb(int((p >> 16) & 0xFF), int((p >> 8) & 0xFF), int(p & 0xFF));
            }
        XDestroyImage(image);
        SaveImageFile(out, std::string(MOOR_BIN_DIR) + "/../" + name);
        return out;
    }
    ::Window KeyboardWindow() {
        const XWindowOf x = XOf(Run->MenuWindow());
        ::Window w = 0;
        int revert = 0;
        XGetInputFocus(x.Dpy, &w, &revert);
        return w;
    }
#endif
};

#ifdef MOOR_HAVE_XLIB
TEST_F(WindowedOnX, ThePointerHidesOverTheMatchOnlyAndTheStartScreenTakesTheKeysBack) {
    SetUpFolder();
    if (!Open()) GTEST_SKIP() << "needs an X server";
    SDL_Window* const menu = Run->MenuWindow();
    const ::Window menuX = XOf(menu).Win;
    EXPECT_TRUE(PassUntil([&] { return KeyboardWindow() == menuX; }))
        << "the start screen has the keyboard from the first";
    PointerInto(menu);
    EXPECT_FALSE(PointerHidden()) << "a pointer over the start screen";

    StartMatch();
    SDL_Window* const game = Run->GameDisplay().Window();
    PointerInto(game);
    EXPECT_TRUE(PassUntil([&] { return PointerHidden(); })) << "no pointer over the match";
    EXPECT_TRUE(PassUntil([&] { return KeyboardWindow() == XOf(game).Win; }));
    // The pause is said on the window that is paused.
    Key(game, SDLK_p, SDL_SCANCODE_P);
    EXPECT_STREQ(SDL_GetWindowTitle(game), "Moorclash (Paused)");
    EXPECT_STRNE(SDL_GetWindowTitle(menu), "Moorclash (Paused)");
    Key(game, SDLK_p, SDL_SCANCODE_P);
    EXPECT_STREQ(SDL_GetWindowTitle(game), "Moorclash");

    EscToMenu();
    EXPECT_TRUE(PassUntil([&] { return KeyboardWindow() == menuX; }))
        << "back on the start screen, the keys go to it";
    PointerInto(menu);
    EXPECT_TRUE(PassUntil([&] { return !PointerHidden(); })) << "the pointer is back";
    // The message box of the start screen shows the pointer too.
    Click("Start1PN");
    ASSERT_TRUE(PassUntil([&] { return Screen().Places.count("MessageOK") > 0; }));
    EXPECT_FALSE(PointerHidden());
}
#endif

// Each option the running match reads, changed on the start screen in the
// middle of a match, is in the match's next frame; and the start screen
// shows what the match has when the player comes back.
struct TOptionCase {
    const char* Name;
    const char* Control; // its check box on the options page ("" none)
    const char* Button;  // the start button
    std::function<void(TStartForm&)> Change;
    std::function<bool(TProgram&, TDisplay&)> Seen;
};

class LiveOption : public WindowedOnX, public ::testing::WithParamInterface<int> {};

const TOptionCase& OptionCase(int k) {
    static const TOptionCase cases[] = {
        {"names", "ShowNames", "StartBtn", nullptr,
         [](TProgram& p, TDisplay&) { return p.G->Start.ShowNamesBox; }},
        {"indicators", "TankIndicators", "StartBtn", nullptr,
         [](TProgram& p, TDisplay&) { return !p.G->TankIndicators; }},
        {"shadows", "NoShadows", "StartBtn", nullptr,
         [](TProgram& p, TDisplay&) { return !p.G->ShowShadows; }},
        {"sides and their sound", "SwitchSides", "Start2P", nullptr,
         [](TProgram& p, TDisplay&) {
             return p.G->LeftViewPlayer == p.G->Player1 && p.G->SplitPan > 0;
         }},
        {"full screen", "CheckFullscreen", "StartBtn", nullptr,
         [](TProgram&, TDisplay& d) {
             return (SDL_GetWindowFlags(d.Window()) & SDL_WINDOW_FULLSCREEN) != 0;
         }},
        {"screen sync", "CheckVSync", "StartBtn", nullptr,
         [](TProgram&, TDisplay& d) { return d.Mode().VSync; }},
        {"frag limit", "", "StartBtn", [](TStartForm& f) { f.LimitChange(3); },
         [](TProgram& p, TDisplay&) { return p.G->FragLimit == 3; }},
    };
    return cases[k];
}

TEST_P(LiveOption, ChangedDuringAMatchIsInItsNextFrame) {
    const TOptionCase& c = OptionCase(GetParam());
    SetUpFolder();
    if (!Open()) GTEST_SKIP() << "needs an X server";
    StartMatch(c.Button);
    EXPECT_FALSE(c.Seen(P(), Run->GameDisplay())) << c.Name << " before the change";
    EscToMenu();
    if (*c.Control) {
        Click("OptionsBtn");
        Click(c.Control);
        Click("OptionsBtn");
    }
    if (c.Change) c.Change(P().Start);
    EscToMatch();
    // The X server takes its time over a change of display: give it two seconds.
    bool seen = c.Seen(P(), Run->GameDisplay());
    for (int i = 0; i < 40 && !seen; ++i) {
        PassFor(50);
        seen = c.Seen(P(), Run->GameDisplay());
    }
    EXPECT_TRUE(seen) << c.Name << " after Esc back into the match";
#ifdef MOOR_HAVE_XLIB
    if (std::string(c.Name) == "full screen") {
        // Scaled onto the screen in one piece: no black line at the cells'
        // edges (a lone black row between drawn ones).
        PassFor(500);
        const TImage screen = ScreenPicture("full_screen_scaled.png");
        int seams = 0;
        auto black = [&](int y) {
            int n = 0;
            for (int x = 200; x < screen.Width - 200; ++x)
                n += (screen.At(x, y) & 0xFFFFFF) == 0;
            return n > (screen.Width - 400) * 9 / 10;
        };
        for (int y = 100; y + 100 < screen.Height; ++y)
            seams += black(y) && !black(y - 1) && !black(y + 1);
        EXPECT_EQ(seams, 0);
    }
#endif
    if (std::string(c.Name) == "names") {
        // N in the match switches them off; the box says so on return.
        Key(Run->GameDisplay().Window(), SDLK_n, SDL_SCANCODE_N);
        EXPECT_FALSE(P().G->Start.ShowNamesBox);
        EscToMenu();
        EXPECT_FALSE(P().Start.ShowNames);
    } else {
        EscToMenu();
    }
}

INSTANTIATE_TEST_SUITE_P(EachOption, LiveOption, ::testing::Range(0, 7));

TEST_F(WindowedOnX, StartUpMessagesWaitOnTheStartScreen) {
    SetUpFolder({KeySettingsFileName, "explosion.bmp"});
    if (!Open()) GTEST_SKIP() << "needs an X server";
    ASSERT_TRUE(PassUntil([&] { return Screen().Places.count("MessageOK") > 0; }));
    bool keys = false, explosions = false;
    for (const std::string& m : Screen().Messages) {
        keys = keys || m == "File not found" || m.find(KeySettingsFileName) != std::string::npos;
        explosions = explosions || m.find("explosion.bmp") != std::string::npos;
    }
    EXPECT_TRUE(keys) << "the missing key file is said in the window";
    EXPECT_TRUE(explosions) << "the missing explosion picture is said in the window";
}

TEST_F(WindowedOnX, AFailedSaveAtExitIsShownBeforeTheProgramEnds) {
    SetUpFolder();
    // A folder where the file should be: no file can be written there.
    std::filesystem::create_directory(Folder.Path / SettingsFileName);
    if (!Open()) GTEST_SKIP() << "needs an X server";
    Click("Button2");
    PassFor(300);
    ASSERT_FALSE(P().App.Terminated) << "the program waits for the message to be seen";
    ASSERT_FALSE(Screen().Messages.empty());
    Click("MessageOK");
    EXPECT_TRUE(PassUntil([&] { return P().App.Terminated; }));
}

TEST_F(WindowedOnX, ASettingsFileWithABadNumberLosesNothingAfterIt) {
    SetUpFolder();
    const std::string shipped = Folder.Read(DefaultSettingsFileName);
    std::vector<std::string> lines;
    for (size_t at = 0; at < shipped.size();) {
        const size_t end = shipped.find("\r\n", at);
        lines.push_back(shipped.substr(at, end - at));
        at = end == std::string::npos ? shipped.size() : end + 2;
    }
    ASSERT_GE(lines.size(), size_t(SettingsLineCount));
    // Names and taunts of our own, and player 1's sort (line 29) spoilt.
    for (int k = 0; k < 64; ++k)
        lines[27 + 5 * k] = "Driver " + std::to_string(k);
    for (int t = 0; t < 12; ++t)
        lines[15 + t] = "Taunt " + std::to_string(t);
    lines[28] = "tank";
    std::string text;
    for (int i = 0; i < SettingsLineCount; ++i)
        text += lines[i] + "\r\n";
    Folder.Write(SettingsFileName, text);

    if (!Open()) GTEST_SKIP() << "needs an X server";
    ASSERT_TRUE(PassUntil([&] { return !Screen().Messages.empty(); }));
    EXPECT_EQ(Screen().Messages.front(), "Invalid numeric input");
    Click("MessageOK");
    Click("Button2");
    ASSERT_TRUE(PassUntil([&] { return P().App.Terminated; }));
    Run->Finish();

    const std::string saved = Folder.Read(SettingsFileName);
    for (int i = 19; i < SettingsLineCount; ++i) {
        if (i == 28) continue; // the spoilt number, now the sort it had
        const std::string want = lines[i] + "\r\n";
        size_t at = 0;
        for (int n = 0; n < i; ++n)
            at = saved.find("\r\n", at) + 2;
        EXPECT_EQ(saved.substr(at, want.size()), want) << "line " << i + 1;
    }
}

} // namespace
