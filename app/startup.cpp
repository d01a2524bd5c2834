// startRuntime: brings every service up in the order the rest of the runtime relies on.
#include "app/startup.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "graphics/fonts.h"
#include "graphics/present.h"
#include "graphics/renderer.h"
#include "platform/platform.h"
#include "runtime/lifecycle.h"
#include "runtime/maths.h"

// The services of other modules, connected where they exist in this build.
#if __has_include("devices/input.h") && __has_include("devices/sound.h")
#include "devices/input.h"
#include "devices/sound.h"
#define TOVRIK_HAVE_DEVICES 1
#endif
#if __has_include("runtime/archive.h")
#include "runtime/archive.h"
#define TOVRIK_HAVE_ARCHIVE 1
#endif

namespace {

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

// ---- Input and sound --------------------------------------------------------------------------
// Every call into the input and sound services sits in these three functions.

void createDeviceServices() {  // step 5: the sound device and its slots
#ifdef TOVRIK_HAVE_DEVICES
  openSound();
#endif
}

void startDeviceServices() {  // step 8: input on the main window, sound handed the window
#ifdef TOVRIK_HAVE_DEVICES
  openInput(runtimeSettings.captureMouse != 0);
  setSoundWindow();
  FrameInputHooks hooks;
  hooks.pollKeyboard = pollKeyboard;
  hooks.markMouseStale = markMouseStale;
  hooks.isKeyDown = isKeyDown;
  hooks.takePauseRequest = takePauseRequest;
  setFrameInputHooks(hooks);
#endif
}

void hidePointerForLoading() {  // step 15
#ifdef TOVRIK_HAVE_DEVICES
  hideSystemPointer();
#endif
}

// A debugger break hides the window and forgets transient input.
void onDebugBreak() {
  if (theRenderer) theRenderer->hideWindow();
#ifdef TOVRIK_HAVE_DEVICES
  resetInputState();
#endif
}

void applyFinalMouseMode() {  // step 18
#ifdef TOVRIK_HAVE_DEVICES
  applyMouseMode(runtimeSettings.captureMouse != 0);
#endif
}

// ---- Media archives ---------------------------------------------------------------------------

void nameMediaArchives(const std::string& folder) {  // step 11
#ifdef TOVRIK_HAVE_ARCHIVE
  setMediaArchives(folder.c_str(), folder.c_str());
#else
  (void)folder;
#endif
}

// Step 10: the folder of the program file becomes the current directory.
std::string programFolder() {
  std::string path = platformProgramPath();
  if (path.size() > 1024) path.resize(1024);
  for (size_t i = path.size(); i-- > 1;) {
    if (path[i] == '/' || path[i] == '\\') return path.substr(0, i);
  }
  return path;
}

}  // namespace

bool startRuntime(const char* applicationName, int showCommand) {
  const char* name = applicationName ? applicationName : "";
  runtimeState.autoPause = 1;  // 1

  // 2: renderer, window and context.
  theRenderer = new OpenGLPrismo;
  if (!theRenderer->openWindow(runtimeSettings.screenWidth, runtimeSettings.screenHeight, 0,
                               runtimeSettings.frameRate, runtimeSettings.multisample)) {
    // Without a window the game would run blind forever, drawing nowhere and reading no keys:
    // say why and end with a failure status instead.
    std::fprintf(stderr, "Tovrik: no window with an OpenGL context (%s)\n", platformLastError());
    delete theRenderer;
    theRenderer = nullptr;
    std::fflush(stdout);
    std::exit(1);
  }
  setServiceRelease(ServiceStage::Renderer, releaseRenderer);
  setServiceRelease(ServiceStage::Window, releaseWindow);
  setDebugBreakHook(onDebugBreak);

  // 3: the window's title is the application's name.
  runtimeState.mainWindow = &windowMarker;
  platformSetWindowTitle(name);
  runtimeState.applicationName = name;

  deleteErrorLog();                                    // 4
  createDeviceServices();                              // 5
  seedRandom(static_cast<int32_t>(static_cast<int64_t>(timeStampMs())));  // 6
  if (runtimeSettings.fullScreen)                      // 7
    theRenderer->enterFullscreen();
  else
    theRenderer->enterWindowed();
  startDeviceServices();                               // 8
  selectFont(0);                                       // 9

  const std::string folder = programFolder();          // 10
  if (!folder.empty() && chdir(folder.c_str()) != 0) {
    // The directory stays as it was.
  }
  nameMediaArchives(folder);                           // 11

  clearFrame();                                        // 12
  resetRuntimeClock();
  theRenderer->swapAndPace();
  theRenderer->resetViewport(0, 0, 0, 0);

  loadFontImage("", 0);                                // 13
  loadFontImage("smalfont.bmp", 0);

  double cellWidth = 0, cellHeight = 0;                // 14
  queryFontSize(cellWidth, cellHeight);
  const char* loading = "Loading...";
  drawText(loading, (runtimeSettings.screenWidth - 10 * cellWidth) / 2,
           (runtimeSettings.screenHeight - cellHeight) / 2);
  presentFrame();

  runtimeState.paused = 0;                             // 15
  hidePointerForLoading();
  resetRuntimeClock();                                 // 16
  if (showCommand == 0) theRenderer->hideWindow();     // 17
  applyFinalMouseMode();                               // 18
  std::fputs("Init OK\n", stdout);                     // 19
  std::fflush(stdout);
  return true;
}
