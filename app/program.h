// One run of the program: the game, its pictures and its four windows,
// put together the same way for the window and for --headless.
#pragma once

#include <memory>
#include <string>

#include "app/options.h"
#include "core/game.h"
#include "frontend/game_window.h"
#include "frontend/key_config_form.h"
#include "frontend/network_form.h"
#include "frontend/start_form.h"
#include "match/match.h"
#include "net/net_out.h"

// The ground and explosion pictures, read from the program folder.
class TProgramPictures : public IMatchPictures {
  public:
    explicit TProgramPictures(BitmapReader& reader) : Reader(reader) {}
    bool LoadBitmap(const std::string& path, TImagePixels& out) override;
    void AddImage(const TImagePixels& image, const std::string& name) override;
    void Clear() override { Ground.Clear(); }
    std::string LoadExplosions(const std::string& path) override;

    TImageList Ground;
    TImageList Explosions;

  private:
    BitmapReader& Reader;
};

struct TProgram {
    TProgram(Clock& clock, SoundOut& sound, Ui& ui, NetOut& net, IGameDisplay& display,
             BitmapReader& reader, uint32_t seed, const std::string& programFolder);

    std::unique_ptr<Game> G;
    TProgramPictures Pictures;
    TApplication App;
    TStartForm Start;
    TForm1 Form;
    TKeyConfigForm Keys;
    TNetworkForm Network;

    // Network play: the session and the messages' sender over it (none: a
    // run without network, as in most tests).
    void UseNetwork(Session& session, SessionNetOut& net) {
        TheSession = &session;
        Net = &net;
    }
    Session* TheSession = nullptr;
    SessionNetOut* Net = nullptr;
    // Why a session asked for on the command line failed or ended, for a
    // run without the start screen to end on.
    std::string NetworkFailure;
    // Started from the command line, with no start screen to go back to.
    bool QuickStarted = false;
    // The matches' recording (app/recorder.h); a client's begins when it
    // has joined.
    TRecordingWriter Recorder;
    std::string RecordFile;
    bool RecordOnJoin = false;
    bool RecordFreshLevel = false; // a client's file a level has just begun
};

// Fills the start screen's choices from the quick-start options.
void ApplyQuickStart(Game& g, const TOptions& o);

// Creates the windows in their order (loading the match data). Empty when
// the game can be played, else why not.
std::string CreateWindows(TProgram& p, const TOptions& o);

// Creates the windows in their order (loading the match data), takes the
// quick-start options and shows the game window, which starts the match.
// Empty on success, else why the match could not start.
std::string StartProgram(TProgram& p, const TOptions& o);
