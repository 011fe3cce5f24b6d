// A recording played back without a window: its console as it was, as fast
// as the machine allows, then one summary line.
#include <cstdio>

#include "app/replay.h"
#include "app/run.h"
#include "core/silent_sound.h"
#include "platform/bitmap_file.h"

namespace {

// Every console line and message box goes to standard output.
class PrintUi : public Ui {
  public:
    void MessageBox(const std::string& t) override { std::printf("[message] %s\n", t.c_str()); }
    void DebugLine(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void ConsoleLine(const std::string& t) override { std::printf("%s\n", t.c_str()); }
};

} // namespace

int RunHeadlessReplay(const TOptions& o, const std::string& programFolder) {
    const std::string& file = *o.Replay;
    TRecordingContents contents = ReadRecordingFile(file);
    if (contents.Refused) {
        std::fprintf(stderr, "moorclash: %s: %s\n", file.c_str(), contents.Problem.c_str());
        return 1;
    }
    TReplayClock clock;
    SilentSound sound;
    PrintUi printer;
    TReplayUi ui(printer);
    TReplaySession session;
    SessionNetOut net(session);
    NoDisplay display;
    SdlBitmapReader reader;
    TProgram program(clock, sound, ui, net, display, reader, 1, programFolder);
    net.Attach(*program.G);
    const std::string unplayable = CreateWindows(program, o);
    if (!unplayable.empty()) {
        std::fprintf(stderr, "moorclash: %s\n", unplayable.c_str());
        return 1;
    }
    TReplay replay(program, clock, session, net);
    replay.Headless = true;
    replay.Voice = &ui;
    const bool playable = replay.Load(std::move(contents));
    if (playable) replay.PlayTo(replay.Duration() + TReplay::StepMs);
    // Whatever was wrong with the file is said where the playing stopped.
    if (replay.Damaged()) std::printf("%s: %s\n", file.c_str(), replay.Problem().c_str());
    if (playable) std::printf("%s\n", replay.Summary().c_str());
    if (program.Form.Visible) program.Form.Hide();
    std::fflush(stdout);
    return playable ? 0 : 1;
}
