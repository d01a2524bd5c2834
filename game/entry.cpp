// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The program entry: the screen settings, the runtime's start-up, then the game.
#include <cstdio>
#include <string>
#include <vector>

#include "app/driver.h"
#include "app/folder_setup.h"
#include "app/level_packs.h"
#include "app/options.h"
#include "app/save_files.h"
#include "app/session.h"
#include "app/settings.h"
#include "app/startup.h"
#include "game/constants.h"
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

// Who plays: the person (recorded when asked), or a recording replayed.
SessionOptions sessionOptions(const ProgramOptions& options) {
    SessionOptions session;
    session.tracePath = options.traceFile;
    const struct {
        const std::string& file;
        SessionMode mode;
    } asked[] = {{options.recordFile, SessionMode::Record},
                 {options.playFile, SessionMode::Play},
                 {options.timedemoFile, SessionMode::Timedemo},
                 {options.verifyFile, SessionMode::Verify}};
    for (const auto& a : asked) {
        if (a.file.empty()) continue;
        session.mode = a.mode;
        session.file = a.file;
    }
    return session;
}

// What the game cannot start without: the media archive and the three layer files of every level
// the menu can choose.
std::vector<std::string> requiredDataFiles() {
    std::vector<std::string> files = {"Media.kql"};
    for (int level = 1; level <= levels::kShippedLevelCount; ++level)
        for (int layer = 1; layer <= 3; ++layer)
            files.push_back("Maps/Map" + std::to_string(level) + "-" + std::to_string(layer) +
                            ".bin");
    return files;
}

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
    configureSession(sessionOptions(options));  // the same for a recording to replay
    // A player who started the game from the desktop sees why it could not start.
    showStartFailuresInBoxes("Crumlet cannot start");
    chooseFolders(options.dataDir, options.saveDir);
    // A data folder without its media or levels ends the program now, not when a level starts.
    const std::string missing = missingDataFiles(requiredDataFiles());
    if (!missing.empty()) {
        reportStartFailure(missing);
        return 1;
    }
    // One running program per player folder: a second one ends here, having touched nothing. A
    // replay leaves the player folder alone and plays on a private copy.
    if (sessionReplays()) {
        useReplayPlayerFolder();
    } else if (!claimPlayerFolder()) {
        showStartFailureBox("Crumlet is already running: the player folder " + playerFolder() +
                            " is in use by another running program, so this one ends.");
        return 1;
    }
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
            if (options.levels.empty()) {
                const std::string where =
                    "the pack is named by [game] levels in " + playerFolder() + kSettingsFileName;
                std::fprintf(stderr, "crumlet: %s\n", where.c_str());
                pack.failure += "\n" + where;
            }
            showStartFailureBox(pack.failure);
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
    startSession();
    GameMain();
    stopProgram();
}
