// One run of the program without a screen or a sound device, put together
// as headless.cpp and windowed.cpp do it, for the app tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program.h"
#include "fakes/fakes.h"
#include "platform/bitmap_file.h"

struct ProgramRun {
    ManualClock TheClock;
    SilentSound Sound;
    RecordingUi TheUi;
    NullNetOut Net;
    NoDisplay Display;
    SdlBitmapReader Reader;
    TProgram Program;
    std::string Error; // why the last Start failed, empty when it did not

    explicit ProgramRun(uint32_t seed)
        : Program(TheClock, Sound, TheUi, Net, Display, Reader, seed, MOOR_BIN_DIR) {}
    // Runs with these command-line arguments.
    ProgramRun(const std::vector<std::string>& args, uint32_t seed) : ProgramRun(seed) {
        Start(args);
    }

    const std::string& Start(const TOptions& o) { return Error = StartProgram(Program, o); }
    const std::string& Start(const std::vector<std::string>& args) { return Start(Parse(args)); }

    static TOptions Parse(const std::vector<std::string>& args) {
        const TParseResult r = ParseOptions(args, "moorclash");
        EXPECT_EQ(r.Error, "");
        return r.Options;
    }

    Game& g() { return *Program.G; }
    // One tick of the game window, ms after the last.
    void Tick(int32_t ms) {
        TheClock.Advance(ms);
        Program.Form.TimerTimer();
    }
};
