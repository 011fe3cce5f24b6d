// The command line: quick-start options that fill the start screen's
// choices, headless runs, and the historic switches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TOptions {
    bool Developer = false;   // first argument exactly "-developer"
    bool ScreenSaver = false; // "/s" given to a program named *.scr
    bool Headless = false;
    std::optional<double> Seconds; // headless: game seconds to run, then exit
    std::optional<std::string> Map;
    std::optional<int> Bots;
    std::optional<std::string> Style; // "dm", "tw" or "ctc"
    std::optional<int> FragLimit;
    std::optional<uint32_t> Seed;
    bool TwoPlayers = false;
    bool NoVsync = false; // "Screen sync" off: frames paced by the game alone
    bool PlatformDemo = false;
    std::optional<std::string> Screenshot;
    bool Help = false;
    bool Version = false;
    // Network play without the dialog: host a session of this name, or
    // join the host at this address; port 0 is the game's usual one.
    std::optional<std::string> Host;
    std::optional<std::string> Join;
    uint16_t Port = 0;
    std::optional<int> PerAddress;   // a host's connections from one address
    std::optional<std::string> Name; // player 1's name
    bool Autopilot = false;          // a headless client's player driven by the bots' brain
    // Records the match (every level) into this file.
    std::optional<std::string> Record;
    // Plays this recording back instead of a match.
    std::optional<std::string> Replay;

    bool Networked() const { return Host || Join; }
    // Any option that sets up a match skips the start screen.
    bool QuickStart() const {
        return Map || Bots || Style || FragLimit || TwoPlayers || Headless || Networked() || Record;
    }
};

struct TParseResult {
    TOptions Options;
    std::string Error; // empty when the line made sense
};

TParseResult ParseOptions(const std::vector<std::string>& args, const std::string& programName);
std::string UsageText();
