#include "app/options.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace {

std::string LowerCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

template <class T> bool ParseNumber(const std::string& text, T& out) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && p == end;
}

} // namespace

std::string UsageText() {
    return "usage: moorclash [-developer] [options]\n"
           "  --map NAME          level to play (a shipped or saved .map file, or "
           "\"Credits...\")\n"
           "  --bots N            number of bots, 0 to 62\n"
           "  --style dm|tw|ctc   Deathmatch, Team War or Capture The Cow\n"
           "  --fraglimit N       frag limit (cow limit in Capture The Cow), 1 to 1000\n"
           "  --seed N            seed of the random generator\n"
           "  --two-players       two players on one keyboard, split screen\n"
           "  --no-vsync          do not wait for the screen's refresh between frames\n"
           "  --headless          no window, no sound: run the match on the console\n"
           "  --seconds N         with --headless or --screenshot: run N seconds of game time\n"
           "                      as fast as possible (in a network game: N real seconds)\n"
           "  --screenshot FILE   draw the match off screen (after --seconds) and save it as PNG\n"
           "  --host NAME         host a network game of this name (its style's prefix\n"
           "                      goes in front) with the local player(s); with --headless\n"
           "                      a dedicated server: bots only, no player of its own\n"
           "  --join ADDRESS[:PORT]  join the network game hosted at ADDRESS\n"
           "  --port P            with --host: the port to host on (0, the default, is 24730)\n"
           "  --per-address N     with --host: connections taken from one address, 1 to 64\n"
           "                      (8 unless given; many clients on one machine want more)\n"
           "  --name NAME         player 1's name\n"
           "  --autopilot         with --headless --join: the bots' brain drives the player,\n"
           "                      through the same controls as keys\n"
           "  --record FILE       record the match (a host's or a client's too) into FILE\n"
           "  --replay FILE       watch a recording; with --headless print its console\n"
           "                      as fast as possible and end with a summary line\n"
           "  --platform-demo     show the drawing and sound demo\n"
           "  --version           the version of the game\n"
           "  --help              this text\n";
}

TParseResult ParseOptions(const std::vector<std::string>& args, const std::string& programName) {
    TParseResult r;
    TOptions& o = r.Options;
    auto fail = [&](const std::string& msg) {
        r.Error = msg;
        return r;
    };
    size_t i = 0;
    // The system starts a screen-saver program with "/s" to run it, "/c" to
    // configure it and "/p" to preview it; only "/s" runs the bots' show,
    // anything else gets the ordinary start screen.
    if (LowerCase(programName).ends_with(".scr") && !args.empty() && args[0].size() >= 2 &&
        args[0][0] == '/') {
        o.ScreenSaver = LowerCase(args[0]) == "/s";
        return r;
    }
    if (!args.empty() && args[0] == "-developer") {
        o.Developer = true;
        i = 1;
    }
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.Help = true;
        } else if (a == "--version") {
            o.Version = true;
        } else if (LowerCase(a) == "/s") {
            return fail("/s: only a screen-saver program (*.scr) takes it");
        } else if (a == "--headless") {
            o.Headless = true;
        } else if (a == "--two-players") {
            o.TwoPlayers = true;
        } else if (a == "--no-vsync") {
            o.NoVsync = true;
        } else if (a == "--platform-demo") {
            o.PlatformDemo = true;
        } else if (a == "--map") {
            if (!value(v) || v.empty()) return fail("--map needs a level name");
            o.Map = v;
        } else if (a == "--screenshot") {
            if (!value(v) || v.empty()) return fail("--screenshot needs a file name");
            o.Screenshot = v;
        } else if (a == "--bots") {
            int n = 0;
            if (!value(v) || !ParseNumber(v, n) || n < 0 || n > 62)
                return fail("--bots needs a number from 0 to 62");
            o.Bots = n;
        } else if (a == "--fraglimit") {
            int n = 0;
            if (!value(v) || !ParseNumber(v, n) || n < 1 || n > 1000)
                return fail("--fraglimit needs a number from 1 to 1000");
            o.FragLimit = n;
        } else if (a == "--seed") {
            uint32_t n = 0;
            if (!value(v) || !ParseNumber(v, n))
                return fail("--seed needs a whole number from 0 to 4294967295");
            o.Seed = n;
        } else if (a == "--style") {
            if (!value(v) || (v != "dm" && v != "tw" && v != "ctc"))
                return fail("--style needs dm, tw or ctc");
            o.Style = v;
        } else if (a == "--seconds") {
            double s = 0;
            if (!value(v) || !ParseNumber(v, s) || !std::isfinite(s) || s <= 0 || s > 1e6)
                return fail("--seconds needs a number of seconds above 0");
            o.Seconds = s;
        } else if (a == "--host") {
            if (!value(v) || v.empty()) return fail("--host needs a game name");
            o.Host = v;
        } else if (a == "--join") {
            if (!value(v) || v.empty()) return fail("--join needs an address");
            o.Join = v;
        } else if (a == "--port") {
            unsigned n = 0;
            if (!value(v) || !ParseNumber(v, n) || n > 65535)
                return fail("--port needs a number from 0 to 65535");
            o.Port = static_cast<uint16_t>(n);
        } else if (a == "--per-address") {
            int n = 0;
            if (!value(v) || !ParseNumber(v, n) || n < 1 || n > 64)
                return fail("--per-address needs a number from 1 to 64");
            o.PerAddress = n;
        } else if (a == "--name") {
            if (!value(v) || v.empty() || v.size() > 64) return fail("--name needs a name");
            o.Name = v;
        } else if (a == "--autopilot") {
            o.Autopilot = true;
        } else if (a == "--record") {
            if (!value(v) || v.empty()) return fail("--record needs a file name");
            o.Record = v;
        } else if (a == "--replay") {
            if (!value(v) || v.empty()) return fail("--replay needs a recording's file name");
            o.Replay = v;
        } else if (a == "-developer") {
            return fail("-developer must be the first argument");
        } else {
            return fail("unknown option: " + a);
        }
    }
    if (o.Host && o.Join) return fail("--host and --join go one at a time");
    if (o.Autopilot && !(o.Headless && o.Join))
        return fail("--autopilot goes with --headless --join");
    if (o.Screenshot && o.Networked()) return fail("--screenshot is for a local match");
    if (o.Replay && (o.Record || o.Networked() || o.Screenshot || o.Map || o.Bots || o.Style ||
                     o.FragLimit || o.Seconds || o.TwoPlayers))
        return fail("--replay plays a recording as it was: no match options go with it");
    if (o.Seconds && !o.Headless && !o.PlatformDemo && !o.Screenshot)
        return fail("--seconds goes with --headless, --screenshot or --platform-demo");
    return r;
}
