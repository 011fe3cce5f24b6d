#include "world/game_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "world/text_file.h"

namespace fs = std::filesystem;

namespace {

TGameFolders Started;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

std::string AsFolder(const fs::path& p) {
    std::string s = p.lexically_normal().string();
    if (!s.empty() && s.back() != '/') s += '/';
    return s;
}

// A base folder from an XDG variable: only an absolute path counts.
fs::path XdgBase(const std::string& value, const std::string& home, const char* fallback) {
    if (!value.empty() && value.front() == '/') return value;
    if (home.empty()) return {};
    return fs::path(home) / fallback;
}

// A file can be made in folder: tried for real, since a folder's mode bits
// say nothing when the program runs as root or on a read-only mount.
bool CanWriteIn(const std::string& folder) {
    const fs::path probe = fs::path(folder) / (".moorclash-write-test." + std::to_string(getpid()));
    {
        std::ofstream out(probe, std::ios::binary);
        if (!out) return false;
    }
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
}

} // namespace

TFolderEnvironment ReadFolderEnvironment() {
    return {Variable("HOME"), Variable("XDG_CONFIG_HOME"), Variable("XDG_DATA_HOME")};
}

TGameFolders FindGameFolders(const std::string& programFolder, const std::string& relativeData,
                             const std::string& installedData, const TFolderEnvironment& env) {
    const fs::path program = programFolder.empty() ? fs::path(".") : fs::path(programFolder);
    TGameFolders f;
    f.Data = AsFolder(program);
    bool beside = IsFile(program / "TextureList.txt");
    if (!beside) {
        std::vector<fs::path> candidates;
        if (!relativeData.empty()) candidates.push_back(program / relativeData);
        if (!installedData.empty()) candidates.push_back(installedData);
        for (const fs::path& c : candidates)
            if (IsFile(c / "TextureList.txt")) {
                f.Data = AsFolder(c);
                break;
            }
    }
    const fs::path config = XdgBase(env.ConfigHome, env.Home, ".config");
    const fs::path data = XdgBase(env.DataHome, env.Home, ".local/share");
    const bool portableCopy = beside || IsFile(program / "settings.dat");
    // Nowhere else to go without a home: beside the program, as of old.
    if ((portableCopy && CanWriteIn(AsFolder(program))) || config.empty() || data.empty()) {
        f.Portable = true;
        f.Settings = f.Maps = AsFolder(program);
        return f;
    }
    f.Settings = AsFolder(config / "moorclash");
    f.Maps = AsFolder(data / "moorclash");
    return f;
}

const TGameFolders& StartFolders() {
    return Started;
}

void SetStartFolders(const TGameFolders& folders) {
    Started = folders;
}

std::string ReadableFile(const std::string& userFolder, const std::string& dataFolder,
                         const std::string& file) {
    if (!userFolder.empty()) {
        const std::string mine = FolderFile(userFolder, file);
        if (IsFile(mine)) return mine;
    }
    return FolderFile(dataFolder, file);
}

std::string PrepareWritableFolder(const std::string& folder) {
    if (folder.empty()) return {};
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return "Cannot make the folder \"" + folder + "\": " + ec.message() + ".";
    if (!CanWriteIn(folder)) return "Cannot write in the folder \"" + folder + "\".";
    return {};
}
