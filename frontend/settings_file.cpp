#include "frontend/settings_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <string_view>

#include "world/game_folders.h"
#include "world/text_file.h"

namespace {

constexpr const char* InvalidNumber = "Invalid numeric input";
// Far beyond any real settings file; refuses to swallow a stray huge file.
constexpr size_t MaxSettingsBytes = 4 << 20;
constexpr size_t MaxTokenLength = 32;

constexpr int MaxBots = MaxTanks - 2;
constexpr int MaxLimit = 1000;
constexpr int MaxServerRate = 100;
constexpr int MaxArmour = 500;
constexpr int MaxHue = 1536; // the colour boxes reach 1536: no hue, black or grey
constexpr int MaxSaturation = 255;
constexpr int MaxBrightness = 512; // "White" is stored as 512

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The file read the way the game has always read it: numbers are words
// that may start on a later line, text lines are taken whole, and reading
// past the end gives 0 or empty text. A Ctrl-Z ends the text.
class TSettingsReader {
  public:
    explicit TSettingsReader(std::string_view text) : Rest(text.substr(0, text.find('\x1a'))) {}

    // The next number: blanks, tabs and line ends before it are skipped; it
    // ends before the first character below 33, after at most 32. False when
    // it is not a decimal whole number.
    bool Number(int32_t& value) {
        size_t i = 0;
        while (i < Rest.size() && (IsBlank(Rest[i]) || IsLineEnd(Rest[i])))
            ++i;
        Rest.remove_prefix(i);
        if (Rest.empty()) {
            value = 0;
            return true;
        }
        size_t n = 0;
        while (n < Rest.size() && n < MaxTokenLength && static_cast<unsigned char>(Rest[n]) >= 33)
            ++n;
        const std::string_view word = Rest.substr(0, n);
        Rest.remove_prefix(n);
        return ParseWholeNumber(word, value);
    }

    // Drops the rest of the current line and its line end.
    void EndLine() {
        size_t i = 0;
        while (i < Rest.size() && !IsLineEnd(Rest[i]))
            ++i;
        Rest.remove_prefix(i);
        SkipLineEnd();
    }

    // The rest of the current line, as it is, without its line end.
    std::string Line() {
        size_t i = 0;
        while (i < Rest.size() && !IsLineEnd(Rest[i]))
            ++i;
        std::string line(Rest.substr(0, i));
        Rest.remove_prefix(i);
        SkipLineEnd();
        return line;
    }

  private:
    // CR LF, LF or CR.
    void SkipLineEnd() {
        if (Rest.empty()) return;
        const bool cr = Rest.front() == '\r';
        Rest.remove_prefix(1);
        if (cr && !Rest.empty() && Rest.front() == '\n') Rest.remove_prefix(1);
    }

    std::string_view Rest;
};

bool IsFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec);
}

// Reads the lines into s one value at a time; false when a number was not
// one. A bad number costs only its own value (it keeps what s had) and the
// rest of its line: every later line is still read, so a file with one bad
// word never loses the names, looks and taunts after it.
bool ReadSettings(TSettingsReader& in, TSettings& s) {
    bool whole = true;
    int32_t v = 0;
    auto number = [&](int32_t& target) {
        if (!in.Number(v)) {
            whole = false;
            return false;
        }
        target = v;
        return true;
    };
    auto numberLine = [&](int32_t& target) {
        number(target);
        in.EndLine();
    };
    auto flagLine = [&](bool& target) {
        int32_t n = 0;
        if (number(n)) target = n == 1;
        in.EndLine();
    };
    // A box with three entries: anything else selects none.
    auto indexLine = [&](int32_t& target) {
        int32_t n = 0;
        if (number(n)) target = n >= 0 && n <= 2 ? n : -1;
        in.EndLine();
    };
    auto colourLine = [&](THsb& c) {
        number(c.Hue) && number(c.Saturation) && number(c.Brightness);
        in.EndLine();
    };

    flagLine(s.Fullscreen);
    flagLine(s.ScreenSync);
    flagLine(s.NoShadows);
    flagLine(s.Player2LeftSide);
    flagLine(s.CycleLevels);
    indexLine(s.ResolutionIndex);
    indexLine(s.ColourDepthIndex);
    numberLine(s.ServerRate);
    flagLine(s.TankIndicators);
    flagLine(s.ShowNames);
    int32_t n = 0;
    if (number(n)) s.Armour = std::clamp(n, 1, MaxArmour); // the slider's range
    in.EndLine();
    s.BotCount = in.Line();
    numberLine(s.FragLimit);
    numberLine(s.CowLimit);
    if (number(n)) s.TauntChance = n * 0.01;
    in.EndLine();
    for (std::string& taunt : s.TauntTable)
        taunt = in.Line();
    for (TTankSetup& setup : s.TankSetups) {
        setup.Name = in.Line();
        numberLine(setup.Sort);
        numberLine(setup.Pattern);
        colourLine(setup.Colour1);
        colourLine(setup.Colour2);
    }
    return whole;
}

// A text line as it may be written: a line break or Ctrl-Z inside it would
// move every later line of the file, so each becomes a blank.
std::string_view OneLine(std::string_view text, std::string& buffer) {
    if (text.find_first_of("\r\n\x1a") == std::string_view::npos) return text;
    buffer.assign(text);
    for (char& c : buffer)
        if (IsLineEnd(c) || c == '\x1a') c = ' ';
    return buffer;
}

int32_t TauntPercent(double chance) {
    const double percent = chance * 100;
    if (std::isnan(percent)) return 0;
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return RoundEven(std::clamp(percent, lo, hi));
}

TTankSetup SafeSetup(const TTankSetup& in) {
    TTankSetup out = in;
    if (out.Sort != sortHovercraft && out.Sort != sortHummer) out.Sort = sortTank;
    if (out.Pattern < -1 || out.Pattern > 6) out.Pattern = -1;
    if (out.Weapon < wpMachineGun || out.Weapon > wpVarying) out.Weapon = wpMachineGun;
    for (THsb* c : {&out.Colour1, &out.Colour2}) {
        c->Hue = std::clamp(c->Hue, 0, MaxHue);
        c->Saturation = std::clamp(c->Saturation, 0, MaxSaturation);
        c->Brightness = std::clamp(c->Brightness, 0, MaxBrightness);
    }
    return out;
}

} // namespace

std::string LoadSettings(const std::string& folder, TSettings& s) {
    std::string path = FolderFile(folder, SettingsFileName);
    if (!IsFile(path)) {
        path = FolderFile(folder, DefaultSettingsFileName);
        if (!IsFile(path)) return "File not found";
    }
    std::string text, error;
    if (!ReadTextFile(path, MaxSettingsBytes, text, error)) return error;
    TSettingsReader in(text);
    const bool whole = ReadSettings(in, s);
    for (int k = 0; k < MaxTanks; ++k)
        s.TankSetups[k].Weapon = k < 2 ? wpMachineGun : wpVarying;
    return whole ? std::string() : InvalidNumber;
}

std::string SaveSettings(const std::string& folder, TSettings& s) {
    std::string& player1 = s.TankSetups[0].Name;
    if (player1.starts_with("TurtleX")) player1 = "Kill_me";

    std::string out;
    std::string buffer;
    auto line = [&](std::string_view text) {
        out += OneLine(text, buffer);
        out += "\r\n";
    };
    auto number = [&](int32_t v) { line(std::to_string(v)); };
    auto flag = [&](bool on) { line(on ? "1" : "0"); };
    auto colour = [&](const THsb& c) {
        line(std::to_string(c.Hue) + " " + std::to_string(c.Saturation) + " " +
             std::to_string(c.Brightness));
    };

    flag(s.Fullscreen);
    flag(s.ScreenSync);
    flag(s.NoShadows);
    flag(s.Player2LeftSide);
    flag(s.CycleLevels);
    number(s.ResolutionIndex);
    number(s.ColourDepthIndex);
    number(s.ServerRate);
    flag(s.TankIndicators);
    flag(s.ShowNames);
    number(s.Armour);
    number(SettingsBotCount(s));
    number(s.FragLimit);
    number(s.CowLimit);
    number(TauntPercent(s.TauntChance));
    for (const std::string& taunt : s.TauntTable)
        line(taunt);
    for (const TTankSetup& setup : s.TankSetups) {
        line(setup.Name);
        number(setup.Sort);
        number(setup.Pattern);
        colour(setup.Colour1);
        colour(setup.Colour2);
    }

    std::string error;
    if (!WriteTextFile(FolderFile(folder, SettingsFileName), out, error)) return error;
    return {};
}

int32_t SettingsBotCount(const TSettings& s) {
    int32_t n = 0;
    if (!ParseWholeNumber(TrimBlanks(s.BotCount), n)) return 0;
    return std::clamp(n, 0, MaxBots);
}

int32_t SettingsLimit(const TSettings& s, bool captureTheCow) {
    return std::clamp(captureTheCow ? s.CowLimit : s.FragLimit, 1, MaxLimit);
}

void ApplySettingsToStart(const TSettings& s, Game& g) {
    TStartChoices& st = g.Start;
    for (int k = 0; k < MaxTanks; ++k)
        st.TankSetups[k] = SafeSetup(s.TankSetups[k]);
    st.TauntTable = s.TauntTable;
    st.Player2LeftSide = s.Player2LeftSide;
    st.NoShadowsBox = s.NoShadows;
    st.TankIndicatorsBox = s.TankIndicators;
    st.ShowNamesBox = s.ShowNames;
    st.CycleLevelsBox = s.CycleLevels;
    st.FragLimitSpin = SettingsLimit(s, st.CaptureTheCowBox);
    st.ArmourSlider = std::clamp(s.Armour, 1, MaxArmour);
    st.ServerRate = std::clamp(s.ServerRate, 1, MaxServerRate);
    st.BotCount = SettingsBotCount(s);
    g.TauntChance = std::isnan(s.TauntChance) ? 0.0 : std::clamp(s.TauntChance, 0.0, 1.0);
}

std::string LoadSettings(const Game& g, TSettings& s) {
    if (!UserSettingsFolder().empty() && IsFile(FolderFile(UserSettingsFolder(), SettingsFileName)))
        return LoadSettings(UserSettingsFolder(), s);
    return LoadSettings(g.ProgramFolder, s);
}

std::string SaveSettings(const Game& g, TSettings& s) {
    if (UserSettingsFolder().empty()) return SaveSettings(g.ProgramFolder, s);
    const std::string unmade = PrepareWritableFolder(UserSettingsFolder());
    const std::string error = SaveSettings(UserSettingsFolder(), s);
    return error.empty() || unmade.empty() ? error : unmade;
}
