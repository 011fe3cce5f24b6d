#include "world/level_list.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "core/game.h"
#include "world/game_folders.h"
#include "world/maps.h"

namespace fs = std::filesystem;

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Sorted by name as a file list shows them: case does not matter, and
// names equal but for case keep a fixed order.
bool ByName(const std::string& a, const std::string& b) {
    const auto lowerLess = [](char x, char y) { return Lower(x) < Lower(y); };
    if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), lowerLess))
        return false;
    return a < b;
}

void AddMapNamesIn(const Game& g, const std::string& given, std::vector<std::string>& names) {
    std::error_code ec;
    const std::string folder = given.empty() ? "." : given;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string file = it->path().filename().string();
        if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".map") != 0) continue;
        const std::string name = file.substr(0, file.size() - 4);
        if (IsPlainLevelName(name)) names.push_back(name);
    }
    if (ec) g.TheUi.MessageBox("Cannot list the maps in \"" + folder + "\": " + ec.message() + ".");
}

// The shipped maps and the player's own, each name once.
std::vector<std::string> MapNamesIn(const Game& g) {
    std::vector<std::string> names;
    AddMapNamesIn(g, g.ProgramFolder, names);
    std::error_code ec;
    // The player's folder is made on the first save: missing is no fault.
    if (!UserMapsFolder().empty() && fs::is_directory(UserMapsFolder(), ec))
        AddMapNamesIn(g, UserMapsFolder(), names);
    std::sort(names.begin(), names.end(), ByName);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace

void BuildLevelList(const Game& g, TLevelLists& lists) {
    lists.AllLevels.clear();
    lists.BaseLevels.clear();
    for (std::string& name : MapNamesIn(g)) {
        if (MapHasBases(g, name))
            lists.BaseLevels.push_back(std::move(name));
        else
            lists.AllLevels.push_back(std::move(name));
    }
    lists.BaseLevels.push_back(CreditsLevelName);
    lists.AllLevels.insert(lists.AllLevels.end(), lists.BaseLevels.begin(), lists.BaseLevels.end());
}

std::string ReplacementMapName(const std::vector<std::string>& levels, const std::string& name) {
    const auto listed = [&](const std::string& candidate) {
        return std::find(levels.begin(), levels.end(), candidate) != levels.end();
    };
    std::string candidate = name + "(replaced by server map)";
    for (size_t n = 2; listed(candidate); ++n)
        candidate = name + "(replaced by server map " + std::to_string(n) + ")";
    return candidate;
}
