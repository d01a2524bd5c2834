// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The program entry: the screen settings, the runtime's start-up, then the game.
#include <cstdio>
#include <string>

#include "app/driver.h"
#include "app/folder_setup.h"
#include "app/level_packs.h"
#include "app/options.h"
#include "app/save_files.h"
#include "app/settings.h"
#include "app/startup.h"
#include "game/globals.h"
#include "game/routines.h"
#include "runtime/folders.h"
#include "runtime/lifecycle.h"
#include "runtime/player_folder_lock.h"

namespace {

// The player's own files (formats in game/files.cpp), made from the defaults when missing.
const SaveFileDefault kSaveFiles[] = {
    {"Maps/Player.bin", 8},
    {"Maps/Name.bin", 6400},
    {"Maps/Data.bin", 3200},
};

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    const int status = parseProgramOptions(argc, argv, options);
    if (status >= 0) return status;  // --help, --version or a mistake on the command line
    // Checking a level pack is all that is asked: no folders, no window.
    if (!options.checkLevels.empty()) return checkLevelsCommand(options.checkLevels);

    // The command line is kept as text for the runtime, the arguments joined by blanks.
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    setCommandLine(line.c_str());

    runtimeSettings = RuntimeSettings();
    runtimeSettings.screenWidth = 320;
    runtimeSettings.screenHeight = 240;
    runtimeSettings.fullScreen = 1;
    runtimeSettings.frameRate = 60;
    runtimeSettings.multisample = 0;
    runtimeSettings.captureMouse = 0;
    runtimeSettings.debugMode = 0;

    registerGameRoutines();
    configureDriver(options.driverScript);  // reads its script before start-up changes the folder
    chooseFolders(options.dataDir, options.saveDir);
    // One running program per player folder: a second one ends here, having touched nothing.
    if (!claimPlayerFolder()) return 1;
    prepareSaveFiles(kSaveFiles, 3);
    // The player's keys, controller, volume and screen (settings.ini in the player folder); the
    // command line's screen options win over the file's.
    const PlayerSettings settings = loadPlayerSettings();
    runtimeSettings.fullScreen = settings.fullscreen ? 1 : 0;
    runtimeSettings.windowScale = settings.scale;
    if (options.fullScreen >= 0) runtimeSettings.fullScreen = options.fullScreen;
    if (options.windowScale > 0) runtimeSettings.windowScale = options.windowScale;
    // A level pack (the command line's wins over settings.ini's, which is relative to the player
    // folder) is checked whole before the window opens; a refused one ends the program here.
    const std::string& packChoice = options.levels.empty() ? settings.levels : options.levels;
    if (!packChoice.empty()) {
        ReadyPack pack;
        const int packStatus =
            readyLevelPack(packChoice, options.levels.empty() ? playerFolder() : "", pack);
        if (packStatus != 0) {
            if (options.levels.empty())
                std::fprintf(stderr, "crumlet: the pack is named by [game] levels in %s%s\n",
                             playerFolder().c_str(), kSettingsFileName);
            return packStatus;
        }
        game.mapsFolder = pack.mapsFolder;
        game.lastLevel = pack.levelCount;
    }
    startRuntime("Crumlet");  // ends the process when there is no window to play in

    runtimeState.errorCode = 0;
    runtimeState.errorLine = 0;
    runtimeState.currentLine = 0;
    startDriver();
    GameMain();
    stopProgram();
}
