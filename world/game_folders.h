// Where the game's files are. The data folder holds what ships with the
// game (pictures, sounds, maps, texture list, credits, default settings)
// and is only read. What the game writes goes to the player's own folders:
// settings and keys under $XDG_CONFIG_HOME/moorclash, maps under
// $XDG_DATA_HOME/moorclash. A copy of the game kept together in one
// writable folder (a build's bin/, an unpacked copy) keeps everything
// beside the program, as it always has.
#pragma once

#include <string>

// The variables the user folders come from, read once at start.
struct TFolderEnvironment {
    std::string Home;
    std::string ConfigHome; // XDG_CONFIG_HOME
    std::string DataHome;   // XDG_DATA_HOME
};
TFolderEnvironment ReadFolderEnvironment();

struct TGameFolders {
    // The shipped files; ends in a separator.
    std::string Data;
    // settings.dat and keysettings.dat are written here.
    std::string Settings;
    // Maps written by the game (downloaded from a host) go here, and are
    // listed beside the shipped ones.
    std::string Maps;
    // Everything stays beside the program.
    bool Portable = false;
};

// programFolder: the program's own folder. relativeData: the data folder
// seen from the program's folder in an installed tree ("../share/moorclash").
// installedData: the same folder under the prefix the build was made for.
// The data folder is the first of these that holds TextureList.txt (else
// the program's folder, so faults name it). The program's folder is kept
// for writing when the data sits beside it, or it already holds
// settings.dat, and a file can be made there.
TGameFolders FindGameFolders(const std::string& programFolder, const std::string& relativeData,
                             const std::string& installedData, const TFolderEnvironment& env);

// The folders main() found, kept for the whole run. Before SetStartFolders
// (as in most tests) every folder is empty, and the game's own folder
// (TMapState::ProgramFolder) serves for reading and writing alike.
const TGameFolders& StartFolders();
void SetStartFolders(const TGameFolders& folders);
// Where settings.dat and keysettings.dat are written and first looked for.
inline const std::string& UserSettingsFolder() {
    return StartFolders().Settings;
}
// Where maps are written and first looked for; listed beside the shipped ones.
inline const std::string& UserMapsFolder() {
    return StartFolders().Maps;
}

// The file to read: userFolder/file when it is there, else dataFolder/file.
std::string ReadableFile(const std::string& userFolder, const std::string& dataFolder,
                         const std::string& file);

// Makes folder (and its parents) when missing and checks that a new file
// can be made in it. Empty when fine, else a sentence saying why not.
std::string PrepareWritableFolder(const std::string& folder);
