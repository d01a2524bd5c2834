// The program entry: the screen settings, the runtime's start-up, then the game.
#include <string>

#include "game/routines.h"
#include "app/driver.h"
#include "app/settings.h"
#include "runtime/lifecycle.h"
#include "app/startup.h"

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

    // The player's keys, controller, volume and screen (settings.ini in the player folder).
    const PlayerSettings settings = loadPlayerSettings();
    runtimeSettings.fullScreen = settings.fullscreen ? 1 : 0;

    registerGameRoutines();
    configureDriver(argc, argv);  // reads its script before start-up changes the folder
    if (!startRuntime("Crumlet")) {
        // No window or OpenGL context (the reason is on standard error): a game that cannot be
        // seen or played must not run on as if it had started.
        return 1;
    }

    runtimeState.errorCode = 0;
    runtimeState.errorLine = 0;
    runtimeState.currentLine = 0;
    startDriver();
    GameMain();
    stopProgram();
}
