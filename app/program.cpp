#include "app/program.h"

#include <filesystem>

#include "app/network_run.h"
#include "app/run.h"
#include "frontend/key_settings.h"
#include "frontend/settings_file.h"
#include "render/explosions.h"
#include "world/game_folders.h"
#include "world/maps.h"

bool TProgramPictures::LoadBitmap(const std::string& path, TImagePixels& out) {
    return Reader.ReadBitmap(path, out).empty();
}

void TProgramPictures::AddImage(const TImagePixels& image, const std::string& name) {
    Ground.Add(image, name, NoTransparency);
}

std::string TProgramPictures::LoadExplosions(const std::string& path) {
    TImage sheet;
    const std::string error = Reader.ReadBitmap(path, sheet);
    if (!error.empty()) return error;
    if (!BuildExplosionPictures(sheet, Explosions))
        return path + " is too small to hold 13 explosion frames.";
    return {};
}

TProgram::TProgram(Clock& clock, SoundOut& sound, Ui& ui, NetOut& net, IGameDisplay& display,
                   BitmapReader& reader, uint32_t seed, const std::string& programFolder)
    : G(MakeGame(sound, ui, net, seed)), Pictures(reader), Start(App, *G),
      Form(App, *G, Start, display, Pictures, clock), Keys(*G) {
    G->ProgramFolder = programFolder;
}

void ApplyQuickStart(Game& g, const TOptions& o) {
    TStartChoices& s = g.Start;
    if (o.Map) s.SelectedLevel = *o.Map;
    if (o.Bots) s.BotCount = *o.Bots;
    if (o.Style) {
        s.TeamWarBox = *o.Style == "tw";
        s.CaptureTheCowBox = *o.Style == "ctc";
    }
    if (o.FragLimit) s.FragLimitSpin = *o.FragLimit;
    g.TwoPlayers = o.TwoPlayers;
    g.ScreenSaverMode = o.ScreenSaver;
    s.NewGameRequested = true;
}

std::string CreateWindows(TProgram& p, const TOptions& o) {
    p.Start.FormCreate();
    p.Start.SetGameWindow(&p.Form);
    const bool playable = p.Form.FormCreate();
    p.Keys.FormCreate();
    LoadKeyMapAtStart(*p.G);
    p.Form.DeveloperSwitch = o.Developer;
    p.Network.FormCreate(p.TheSession, &p.G->TheUi);
    p.Start.Net = p.TheSession;
    p.Start.NetworkForm = p.TheSession ? &p.Network : nullptr;
    p.G->StartedAsDeveloper = o.Developer;
    // A player's folder that cannot take the settings is said once, here,
    // rather than lost silently at the end.
    if (!o.ScreenSaver) {
        const std::string unwritable = PrepareWritableFolder(UserSettingsFolder());
        if (!unwritable.empty())
            p.G->TheUi.MessageBox(unwritable + " The settings and keys will not be kept.");
    }
    if (!playable) return "The game cannot be played without its texture list (TextureList.txt).";
    return {};
}

std::string StartProgram(TProgram& p, const TOptions& o) {
    p.QuickStarted = true;
    const std::string unplayable = CreateWindows(p, o);
    if (!unplayable.empty()) return unplayable;
    // The start screen's choices come from the settings file; the command
    // line wins over them. Nothing here writes the file.
    Game& g = *p.G;
    TSettings settings;
    const std::string settingsError = LoadSettings(g, settings);
    if (!settingsError.empty()) g.TheUi.MessageBox(settingsError);
    ApplySettingsToStart(settings, g);
    ApplyQuickStart(g, o);
    // A style chosen on the command line shows its own limit from the file.
    if (o.Style && !o.FragLimit)
        g.Start.FragLimitSpin = SettingsLimit(settings, g.Start.CaptureTheCowBox);
    if (o.NoVsync) p.Start.ScreenSync = false;
    if (o.Networked()) {
        const std::string error = p.TheSession ? OpenSessionFromOptions(p, *p.TheSession, o)
                                               : std::string("Network play is not in this run");
        if (!error.empty()) {
            g.TheUi.MessageBox(error);
            return error;
        }
        // A client's game window comes up once the host has sent what it needs.
        if (o.Join) return {};
    }
    p.Form.Show();
    return p.Form.StartError;
}

std::string CheckOptionsAgainstFolder(const TOptions& o, const std::string& programFolder) {
    if (o.Map && *o.Map != CreditsLevelName) {
        const std::string file = ReadableFile(StartFolders().Maps, programFolder, *o.Map + ".map");
        if (!std::filesystem::is_regular_file(file))
            return "no level \"" + *o.Map + "\": " + file + " not found";
    }
    return {};
}
