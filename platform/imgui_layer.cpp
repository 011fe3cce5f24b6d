#include "platform/imgui_layer.h"

#include <imgui.h>
#include <imgui_impl_sdlrenderer.h>

#include <algorithm>
#include <iterator>

#include "platform/text.h"

namespace {

ImFont* AddFont(ImGuiIO& io, const std::string& path, float px) {
    if (!path.empty()) {
        ImFontConfig cfg;
        cfg.OversampleH = 2;
        cfg.OversampleV = 2;
        // Latin-1 as well: names may hold accented letters.
        static const ImWchar ranges[] = {0x0020, 0x00FF, 0x2013, 0x2026, 0};
        if (ImFont* f = io.Fonts->AddFontFromFileTTF(path.c_str(), px, &cfg, ranges)) return f;
    }
    ImFontConfig cfg;
    cfg.SizePixels = px;
    return io.Fonts->AddFontDefault(&cfg);
}

} // namespace

TImGuiLayer::~TImGuiLayer() {
    Finalise();
}

std::string TImGuiLayer::Initialise(SDL_Renderer* renderer) {
    Finalise();
    if (!renderer) return "No renderer for the menus";
    ImGuiContext* previous = ImGui::GetCurrentContext();
    Context = ImGui::CreateContext();
    ImGui::SetCurrentContext(Context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    io.KeyMap[ImGuiKey_Tab] = SDL_SCANCODE_TAB;
    io.KeyMap[ImGuiKey_LeftArrow] = SDL_SCANCODE_LEFT;
    io.KeyMap[ImGuiKey_RightArrow] = SDL_SCANCODE_RIGHT;
    io.KeyMap[ImGuiKey_UpArrow] = SDL_SCANCODE_UP;
    io.KeyMap[ImGuiKey_DownArrow] = SDL_SCANCODE_DOWN;
    io.KeyMap[ImGuiKey_PageUp] = SDL_SCANCODE_PAGEUP;
    io.KeyMap[ImGuiKey_PageDown] = SDL_SCANCODE_PAGEDOWN;
    io.KeyMap[ImGuiKey_Home] = SDL_SCANCODE_HOME;
    io.KeyMap[ImGuiKey_End] = SDL_SCANCODE_END;
    io.KeyMap[ImGuiKey_Insert] = SDL_SCANCODE_INSERT;
    io.KeyMap[ImGuiKey_Delete] = SDL_SCANCODE_DELETE;
    io.KeyMap[ImGuiKey_Backspace] = SDL_SCANCODE_BACKSPACE;
    io.KeyMap[ImGuiKey_Space] = SDL_SCANCODE_SPACE;
    io.KeyMap[ImGuiKey_Enter] = SDL_SCANCODE_RETURN;
    io.KeyMap[ImGuiKey_Escape] = SDL_SCANCODE_ESCAPE;
    io.KeyMap[ImGuiKey_KeyPadEnter] = SDL_SCANCODE_KP_ENTER;
    io.KeyMap[ImGuiKey_A] = SDL_SCANCODE_A;
    io.KeyMap[ImGuiKey_C] = SDL_SCANCODE_C;
    io.KeyMap[ImGuiKey_V] = SDL_SCANCODE_V;
    io.KeyMap[ImGuiKey_X] = SDL_SCANCODE_X;
    io.KeyMap[ImGuiKey_Y] = SDL_SCANCODE_Y;
    io.KeyMap[ImGuiKey_Z] = SDL_SCANCODE_Z;

    const std::string regular = FindFontFile(false), bold = FindFontFile(true);
    Normal = AddFont(io, regular, 15.0f);
    Small = AddFont(io, bold, 16.0f); // 12 pt
    Large = AddFont(io, bold, 24.0f); // 18 pt
    Title = AddFont(io, bold, 40.0f);
    Bold = AddFont(io, bold, 14.0f);
    Tiny = AddFont(io, regular, 11.0f);
    io.FontDefault = Normal;

    if (!ImGui_ImplSDLRenderer_Init(renderer)) {
        ImGui::DestroyContext(Context);
        Context = nullptr;
        ImGui::SetCurrentContext(previous);
        return "The menus cannot draw on this renderer";
    }
    TheRenderer = renderer;
    return {};
}

void TImGuiLayer::Finalise() {
    if (!Context) return;
    ImGui::SetCurrentContext(Context);
    ImGui_ImplSDLRenderer_Shutdown();
    ImGui::DestroyContext(Context);
    Context = nullptr;
    TheRenderer = nullptr;
    Normal = Small = Large = Title = nullptr;
}

void TImGuiLayer::HandleEvent(const SDL_Event& e) {
    if (!Context) return;
    ImGui::SetCurrentContext(Context);
    ImGuiIO& io = ImGui::GetIO();
    switch (e.type) {
    case SDL_MOUSEMOTION:
        io.MousePos = ImVec2(float(e.motion.x), float(e.motion.y));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        io.MousePos = ImVec2(float(e.button.x), float(e.button.y));
        const int b = e.button.button == SDL_BUTTON_LEFT     ? 0
                      : e.button.button == SDL_BUTTON_RIGHT  ? 1
                      : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                             : -1;
        if (b < 0) break;
        if (down) {
            io.MouseDown[b] = true;
            ButtonUnseen[b] = true;
            ButtonUpWaiting[b] = false;
        } else if (ButtonUnseen[b]) {
            ButtonUpWaiting[b] = true;
        } else {
            io.MouseDown[b] = false;
        }
        break;
    }
    case SDL_MOUSEWHEEL:
        io.MouseWheel += float(e.wheel.y);
        io.MouseWheelH += float(e.wheel.x);
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_LEAVE) io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
        break;
    case SDL_TEXTINPUT:
        io.AddInputCharactersUTF8(e.text.text);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const int sc = e.key.keysym.scancode;
        if (sc >= 0 && sc < KeyCount) {
            if (e.type == SDL_KEYDOWN) {
                io.KeysDown[sc] = true;
                KeyUnseen[sc] = true;
                KeyUpWaiting[sc] = false;
            } else if (KeyUnseen[sc]) {
                KeyUpWaiting[sc] = true;
            } else {
                io.KeysDown[sc] = false;
            }
        }
        const Uint16 mod = e.key.keysym.mod;
        io.KeyShift = mod & KMOD_SHIFT;
        io.KeyCtrl = mod & KMOD_CTRL;
        io.KeyAlt = mod & KMOD_ALT;
        break;
    }
    default:
        break;
    }
}

void TImGuiLayer::NewFrame(int width, int height, double dtSec) {
    if (!Context) return;
    ImGui::SetCurrentContext(Context);
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(width), float(height));
    io.DisplayFramebufferScale = ImVec2(1, 1);
    io.DeltaTime = dtSec > 0 ? float(dtSec) : 1.0f / 60.0f;
    for (int b = 0; b < ButtonCount; ++b)
        if (ButtonUpWaiting[b] && !ButtonUnseen[b]) {
            io.MouseDown[b] = false;
            ButtonUpWaiting[b] = false;
        }
    for (int k = 0; k < KeyCount; ++k)
        if (KeyUpWaiting[k] && !KeyUnseen[k]) {
            io.KeysDown[k] = false;
            KeyUpWaiting[k] = false;
        }
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui::NewFrame();
    std::fill(std::begin(ButtonUnseen), std::end(ButtonUnseen), false);
    std::fill(std::begin(KeyUnseen), std::end(KeyUnseen), false);
}

void TImGuiLayer::Render() {
    if (!Context) return;
    ImGui::SetCurrentContext(Context);
    ImGui::Render();
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
}
