// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// startRuntime: brings every service up in the order the rest of the runtime relies on.
#include "app/startup.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/driver.h"
#include "devices/input.h"
#include "devices/sound.h"
#include "graphics/fonts.h"
#include "graphics/present.h"
#include "graphics/renderer.h"
#include "platform/platform.h"
#include "runtime/archive.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

namespace {

std::string failureBoxTitle;  // empty: no boxes

int windowMarker = 0;  // what runtimeState.mainWindow points at while the window exists

void releaseRenderer() {
    setDebugBreakHook(nullptr);
    delete theRenderer;
    theRenderer = nullptr;
    runtimeState.mainWindow = nullptr;
}

void releaseWindow() {
    platformAllowScreenSaver(true);
    platformStopVideo();
}

// A debugger break hides the window and forgets transient input.
void onDebugBreak() {
    if (theRenderer) theRenderer->hideWindow();
    resetInputState();
}

// The folder of the program file, which becomes the current directory.
std::string programFolder() {
    std::string path = platformProgramPath();
    if (path.size() > 1024) path.resize(1024);
    for (size_t i = path.size(); i-- > 1;) {
        if (path[i] == '/' || path[i] == '\\') return path.substr(0, i);
    }
    return path;
}

}  // namespace

void showStartFailuresInBoxes(const char* title) { failureBoxTitle = title; }

void showStartFailureBox(const std::string& text) {
    if (!failureBoxTitle.empty() && !isatty(STDERR_FILENO) && !driverConfigured())
        platformShowErrorBox(failureBoxTitle.c_str(), text.c_str());
}

void reportStartFailure(const std::string& line) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
    showStartFailureBox(line);
}

void startRuntime(const char* applicationName, int showCommand) {
    const char* name = applicationName ? applicationName : "";
    runtimeState.autoPause = 1;

    // The renderer with its window and OpenGL context comes first: everything below draws or
    // reads input through them.
    theRenderer = new OpenGLPrismo;
    if (!theRenderer->openWindow(runtimeSettings.screenWidth, runtimeSettings.screenHeight, 0,
                                 runtimeSettings.frameRate, runtimeSettings.multisample)) {
        // Without a window the game would run blind forever, drawing nowhere and reading no keys:
        // say why and end with a failure status instead.
        if (platformNoDisplay())
            reportStartFailure(
                "Tovrik: there is no display to open a window on (check DISPLAY or "
                "WAYLAND_DISPLAY)");
        else
            reportStartFailure(std::string("Tovrik: no window with an OpenGL context (") +
                               platformLastError() + ")");
        delete theRenderer;
        theRenderer = nullptr;
        std::fflush(stdout);
        std::exit(1);
    }
    setServiceRelease(ServiceStage::Renderer, releaseRenderer);
    setServiceRelease(ServiceStage::Window, releaseWindow);
    setDebugBreakHook(onDebugBreak);

    // The window's title is the application's name.
    runtimeState.mainWindow = &windowMarker;
    platformSetWindowTitle(name);
    runtimeState.applicationName = name;

    deleteErrorLog();
    openSound();
    seedRandomFromClock();
    if (runtimeSettings.fullScreen)
        theRenderer->enterFullscreen();
    else
        theRenderer->enterWindowed();

    // Input on the main window, the sound device handed the window, and the frame present wired
    // to the keyboard and mouse.
    openInput(runtimeSettings.captureMouse != 0);
    setSoundWindow();
    FrameInputHooks hooks;
    hooks.pollKeyboard = pollKeyboard;
    hooks.markMouseStale = markMouseStale;
    hooks.isKeyDown = isKeyDown;
    hooks.takePauseRequest = takePauseRequest;
    setFrameInputHooks(hooks);
    selectFont(0);

    // The program's folder becomes the current directory and names both media archives.
    const std::string folder = programFolder();
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        // The directory stays as it was.
    }
    setMediaArchives(folder.c_str(), folder.c_str());

    clearFrame();
    resetRuntimeClock();
    theRenderer->swapAndPace();
    theRenderer->resetViewport(0, 0, 0, 0);

    // The default font (the built-in one unless smalfont.bmp is there) and the loading screen.
    loadFontImage("", 0);
    loadFontImage("smalfont.bmp", 0);
    double cellWidth = 0, cellHeight = 0;
    queryFontSize(cellWidth, cellHeight);
    const char* loading = "Loading...";
    drawText(loading, (runtimeSettings.screenWidth - 10 * cellWidth) / 2,
             (runtimeSettings.screenHeight - cellHeight) / 2);
    presentFrame();

    runtimeState.paused = 0;
    hideSystemPointer();
    resetRuntimeClock();  // game time starts at 0 when start-up returns
    if (showCommand == 0) theRenderer->hideWindow();
    applyMouseMode(runtimeSettings.captureMouse != 0);
    std::fputs("Init OK\n", stdout);
    std::fflush(stdout);
}
