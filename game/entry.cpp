// The program entry: the screen settings, the runtime's start-up, then the game.
#include <string>

#include "app/driver.h"
#include "app/folder_setup.h"
#include "app/save_files.h"
#include "app/settings.h"
#include "app/startup.h"
#include "game/routines.h"
#include "runtime/lifecycle.h"

namespace {

// The player's own files (formats in game/files.cpp), made from the defaults when missing.
const SaveFileDefault kSaveFiles[] = {
    {"Maps/Player.bin", 8},
    {"Maps/Name.bin", 6400},
    {"Maps/Data.bin", 3200},
};

}  // namespace

int main(int argc, char** argv) {
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
    configureDriver(argc, argv);  // reads its script before start-up changes the folder
    chooseFolders("", "");
    prepareSaveFiles(kSaveFiles, 3);
    // The player's keys, controller, volume and screen (settings.ini in the player folder).
    const PlayerSettings settings = loadPlayerSettings();
    runtimeSettings.fullScreen = settings.fullscreen ? 1 : 0;
    startRuntime("Crumlet");  // ends the process when there is no window to play in

    runtimeState.errorCode = 0;
    runtimeState.errorLine = 0;
    runtimeState.currentLine = 0;
    startDriver();
    GameMain();
    stopProgram();
}
