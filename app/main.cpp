// Moorclash: the program entry.
#include <SDL.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/run.h"
#include "app/version.h"
#include "platform/demo.h"
#include "platform/program_folder.h"
#include "world/game_folders.h"

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
    if (o.Version) {
        std::printf("moorclash %s\n", GameVersion());
        return 0;
    }
    if (o.PlatformDemo)
        return RunPlatformDemo(o.Screenshot.value_or(""),
                               o.Seconds ? static_cast<int>(*o.Seconds) : 5);
    // The shipped files beside the program or in the installed tree; what
    // the game writes in the player's own folders. Read once, here.
    const std::string program = ProgramFolder();
    const TGameFolders folders =
        FindGameFolders(program.empty() ? "./" : program, MOOR_RELATIVE_DATA_DIR,
                        MOOR_INSTALLED_DATA_DIR, ReadFolderEnvironment());
    SetStartFolders(folders);
    const std::string& folder = folders.Data;
    const std::string problem = CheckOptionsAgainstFolder(o, folder);
    if (!problem.empty()) {
        std::fprintf(stderr, "moorclash: %s\n", problem.c_str());
        return 2;
    }
    // A match is pictured off screen; the start screen in its own window.
    if (o.Screenshot && o.QuickStart()) return RunScreenshot(o, folder);
    if (o.Headless && o.Replay) return RunHeadlessReplay(o, folder);
    if (o.Headless) return RunHeadless(o, folder);
    if (o.Replay) return RunWindowedReplay(o, folder);
    return RunWindowed(o, folder);
}
