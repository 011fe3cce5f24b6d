#include "platform/keys.h"

#include <SDL2/SDL_keyboard.h>

namespace {

int FromPunctuation(SDL_Keycode sym) {
    switch (sym) {
    case ';':
        return vk::OemSemicolon;
    case '=':
        return vk::OemPlus;
    case ',':
        return vk::OemComma;
    case '-':
        return vk::OemMinus;
    case '.':
        return vk::OemPeriod;
    case '/':
        return vk::OemSlash;
    case '`':
        return vk::OemTilde;
    case '[':
        return vk::OemOpenBracket;
    case '\\':
        return vk::OemBackslash;
    case ']':
        return vk::OemCloseBracket;
    case '\'':
        return vk::OemQuote;
    default:
        return 0;
    }
}

int FromScancode(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return vk::A + (sc - SDL_SCANCODE_A);
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return vk::Digit(1 + sc - SDL_SCANCODE_1);
    if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9)
        return vk::Numpad(1 + sc - SDL_SCANCODE_KP_1);
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return vk::Fn(1 + sc - SDL_SCANCODE_F1);
    if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return vk::Fn(13 + sc - SDL_SCANCODE_F13);
    switch (sc) {
    case SDL_SCANCODE_0:
        return vk::Digit0;
    case SDL_SCANCODE_KP_0:
        return vk::Numpad0;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN2:
        return vk::Return;
    case SDL_SCANCODE_ESCAPE:
        return vk::Escape;
    case SDL_SCANCODE_BACKSPACE:
        return vk::Back;
    case SDL_SCANCODE_TAB:
        return vk::Tab;
    case SDL_SCANCODE_SPACE:
        return vk::Space;
    case SDL_SCANCODE_MINUS:
        return vk::OemMinus;
    case SDL_SCANCODE_EQUALS:
        return vk::OemPlus;
    case SDL_SCANCODE_LEFTBRACKET:
        return vk::OemOpenBracket;
    case SDL_SCANCODE_RIGHTBRACKET:
        return vk::OemCloseBracket;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
        return vk::OemBackslash;
    case SDL_SCANCODE_SEMICOLON:
        return vk::OemSemicolon;
    case SDL_SCANCODE_APOSTROPHE:
        return vk::OemQuote;
    case SDL_SCANCODE_GRAVE:
        return vk::OemTilde;
    case SDL_SCANCODE_COMMA:
        return vk::OemComma;
    case SDL_SCANCODE_PERIOD:
        return vk::OemPeriod;
    case SDL_SCANCODE_SLASH:
        return vk::OemSlash;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return vk::Oem102;
    case SDL_SCANCODE_CAPSLOCK:
        return vk::Capital;
    case SDL_SCANCODE_PRINTSCREEN:
        return vk::Snapshot;
    case SDL_SCANCODE_SCROLLLOCK:
        return vk::Scroll;
    case SDL_SCANCODE_PAUSE:
        return vk::Pause;
    case SDL_SCANCODE_INSERT:
        return vk::Insert;
    case SDL_SCANCODE_HOME:
        return vk::Home;
    case SDL_SCANCODE_PAGEUP:
        return vk::Prior;
    case SDL_SCANCODE_DELETE:
        return vk::Delete;
    case SDL_SCANCODE_END:
        return vk::End;
    case SDL_SCANCODE_PAGEDOWN:
        return vk::Next;
    case SDL_SCANCODE_RIGHT:
        return vk::Right;
    case SDL_SCANCODE_LEFT:
        return vk::Left;
    case SDL_SCANCODE_DOWN:
        return vk::Down;
    case SDL_SCANCODE_UP:
        return vk::Up;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return vk::NumLock;
    case SDL_SCANCODE_KP_DIVIDE:
        return vk::Divide;
    case SDL_SCANCODE_KP_MULTIPLY:
        return vk::Multiply;
    case SDL_SCANCODE_KP_MINUS:
        return vk::Subtract;
    case SDL_SCANCODE_KP_PLUS:
        return vk::Add;
    case SDL_SCANCODE_KP_PERIOD:
    case SDL_SCANCODE_KP_COMMA:
        return vk::Decimal;
    case SDL_SCANCODE_APPLICATION:
    case SDL_SCANCODE_MENU:
        return vk::Apps;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return vk::Control;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return vk::Shift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return vk::Menu;
    case SDL_SCANCODE_LGUI:
        return vk::LWin;
    case SDL_SCANCODE_RGUI:
        return vk::RWin;
    default:
        return 0;
    }
}

bool IsLetterKey(SDL_Scancode sc) {
    return sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z;
}

// SDL's lock modifier and our state entry of each lock key.
struct TLock {
    int Key;
    SDL_Keymod Mod;
};
constexpr TLock Locks[] = {
    {vk::Capital, KMOD_CAPS}, {vk::NumLock, KMOD_NUM}, {vk::Scroll, KMOD_SCROLL}};

} // namespace

int VirtualKeyFromSdl(SDL_Keycode sym, SDL_Scancode scancode) {
    if (sym >= 'a' && sym <= 'z') return vk::A + (sym - 'a');
    // Where the layout puts punctuation on a letter key (the AZERTY ','
    // sits where US keyboards have M), it is that punctuation, so it cannot
    // clash with the real letter elsewhere.
    if (IsLetterKey(scancode))
        if (int p = FromPunctuation(sym)) return p;
    return FromScancode(scancode);
}

int ShiftStateFromSdl(Uint16 mod) {
    return (mod & KMOD_SHIFT ? ssShift : 0) | (mod & KMOD_ALT ? ssAlt : 0) |
           (mod & KMOD_CTRL ? ssCtrl : 0);
}

bool KeyEventFromSdl(const SDL_Event& event, TKeyEvent& out) {
    if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) return false;
    const SDL_KeyboardEvent& k = event.key;
    out.Key = VirtualKeyFromSdl(k.keysym.sym, k.keysym.scancode);
    out.Down = event.type == SDL_KEYDOWN;
    out.Repeat = k.repeat != 0;
    out.Shift = ShiftStateFromSdl(k.keysym.mod);
    return true;
}

void TKeyboard::OnKey(const TKeyEvent& key) {
    if (key.Key <= 0 || key.Key > 255) return;
    uint8_t& e = State[key.Key];
    e = uint8_t((e & 0x7F) | (key.Down ? 0x80 : 0));
}

TKeyboard::TState TKeyboard::Read() const {
    TState s = State;
    const SDL_Keymod mod = SDL_GetModState();
    for (const TLock& l : Locks)
        s[l.Key] = uint8_t((s[l.Key] & 0x80) | (mod & l.Mod ? 1 : 0));
    return s;
}

void TKeyboard::Write(const TState& state) {
    State = state;
    // SDL keeps its own idea of the locks; the keyboard lights stay as they
    // are. The game's keypad codes do not depend on Num Lock anyway.
    int mod = SDL_GetModState();
    for (const TLock& l : Locks)
        mod = state[l.Key] & 1 ? mod | l.Mod : mod & ~l.Mod;
    SDL_SetModState(SDL_Keymod(mod));
}

void TKeyboard::ReleaseAll() {
    for (uint8_t& e : State)
        e &= 0x7F;
}
