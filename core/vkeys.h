// The game's key codes: the classic PC virtual-key numbers, which the key
// settings file stores and the key map is indexed by. Letters and main
// digits are their ASCII capitals and digits ('A' = 65, '0' = 48).
#pragma once

namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18; // Alt
constexpr int Pause = 19;
constexpr int Capital = 20; // Caps Lock
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33; // Page Up
constexpr int Next = 34;  // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Snapshot = 44; // Print Screen
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Digit0 = 48; // .. 57
constexpr int A = 65;      // .. 90
constexpr int LWin = 91;
constexpr int RWin = 92;
constexpr int Apps = 93;    // the menu key
constexpr int Numpad0 = 96; // .. 105
constexpr int Multiply = 106;
constexpr int Add = 107;
constexpr int Subtract = 109;
constexpr int Decimal = 110;
constexpr int Divide = 111;
constexpr int F1 = 112; // .. F24 = 135
constexpr int NumLock = 144;
constexpr int Scroll = 145;
constexpr int OemSemicolon = 186;
constexpr int OemPlus = 187;
constexpr int OemComma = 188;
constexpr int OemMinus = 189;
constexpr int OemPeriod = 190;
constexpr int OemSlash = 191;
constexpr int OemTilde = 192;
constexpr int OemOpenBracket = 219;
constexpr int OemBackslash = 220;
constexpr int OemCloseBracket = 221;
constexpr int OemQuote = 222;
constexpr int Oem102 = 226; // the extra key beside left Shift on ISO keyboards

constexpr int Letter(char c) {
    return A + (c - 'A');
}
constexpr int Digit(int d) {
    return Digit0 + d;
}
constexpr int Numpad(int d) {
    return Numpad0 + d;
}
constexpr int Fn(int n) {
    return F1 + n - 1;
}
} // namespace vk

// Shift state that comes with a key or mouse event.
enum TShiftFlag : int { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

struct TKeyEvent {
    int Key = 0; // virtual-key code, 0 when the key has none
    bool Down = false;
    bool Repeat = false; // auto-repeat of a held key; the game filters these itself
    int Shift = 0;       // TShiftFlag bits
};
