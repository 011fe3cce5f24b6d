// Moorclash: the program entry.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/run.h"
#include "platform/demo.h"

namespace {

std::string ProgramFolder() {
    char* base = SDL_GetBasePath();
    if (!base) return "./";
    std::string folder(base);
    SDL_free(base);
    return folder;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const std::string programName = argc > 0 ? argv[0] : "moorclash";
    const TParseResult parsed = ParseOptions(args, programName);
    if (!parsed.Error.empty()) {
        std::fprintf(stderr, "moorclash: %s (try --help)\n", parsed.Error.c_str());
        return 2;
    }
    const TOptions& o = parsed.Options;
    if (o.Help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    if (o.PlatformDemo)
        return RunPlatformDemo(o.Screenshot.value_or(""),
                               o.Seconds ? static_cast<int>(*o.Seconds) : 5);
    const std::string folder = ProgramFolder();
    const std::string problem = CheckOptionsAgainstFolder(o, folder);
    if (!problem.empty()) {
        std::fprintf(stderr, "moorclash: %s\n", problem.c_str());
        return 2;
    }
    // A match is pictured off screen; the start screen in its own window.
    if (o.Screenshot && o.QuickStart()) return RunScreenshot(o, folder);
    if (o.Headless) return RunHeadless(o, folder);
    return RunWindowed(o, folder);
}
