#include "frontend/key_settings.h"

#include <filesystem>
#include <string_view>

#include "core/vkeys.h"
#include "world/game_folders.h"
#include "world/text_file.h"

namespace {

constexpr const char* InvalidNumber = "Invalid numeric input";
// Two short lines; anything this big is not a key file.
constexpr size_t MaxKeyFileBytes = 64 << 10;
constexpr size_t MaxTokenLength = 32;

constexpr std::array<uint8_t, KeyActionCount> Player1Defaults = {
    vk::Up,       vk::Down,      vk::Left,         vk::Right, vk::Control, vk::Shift,
    vk::OemComma, vk::OemPeriod, vk::OemBackslash, vk::Back,  vk::Return};
constexpr std::array<uint8_t, KeyActionCount> Player2Defaults = {
    vk::Letter('E'), vk::Letter('D'), vk::Letter('S'), vk::Letter('F'),
    vk::Letter('Z'), vk::Letter('A'), vk::Letter('W'), vk::Letter('R'),
    vk::Letter('C'), vk::Letter('Q'), vk::Letter('X')};

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

// The next word of the text: blanks and line ends before it are skipped,
// it ends before the first control character or blank. Empty at the end.
std::string_view NextToken(std::string_view& rest) {
    size_t i = 0;
    while (i < rest.size() && static_cast<unsigned char>(rest[i]) < 33)
        ++i;
    rest.remove_prefix(i);
    size_t n = 0;
    while (n < rest.size() && n < MaxTokenLength && static_cast<unsigned char>(rest[n]) >= 33)
        ++n;
    const std::string_view word = rest.substr(0, n);
    rest.remove_prefix(n);
    return word;
}

} // namespace

TKeyLists DefaultKeyLists() {
    TKeyLists l;
    for (int i = 0; i < KeyActionCount; ++i) {
        l.Key(0, i) = Player1Defaults[i];
        l.Key(1, i) = Player2Defaults[i];
    }
    return l;
}

void BuildKeyMap(const TKeyLists& lists, std::array<uint8_t, KeyCodeCount>& keyMap) {
    keyMap = EmptyKeyMap();
    for (int i = 0; i < KeyActionCount; ++i) {
        keyMap[lists.Key(0, i)] = static_cast<uint8_t>(i);
        keyMap[lists.Key(1, i)] = static_cast<uint8_t>(i + Player2KeyActions);
    }
    // Code 255 is "no key": it never gives an action.
    keyMap[NoKeyAction] = NoKeyAction;
}

TKeyLists KeyListsFromKeyMap(const std::array<uint8_t, KeyCodeCount>& keyMap) {
    TKeyLists l;
    l.Codes.fill(NoKeyAction);
    for (int c = 0; c < KeyCodeCount; ++c) {
        const int v = keyMap[c];
        if (v == NoKeyAction) continue;
        if (v < KeyActionCount)
            l.Key(0, v) = static_cast<uint8_t>(c);
        else if (v >= Player2KeyActions && v < Player2KeyActions + KeyActionCount)
            l.Key(1, v - Player2KeyActions) = static_cast<uint8_t>(c);
    }
    return l;
}

std::string LoadKeySettings(const std::string& folder, TKeyLists& lists) {
    const std::string path = FolderFile(folder, KeySettingsFileName);
    if (!IsFile(path)) return "File not found";
    std::string text, error;
    if (!ReadTextFile(path, MaxKeyFileBytes, text, error)) return error;
    std::string_view rest(text);
    rest = rest.substr(0, rest.find('\x1a'));
    for (uint8_t& code : lists.Codes) {
        const std::string_view word = NextToken(rest);
        int32_t v = 0;
        if (!word.empty() && !ParseWholeNumber(word, v)) return InvalidNumber;
        code = static_cast<uint8_t>(v & 0xFF);
    }
    return {};
}

std::string KeySettingsText(const TKeyLists& lists) {
    std::string out;
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < KeyActionCount; ++i) {
            if (i > 0) out += ' ';
            out += std::to_string(lists.Key(p, i));
        }
        if (p == 0) out += "\r\n";
    }
    return out;
}

std::string SaveKeySettings(const std::string& folder, const TKeyLists& lists) {
    std::string error;
    if (!WriteTextFile(FolderFile(folder, KeySettingsFileName), KeySettingsText(lists), error))
        return error;
    return {};
}

void LoadKeyMapAtStart(Game& g) {
    TKeyLists lists;
    // The player's own keys, else the ones shipped with the game.
    const bool own = !UserSettingsFolder().empty() &&
                     IsFile(FolderFile(UserSettingsFolder(), KeySettingsFileName));
    const std::string error = LoadKeySettings(own ? UserSettingsFolder() : g.ProgramFolder, lists);
    if (!error.empty()) {
        g.TheUi.MessageBox(error);
        lists = DefaultKeyLists();
    }
    BuildKeyMap(lists, g.KeyMap);
}

std::string KeyName(int code) {
    if (code >= vk::Digit0 && code <= vk::Digit0 + 9)
        return std::string(1, char('0' + code - vk::Digit0));
    if (code >= vk::Numpad0 && code <= vk::Numpad0 + 9)
        return std::string(1, char('0' + code - vk::Numpad0));
    if (code >= vk::A && code <= vk::A + 25) return std::string(1, char('A' + code - vk::A));
    if (code >= vk::F1 && code <= vk::F1 + 11) return "F" + std::to_string(code - vk::F1 + 1);
    switch (code) {
    case vk::Back:
        return "BckSpc";
    case vk::Return:
        return "Enter";
    case vk::Shift:
        return "Shift";
    case vk::Control:
        return "Ctrl";
    case vk::Menu:
        return "Alt";
    case vk::Capital:
        return "CapsLock";
    case vk::Space:
        return "Space";
    case vk::Prior:
        return "PgUp";
    case vk::Next:
        return "PgDn";
    case vk::End:
        return "End";
    case vk::Home:
        return "Home";
    case vk::Left:
        return "Left";
    case vk::Up:
        return "Up";
    case vk::Right:
        return "Right";
    case vk::Down:
        return "Down";
    case vk::Insert:
        return "Ins";
    case vk::Delete:
        return "Del";
    case vk::LWin:
    case vk::RWin:
        return "WinBtn";
    case vk::Apps:
        return "MenuBtn";
    case vk::Multiply:
        return "*";
    case vk::Add:
        return "Num+";
    case vk::Subtract:
        return "Num-";
    case vk::Decimal:
        return ".";
    case vk::Divide:
    case vk::OemSlash:
        return "/";
    case vk::NumLock:
        return "NumLock";
    case vk::OemSemicolon:
        return ";";
    case vk::OemPlus:
        return "+";
    case vk::OemComma:
        return "<";
    case vk::OemMinus:
        return "-";
    case vk::OemPeriod:
        return ">";
    case vk::OemTilde:
        return "~";
    case vk::OemOpenBracket:
        return "[";
    case vk::OemBackslash:
        return "\\";
    case vk::OemCloseBracket:
        return "]";
    case vk::OemQuote:
        return "'";
    case NoKeyAction:
        return "NO KEY";
    default:
        return "Unknown";
    }
}

void BindKey(TKeyLists& lists, int player, int action, uint8_t code) {
    if (player < 0 || player > 1 || action < 0 || action >= KeyActionCount) return;
    for (uint8_t& c : lists.Codes)
        if (c == code) c = NoKeyAction;
    lists.Key(player, action) = code;
}

TKeyCheck CheckKeyLists(const TKeyLists& lists) {
    for (int i = 0; i < KeyActionCount; ++i) {
        if (lists.Key(0, i) == NoKeyAction) return {false, 0, "Please assign a key to '[NO KEY]'"};
        if (lists.Key(1, i) == NoKeyAction) return {false, 1, "Please assign a key"};
    }
    return {};
}

std::string AcceptKeyLists(Game& g, const TKeyLists& lists) {
    BuildKeyMap(lists, g.KeyMap);
    if (UserSettingsFolder().empty()) return SaveKeySettings(g.ProgramFolder, lists);
    const std::string unmade = PrepareWritableFolder(UserSettingsFolder());
    const std::string error = SaveKeySettings(UserSettingsFolder(), lists);
    return error.empty() || unmade.empty() ? error : unmade;
}
