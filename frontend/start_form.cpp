#include "frontend/start_form.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

#include "core/asset_names.h"
#include "core/colours.h"
#include "core/vkeys.h"
#include "frontend/game_window.h"
#include "frontend/settings_file.h"
#include "match/net_receive.h"
#include "match/tick.h"
#include "world/maps.h"

namespace {

constexpr size_t MaxDebugLines = 200;
constexpr int TauntsPerBox = 4;

int SortIndexOf(int32_t sort) {
    return sort == sortHovercraft ? 1 : sort == sortHummer ? 2 : 0;
}

int32_t SortOfIndex(int index) {
    return index == 1 ? sortHovercraft : index == 2 ? sortHummer : sortTank;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The lines of a taunt box; a last line without text after a line end is
// not a line of its own, as in any text box.
std::vector<std::string> BoxLines(const std::string& text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int IndexOf(const std::vector<std::string>& list, const std::string& name) {
    const auto it = std::find(list.begin(), list.end(), name);
    return it == list.end() ? -1 : int(it - list.begin());
}

double Smooth(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// A small, fixed hash noise: the same picture on every run.
double Hash(int x, int y) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

double ValueNoise(double x, double y) {
    const int xi = int(std::floor(x)), yi = int(std::floor(y));
    const double fx = x - xi, fy = y - yi;
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = Hash(xi, yi), b = Hash(xi + 1, yi);
    const double c = Hash(xi, yi + 1), d = Hash(xi + 1, yi + 1);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

double Fractal(double x, double y) {
    double sum = 0, amp = 0.5;
    for (int o = 0; o < 4; ++o) {
        sum += amp * ValueNoise(x, y);
        x *= 2.03;
        y *= 2.03;
        amp *= 0.5;
    }
    return sum;
}

} // namespace

std::string SelectorEntry(int k) {
    if (k == 0) return "Player 1";
    if (k == 1) return "Player 2";
    return "Bot " + std::to_string(k - 1);
}

uint32_t TTint::TextColour() const {
    return Rgb(RoundEven(R * 255), RoundEven(G * 255), RoundEven(B * 255));
}

TTint RandomTint(Random& rng) {
    double c[3] = {rng.Real(), rng.Real(), rng.Real()};
    c[rng.Int(3)] = 0.5 + 0.5 * rng.Real();
    return {c[0], c[1], c[2]};
}

TImage MakeStartBackground() {
    TImage pic(StartFormWidth, StartFormHeight);
    const double horizon = 0.58 * StartFormHeight;
    for (int y = 0; y < pic.Height; ++y) {
        for (int x = 0; x < pic.Width; ++x) {
            double v;
            // Two rows of hills against the sky, the far one paler.
            const double far = horizon - 40 - 38 * Fractal(x / 160.0, 3.1);
            const double near = horizon + 10 - 46 * Fractal(x / 110.0 + 7, 9.7);
            if (y < far) {
                // Sky: brightest low down, a few long clouds.
                const double sky = 0.30 + 0.45 * Smooth(0, horizon, y);
                const double cloud = Smooth(0.55, 0.8, Fractal(x / 140.0, y / 28.0));
                v = sky + 0.18 * cloud;
            } else if (y < near) {
                v = 0.42 - 0.12 * Fractal(x / 30.0, y / 30.0) - 0.10 * Smooth(far, far + 60, y);
            } else {
                // The moor: heather in furrows running towards the viewer.
                const double depth = (y - near) / double(pic.Height - near + 1);
                const double grass = Fractal(x / (18.0 + 40 * depth), y / 9.0);
                v = 0.16 + 0.22 * grass - 0.08 * depth;
            }
            const int red = std::clamp(int(std::lround(v * 255)), 0, 255);
            pic.Pixels[size_t(y) * pic.Width + x] = Rgb(red, 0, 0);
        }
    }
    return pic;
}

void TintBackground(TImage& picture, const TTint& tint) {
    for (uint32_t& p : picture.Pixels) {
        const int v = RedOf(p);
        p = Rgb(RoundEven(tint.R * v), RoundEven(tint.G * v), RoundEven(tint.B * v));
    }
}

// ---------------------------------------------------------------------------

void TStartForm::FormCreate() {
    Tint = RandomTint(G.Rng);
    Background = MakeStartBackground();
    TintBackground(Background, Tint);
}

void TStartForm::FormActivate() {
    Active = true;
    G.TheUi.SetCaption(Caption());
    if (!GameStarted) {
        BuildLevelList(G, Levels);
        Levels.BaseLevelMode = false;
        LevelIndex = Levels.Shown().empty() ? -1 : 0;
        // The other list starts at its top, so a swap always leaves a choice.
        OtherLevelIndex = 0;
        ApplyStyle();
        LoadSettingsIntoControls();
    } else {
        // N in the game may have switched the names.
        ShowNames = G.Start.ShowNamesBox;
        // "Cycle levels" may have moved on while the match ran.
        const int at = IndexOf(Levels.Shown(), G.Start.SelectedLevel);
        if (at >= 0) LevelIndex = at;
    }
    if (GameWindow && GameWindow->Visible) GameWindow->Hide();
    SurfaceReady = true;
    // A hosted network match goes on while its host sits here: the server
    // timer runs it at the status rate, and the preview timer rests.
    ServerTimerEnabled = GameStarted && G.NetworkGame && G.Net.IsHost() && !G.ClientMode;
    ServerTimerInterval = std::max(1, G.StatusInterval);
    TimerEnabled = !ServerTimerEnabled;
    HelpVisible = false;
    HelpShowAt = -1;
    DetectScreenSaver();
}

void TStartForm::FormDeactivate() {
    Active = false;
    G.TheUi.SetCaption("Moorclash");
    ServerTimerEnabled = false;
}

void TStartForm::Close() {
    if (QuitWhenSeen) return; // already closing, waiting for the player
    CloseSession();
    if (!G.ScreenSaverMode && !SaveSettingsFromControls().empty() && MessagesWait) {
        // What could not be saved is said before the window goes away.
        QuitWhenSeen = true;
        return;
    }
    App.Terminate();
}

std::string TStartForm::LoadSettingsIntoControls() {
    TSettings s = ControlsToSettings();
    const std::string error = LoadSettings(G, s);
    if (error == "File not found") {
        // Nothing read: every control keeps what it had.
        G.TheUi.MessageBox(error);
        return error;
    }
    // A bad number kept its control's value; the rest of the file was read.
    SettingsToControls(s, error.empty() || error == "Invalid numeric input");
    if (!error.empty()) G.TheUi.MessageBox(error);
    return error;
}

std::string TStartForm::SaveSettingsFromControls() {
    TSettings s = ControlsToSettings();
    const std::string error = SaveSettings(G, s);
    // A "TurtleX" name is saved, and kept, as "Kill_me".
    G.Start.TankSetups[0].Name = s.TankSetups[0].Name;
    if (EditedSetup == 0) NameBox = s.TankSetups[0].Name;
    if (!error.empty()) G.TheUi.MessageBox(error);
    return error;
}

TSettings TStartForm::ControlsToSettings() {
    StoreSetup(EditedSetup);
    CopyTauntBoxes();
    TSettings s;
    s.Fullscreen = Fullscreen;
    s.ScreenSync = ScreenSync;
    s.NoShadows = NoShadows;
    s.Player2LeftSide = SwitchSides;
    s.CycleLevels = CycleLevels;
    s.ResolutionIndex = ResolutionIndex;
    s.ColourDepthIndex = ColourDepthIndex;
    s.ServerRate = ServerRate;
    s.TankIndicators = TankIndicators;
    s.ShowNames = ShowNames;
    s.Armour = Armour;
    s.BotCount = std::to_string(BotCount);
    s.FragLimit = FragLimitSetting;
    s.CowLimit = CowLimitSetting;
    s.TauntChance = TauntChance;
    s.TauntTable = G.Start.TauntTable;
    s.TankSetups = G.Start.TankSetups;
    return s;
}

void TStartForm::SettingsToControls(const TSettings& s, bool fullLoad) {
    Fullscreen = s.Fullscreen;
    ScreenSync = s.ScreenSync;
    NoShadows = s.NoShadows;
    SwitchSides = s.Player2LeftSide;
    CycleLevels = s.CycleLevels;
    ResolutionChange(s.ResolutionIndex);
    ColourDepthChange(s.ColourDepthIndex);
    ServerRateChange(s.ServerRate);
    TankIndicators = s.TankIndicators;
    ShowNames = s.ShowNames;
    ArmourChange(s.Armour);
    BotCountChange(SettingsBotCount(s));
    FragLimitSetting = std::clamp(s.FragLimit, 1, MaxLimit);
    CowLimitSetting = std::clamp(s.CowLimit, 1, MaxLimit);
    TauntChance = std::isnan(s.TauntChance) ? 0.0 : std::clamp(s.TauntChance, 0.0, 1.0);
    G.TauntChance = TauntChance;
    G.Start.TauntTable = s.TauntTable;
    for (int k = 0; k < MaxTanks; ++k) {
        TTankSetup& setup = G.Start.TankSetups[k];
        const TTankSetup& from = s.TankSetups[k];
        setup.Name = from.Name;
        // Only what the boxes can show: anything else reads as their first entry.
        setup.Sort = SortOfIndex(SortIndexOf(from.Sort));
        setup.Pattern = from.Pattern >= -1 && from.Pattern <= 6 ? from.Pattern : -1;
        for (auto [to, c] :
             {std::pair{&setup.Colour1, from.Colour1}, {&setup.Colour2, from.Colour2}}) {
            to->Hue = std::clamp(c.Hue, 0, 1536); // 1536: dragged past the last hue
            to->Saturation = std::clamp(c.Saturation, 0, 255);
            to->Brightness = std::clamp(c.Brightness, 0, 512);
        }
        if (fullLoad) setup.Weapon = from.Weapon;
    }
    if (!fullLoad) {
        // The boxes still show the edited set-up; let them follow the table.
        ShowSetup(EditedSetup);
        return;
    }
    SelectorIndex = 0;
    SelectPlayerCaption = "Set Player 2";
    Label12 = SelectorEntry(0) + ":";
    EditedSetup = 0;
    ShowSetup(0);
    TauntBox1.clear();
    TauntBox2.clear();
    for (int i = 0; i < TauntsPerBox; ++i) {
        TauntBox1 += G.Start.TauntTable[i] + (i + 1 < TauntsPerBox ? "\n" : "");
        TauntBox2 += G.Start.TauntTable[TauntsPerBox + i] + (i + 1 < TauntsPerBox ? "\n" : "");
    }
}

// --- player controls --------------------------------------------------------

void TStartForm::StoreSetup(int k) {
    if (k < 0 || k >= MaxTanks) return;
    TTankSetup& s = G.Start.TankSetups[k];
    s.Name = NameBox;
    s.Weapon = std::clamp(WeaponIndex, 0, int(wpVarying));
    s.Sort = SortOfIndex(SortIndex);
    s.Pattern = std::clamp(PatternIndex, 0, 7) - 1;
}

void TStartForm::ShowSetup(int k) {
    if (k < 0 || k >= MaxTanks) return;
    Showing = true;
    const TTankSetup& s = G.Start.TankSetups[k];
    NameBox = s.Name;
    WeaponIndex = std::clamp(s.Weapon, 0, int(wpVarying));
    SortIndex = SortIndexOf(s.Sort);
    PatternIndex = std::clamp(s.Pattern + 1, 0, 7);
    ColourSelect = NamedColour(HsbToRgb(s.Colour1));
    Showing = false;
}

void TStartForm::SelectTankChange(int index) {
    if (index < 0 || index >= MaxTanks) return;
    StoreSetup(EditedSetup);
    SelectorIndex = index;
    EditedSetup = index;
    Label12 = SelectorEntry(index) + ":";
    ShowSetup(index);
}

void TStartForm::SelectPlayerBtnClick() {
    if (SelectPlayerCaption == "Set Player 2") {
        SelectPlayerCaption = "Set Player 1";
        SelectTankChange(1);
    } else {
        SelectPlayerCaption = "Set Player 2";
        SelectTankChange(0);
    }
}

void TStartForm::SetBotsBtnClick() {
    SelectorVisible = !SelectorVisible;
    // The selector sits with the player's controls: the options make way.
    if (SelectorVisible && OptionsShown) OptionsBtnClick();
    int to;
    if (SelectorVisible) {
        SetBotsCaption = "Hide botconfig";
        to = 2;
    } else {
        SetBotsCaption = "Configure Bots";
        SelectPlayerCaption = "Set Player 2";
        to = 0;
    }
    SelectTankChange(to);
}

void TStartForm::NameChange(const std::string& text) {
    NameBox = text;
    if (!Showing) StoreSetup(EditedSetup);
}

void TStartForm::SortChange(int index) {
    SortIndex = std::clamp(index, 0, 2);
    if (Showing || EditedSetup < 0) return;
    // A running match keeps its vehicles' sorts: the new one waits for the
    // next start, so it is not a change to hand over.
    StoreSetup(EditedSetup);
}

void TStartForm::PatternChange(int index) {
    PatternIndex = std::clamp(index, 0, 7);
    if (Showing || EditedSetup < 0 || EditedSetup >= MaxTanks) return;
    const int32_t before = G.Start.TankSetups[EditedSetup].Pattern;
    StoreSetup(EditedSetup);
    if (G.Start.TankSetups[EditedSetup].Pattern != before)
        G.Start.TankSetups[EditedSetup].Changed = true;
}

void TStartForm::WeaponChange(int index) {
    WeaponIndex = std::clamp(index, 0, int(wpVarying));
    if (!Showing) StoreSetup(EditedSetup);
}

// --- match controls ----------------------------------------------------------

void TStartForm::StyleClick(TGameStyle style) {
    Style = style;
    ApplyStyle();
}

void TStartForm::UseBasesClick(bool on) {
    UseBases = on;
    ApplyStyle();
}

void TStartForm::ApplyStyle() {
    const bool wantBases = Style == styleCaptureTheCow || (Style == styleTeamWar && UseBases);
    if (wantBases != Levels.BaseLevelMode) {
        // Keep the chosen level where the other list has it, else go back to
        // where that list was left.
        const std::string name = SelectedLevelName();
        Levels.BaseLevelMode = wantBases;
        int to = name.empty() ? -1 : IndexOf(Levels.Shown(), name);
        if (to < 0) to = OtherLevelIndex;
        OtherLevelIndex = LevelIndex;
        LevelIndex = to >= 0 && to < int(Levels.Shown().size()) ? to : -1;
    }
}

void TStartForm::LimitChange(int value) {
    value = std::clamp(value, 1, MaxLimit);
    (Style == styleCaptureTheCow ? CowLimitSetting : FragLimitSetting) = value;
}

void TStartForm::BotCountChange(int value) {
    BotCount = std::clamp(value, 0, MaxBotCount);
}

void TStartForm::SelectLevel(int index) {
    LevelIndex = index >= 0 && index < int(Levels.Shown().size()) ? index : -1;
}

std::string TStartForm::SelectedLevelName() const {
    const auto& shown = Levels.Shown();
    return LevelIndex >= 0 && LevelIndex < int(shown.size()) ? shown[LevelIndex] : std::string();
}

void TStartForm::MapUpClick() {
    if (LevelIndex < 1 || LevelIndex >= int(Levels.Shown().size())) return;
    auto& shown = Levels.BaseLevelMode ? Levels.BaseLevels : Levels.AllLevels;
    auto& other = Levels.BaseLevelMode ? Levels.AllLevels : Levels.BaseLevels;
    const std::string name = shown[LevelIndex], above = shown[LevelIndex - 1];
    std::swap(shown[LevelIndex], shown[LevelIndex - 1]);
    // The list behind keeps the same order where it holds both levels.
    const int a = IndexOf(other, name), b = IndexOf(other, above);
    if (a >= 0 && b >= 0) std::swap(other[a], other[b]);
    --LevelIndex;
}

void TStartForm::MapDownClick() {
    const int n = int(Levels.Shown().size());
    if (LevelIndex < 0 || LevelIndex + 1 >= n) return;
    ++LevelIndex;
    MapUpClick();
    ++LevelIndex;
}

// --- options -----------------------------------------------------------------

void TStartForm::OptionsBtnClick() {
    OptionsShown = !OptionsShown;
    OptionsCaption = OptionsShown ? "HIDE OPTIONS" : "OPTIONS";
    if (OptionsShown) HelpVisible = false;
    ArmourLabel = std::to_string(Armour) + " %";
}

void TStartForm::ArmourChange(int value) {
    Armour = std::clamp(value, 1, MaxArmour);
    ArmourLabel = std::to_string(Armour) + " %";
}

void TStartForm::ServerRateChange(int value) {
    ServerRate = std::clamp(value, 1, MaxServerRate);
}

void TStartForm::ResolutionChange(int index) {
    ResolutionIndex = index >= 0 && index <= 2 ? index : -1;
}

void TStartForm::ColourDepthChange(int index) {
    ColourDepthIndex = index >= 0 && index <= 2 ? index : -1;
}

void TStartForm::CopyTauntBoxes() {
    const std::vector<std::string> one = BoxLines(TauntBox1), two = BoxLines(TauntBox2);
    for (size_t i = 0; i < one.size() && i < TauntsPerBox; ++i)
        G.Start.TauntTable[i] = one[i];
    for (size_t i = 0; i < two.size() && i < TauntsPerBox; ++i)
        G.Start.TauntTable[TauntsPerBox + i] = two[i];
}

// --- help text ---------------------------------------------------------------

void TStartForm::HoverStartButton(int k, int32_t nowMs) {
    if (k == HelpButton) return;
    HelpButton = k;
    HelpVisible = false;
    HelpShowAt = -1;
    if (k < 0 || k > 3 || OptionsShown) return;
    HelpText = StartHelpTexts[k];
    // At once, from the background or from the next button alike: a
    // pointer going along the row reads each button as it passes.
    (void)nowMs;
    HelpVisible = true;
}

void TStartForm::PreviewTimer(int32_t nowMs) {
    if (HelpShowAt >= 0 && nowMs - HelpShowAt >= 0 && Active && !OptionsShown) {
        HelpVisible = true;
        HelpShowAt = -1;
    }
}

void TStartForm::ServerTimerTimer(int32_t nowMs) {
    if (!ServerTimerEnabled) return;
    // The game window is hidden: the tick runs the match without drawing.
    GameTick(G, nowMs);
    PreviewTimer(nowMs);
}

void TStartForm::AddDebugLine(const std::string& line) {
    DebugList.push_back(line);
    while (DebugList.size() > MaxDebugLines)
        DebugList.pop_front();
}

// --- starting ----------------------------------------------------------------

void TStartForm::CheckCheatFlags() {
    G.CheatFlags = 0;
    const std::string& name = G.Start.TankSetups[0].Name;
    if (!name.starts_with("TurtleX")) return;
    if (name.find("armor") != std::string::npos) G.CheatFlags |= 1;
    if (name.find("guns") != std::string::npos) G.CheatFlags |= 2;
    if (name.find("speed") != std::string::npos) G.CheatFlags |= 4;
    if (name.find("ALL") != std::string::npos) G.CheatFlags |= 7;
}

TStartResult TStartForm::StartClick(TStartKind kind) {
    const bool network = kind == startNetwork || kind == startSplitScreenNetwork;
    const bool two = kind == startSplitScreen || kind == startSplitScreenNetwork;
    if (network && !NetworkForm) {
        // Said at once: no name to fix first for a game that cannot be had.
        G.TheUi.MessageBox("Network play is not in this build yet.");
        return TStartResult::NoNetworkPlay;
    }
    G.NetworkGame = network;
    G.TwoPlayers = two;

    StoreSetup(EditedSetup);
    if (network) {
        for (int p = 0; p < (two ? 2 : 1); ++p) {
            const std::string& name = G.Start.TankSetups[p].Name;
            if (Lower(name) != (p == 0 ? "player 1" : "player 2")) continue;
            if (EditedSetup != p) {
                if (SelectorVisible) SetBotsBtnClick();
                if (p != EditedSetup) SelectPlayerBtnClick();
            }
            FocusNameBox = true;
            G.TheUi.MessageBox("Please enter an original name instead of " + name);
            return TStartResult::Refused;
        }
    }
    CheckCheatFlags();
    if (LevelIndex < 0) {
        SelectLevel(0);
        if (!network) {
            G.TheUi.MessageBox("Select a level");
            return TStartResult::Refused;
        }
    }
    G.CreditsLevel = SelectedLevelName() == CreditsLevelName;
    for (int i = 0; i < G.Sound.SoundCount(); ++i)
        G.Sound.Stop(i);
    CopyTauntBoxes();
    CloseSession();
    if (network && G.CheatFlags != 0) {
        G.TheUi.MessageBox("So, you're a Wuss huh? No network play for you!!!");
        G.Start.TankSetups[0].Name = "Kill_me";
        if (EditedSetup == 0) NameBox = "Kill_me";
        return TStartResult::Refused;
    }
    if (network) {
        // The game starts once the dialog has opened a session.
        ClearReadiness(G);
        NetworkForm->FormShow(static_cast<int>(Style), G.Start.TankSetups[0].Name);
        NetworkStartPending = true;
        return TStartResult::NetworkDialog;
    }
    G.ClientMode = false;
    G.Start.NewGameRequested = true;
    GameStarted = true;
    G.TheUi.SetCaption("Moorclash");
    G.LevelRunning = false;
    HandOver();
    ShowGameWindow();
    return TStartResult::Started;
}

void TStartForm::HandOver() {
    TStartChoices& st = G.Start;
    st.Player2LeftSide = SwitchSides;
    st.TeamWarBox = Style == styleTeamWar;
    st.CaptureTheCowBox = Style == styleCaptureTheCow;
    st.UseBasesBox = UseBases;
    st.FragLimitSpin = LimitBoxValue();
    st.ArmourSlider = Armour;
    st.TankIndicatorsBox = TankIndicators;
    st.NoShadowsBox = NoShadows;
    st.ShowNamesBox = ShowNames;
    st.ServerRate = ServerRate;
    st.BotCount = BotCount;
    st.CycleLevelsBox = CycleLevels;
    st.LevelList = Levels.Shown();
    st.SelectedLevel = SelectedLevelName();
    G.TauntChance = TauntChance;
}

void TStartForm::ShowGameWindow() {
    Windowed = !Fullscreen;
    // The game window draws now; the menu's preview rests.
    FormDeactivate();
    TimerEnabled = false;
    if (!GameWindow) return;
    // A start while a match is shown begins afresh on a new surface.
    if (GameWindow->Visible) GameWindow->Hide();
    GameWindow->Show();
}

void TStartForm::ContinueGame() {
    if (!GameStarted) return;
    CopyTauntBoxes();
    StoreSetup(EditedSetup);
    // Every option the running match reads goes with it: "Cycle levels" and
    // the level order, the sides, names, indicators, shadows and the limit
    // of the style being played (the game window applies them).
    TStartChoices& st = G.Start;
    st.CycleLevelsBox = CycleLevels;
    st.LevelList = Levels.Shown();
    st.Player2LeftSide = SwitchSides;
    st.ShowNamesBox = ShowNames;
    st.TankIndicatorsBox = TankIndicators;
    st.NoShadowsBox = NoShadows;
    st.FragLimitSpin = G.CaptureTheCow ? CowLimitSetting : FragLimitSetting;
    G.TauntChance = TauntChance;
    ShowGameWindow();
}

bool TStartForm::KeyDown(int vk) {
    if (vk == vk::Escape) {
        if (GameStarted) ContinueGame();
        return GameStarted;
    }
    if (vk == vk::F1) {
        KeyDialogRequested = true;
        return true;
    }
    if (vk == vk::Fn(12)) {
        Close();
        return true;
    }
    return false;
}

// --- network ------------------------------------------------------------------

void TStartForm::CloseSession() {
    if (!Net || !Net->IsOpen()) return;
    G.TheUi.SetCaption("Moorclash (Closing connection)");
    Net->Close();
    G.TheUi.SetCaption("Moorclash");
}

void TStartForm::SessionEnded(const std::string& why) {
    // Closed here, or a new session open since: nothing ended under the game.
    if (!GameStarted || !G.NetworkGame || !Net || Net->IsOpen()) return;
    GameStarted = false;
    G.NetworkGame = G.ClientMode = false;
    G.LevelRunning = false;
    FormActivate();
    G.TheUi.MessageBox(why.empty() ? "The network game has ended" : why);
}

void TStartForm::NetworkPass() {
    if (NetworkStartPending && NetworkForm && !NetworkForm->Visible) {
        NetworkStartPending = false;
        // Cancelled, or no session came of it: the start screen stays as it was.
        if (NetworkForm->Result != TNetworkForm::TResult::Ok || !Net || !Net->IsOpen()) return;
        G.ClientMode = !Net->IsHost();
        G.Start.NewGameRequested = true;
        GameStarted = true;
        G.TheUi.SetCaption("Moorclash");
        G.LevelRunning = false;
        HandOver();
        // The host plays at once; a client waits for the set-up, the map, the
        // vehicle list and the scores.
        if (!G.ClientMode) ShowGameWindow();
    }
    if (ClientReady(G) && GameWindow && !GameWindow->Visible) ShowGameWindow();
}
