// SDL keys to the game's key codes.
#include <gtest/gtest.h>

#include <set>

#include "platform/keys.h"

namespace {

std::set<int> CodesOfAllKeys() {
    std::set<int> codes;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc)
        codes.insert(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_Scancode(sc)));
    return codes;
}

} // namespace

// Every code the key configuration can name is reachable from some key.
TEST(KeyCodes, EveryNamedCodeHasAKey) {
    std::vector<int> named = {8,   13,  16,  17,  18,  20,  32,  33,  34,  35,  36,  37,  38,
                              39,  40,  45,  46,  91,  92,  93,  106, 107, 109, 110, 111, 144,
                              186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222, 27};
    for (int c = 48; c <= 57; ++c)
        named.push_back(c);
    for (int c = 65; c <= 90; ++c)
        named.push_back(c);
    for (int c = 96; c <= 105; ++c)
        named.push_back(c);
    for (int c = 112; c <= 123; ++c)
        named.push_back(c);
    const std::set<int> codes = CodesOfAllKeys();
    for (int c : named)
        EXPECT_TRUE(codes.count(c)) << "no key gives code " << c;
}

TEST(KeyCodes, DefaultBindingsComeFromTheirKeys) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UP, SDL_SCANCODE_UP), vk::Up);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_DOWN, SDL_SCANCODE_DOWN), 40);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LEFT, SDL_SCANCODE_LEFT), 37);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 39);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_COMMA, SDL_SCANCODE_COMMA), 188);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_PERIOD, SDL_SCANCODE_PERIOD), 190);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH), 220);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), 8);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RETURN, SDL_SCANCODE_RETURN), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_e, SDL_SCANCODE_E), 69);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), 90);
}

TEST(KeyCodes, BothSidesOfAModifierGiveOneCode) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LCTRL, SDL_SCANCODE_LCTRL), vk::Control);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RCTRL, SDL_SCANCODE_RCTRL), vk::Control);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LSHIFT, SDL_SCANCODE_LSHIFT), vk::Shift);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), vk::Shift);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_LALT, SDL_SCANCODE_LALT), vk::Menu);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_RALT, SDL_SCANCODE_RALT), vk::Menu);
}

TEST(KeyCodes, KeypadDigitsDifferFromMainDigits) {
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_5, SDL_SCANCODE_5), 53);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_5, SDL_SCANCODE_KP_5), 101);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_0, SDL_SCANCODE_KP_0), 96);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_F12, SDL_SCANCODE_F12), 123);
}

TEST(KeyCodes, LettersFollowTheLayout) {
    // AZERTY: the key in the US 'Q' place types 'a'; the US 'M' place types ','.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), vk::Letter('A'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_m, SDL_SCANCODE_SEMICOLON), vk::Letter('M'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_COMMA, SDL_SCANCODE_M), vk::OemComma);
    // Its top row types symbols, yet stays the digit keys.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AMPERSAND, SDL_SCANCODE_1), vk::Digit(1));
    // A layout without Latin letters falls back on the key's place.
    EXPECT_EQ(VirtualKeyFromSdl(0x444, SDL_SCANCODE_A), vk::Letter('A'));
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(KeyEvents, RepeatAndShiftStateArrive) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_x;
    e.key.keysym.scancode = SDL_SCANCODE_X;
    e.key.keysym.mod = KMOD_RSHIFT | KMOD_LCTRL;
    e.key.repeat = 1;
    TKeyEvent k;
    ASSERT_TRUE(KeyEventFromSdl(e, k));
    EXPECT_EQ(k.Key, 88);
    EXPECT_TRUE(k.Down);
    EXPECT_TRUE(k.Repeat);
    EXPECT_EQ(k.Shift, ssShift | ssCtrl);
    e.type = SDL_MOUSEMOTION;
    EXPECT_FALSE(KeyEventFromSdl(e, k));
}

TEST(KeyboardState, HeldKeysAndLocks) {
    TKeyboard kb;
    kb.OnKey({vk::Up, true});
    kb.OnKey({vk::Control, true});
    kb.OnKey({vk::Control, false});
    kb.OnKey({999, true}); // out of the table: ignored
    EXPECT_TRUE(kb.IsDown(vk::Up));
    EXPECT_FALSE(kb.IsDown(vk::Control));
    TKeyboard::TState s = kb.Read();
    EXPECT_EQ(s[vk::Up], 0x80);
    s[vk::NumLock] = 1;
    kb.Write(s);
    EXPECT_EQ(kb.Read()[vk::NumLock] & 1, 1);
    EXPECT_TRUE(SDL_GetModState() & KMOD_NUM);
    s[vk::NumLock] = 0;
    kb.Write(s);
    EXPECT_EQ(kb.Read()[vk::NumLock] & 1, 0);
    kb.ReleaseAll();
    EXPECT_FALSE(kb.IsDown(vk::Up));
}
