// Clearing, presenting and pacing frames, alpha modes, the cross-fade and the window procedure.
#include "graphics/present.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/fonts.h"
#include "graphics/gl_entry.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"
#include "graphics/sprites.h"
#include "platform/platform.h"
#include "runtime/lifecycle.h"

namespace {

void (*presentHook)() = nullptr;
bool pacing = true;
bool pacingSleeps = true;
FrameInputHooks inputHooks;

double realNow(void*) { return timeStampMs(); }
void realSleep(void*, double ms) { sleepMicroseconds(static_cast<int>(ms * 1000)); }
bool realService(void*) {
  if (!platformEventsWaiting()) return false;
  platformPumpEvents();
  return true;
}

bool keyHeld(int code) { return inputHooks.isKeyDown && inputHooks.isKeyDown(code) != 0; }

bool pauseKeyPressed() { return inputHooks.takePauseRequest && inputHooks.takePauseRequest(); }

// "PAUSE" in the current font in the middle of the logical screen, over the frame the game has
// just drawn, shown at once.
void showPauseNotice(OpenGLPrismo& r) {
  double cellWidth = 0, cellHeight = 0;
  queryFontSize(cellWidth, cellHeight);
  drawText(TextValue("PAUSE"), std::floor((r.screenWidth - 5 * cellWidth) / 2),
           std::floor((r.screenHeight - cellHeight) / 2));
  r.showLogicalScreen();
}

}  // namespace

double waitForFrameDeadline(double& nextFrameTime, double interval, const PacingClock& clock,
                            bool sleepWhileFar) {
  const double start = clock.now(clock.context);
  double now = start;
  for (;;) {
    if (clock.service(clock.context)) continue;
    now = clock.now(clock.context);
    if (now > nextFrameTime) break;
    // Sleeping while the deadline is far keeps the processor idle: whole milliseconds while more
    // than 2 ms remain (a late wake-up still lands before the deadline), then tenths of a
    // millisecond, and only the last quarter millisecond is polled so the frame starts on its
    // grid point.
    if (sleepWhileFar) {
      const double remaining = nextFrameTime - now;
      if (remaining > 2.0)
        clock.sleep(clock.context, 1.0);
      else if (remaining > 0.25)
        clock.sleep(clock.context, 0.1);
    }
  }
  nextFrameTime += interval;
  if (interval > 0)
    while (nextFrameTime < now) nextFrameTime += interval;
  return now - start + 1;
}

void setPresentHook(void (*hook)()) { presentHook = hook; }
void setPacingEnabled(bool enabled) { pacing = enabled; }
void setPacingSleeps(bool sleeps) { pacingSleeps = sleeps; }
void setFrameInputHooks(const FrameInputHooks& hooks) { inputHooks = hooks; }

// ---------------------------------------------------------------------------------------------

void OpenGLPrismo::pumpWindowMessages() { platformPumpEvents(); }

double OpenGLPrismo::swapAndPace() {
  finishOffscreenTarget();
  if (screenshotRequested) {
    screenshotRequested = false;
    saveNumberedScreenshot();
  }
  showLogicalScreen();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!pacing) {
    pumpWindowMessages();
    nextFrameTime = timeStampMs();
    return 1;
  }
  PacingClock clock{realNow, realSleep, realService, nullptr};
  return waitForFrameDeadline(nextFrameTime, frameInterval, clock, pacingSleeps);
}

void clearFrame() {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  r->deleteBackground(0);
  glClear(GL_COLOR_BUFFER_BIT);
}

void setAlphaMode(double value) {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  if (value == 0) {
    glDisable(GL_BLEND);
    r->currentAlpha = 1.0f;
  } else {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, value > 0 ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    r->currentAlpha = static_cast<float>(std::min(1.0, std::fabs(value)));
  }
  glColor4f(1, 1, 1, r->currentAlpha);
}

void setFrameRateCap(double framesPerSecond) {
  if (!theRenderer) return;
  const int n = truncToInt(framesPerSecond);
  theRenderer->frameInterval = n <= 0 ? 2.0 : 1000.0 / n;
}

double frameInterval() { return theRenderer ? theRenderer->frameInterval : 0; }

void presentFrame() {
  OpenGLPrismo* r = theRenderer;
  if (!r) return;
  if (runtimeSettings.debugMode) {
    platformShowWindow();
    platformRaiseWindow();
  }
  runtimeState.previousFrameTime = runtimeState.frameTime;
  runtimeState.frameTime = timeStampMs();
  // Inactive window with pausing on, or the player's pause key: stay here, responsive, until the
  // window is active again and the pause key has been pressed a second time.
  bool pauseKey = pauseKeyPressed();
  if (pauseKey) showPauseNotice(*r);
  while (runtimeState.paused || pauseKey) {
    r->pumpWindowMessages();
    if (pauseKey && pauseKeyPressed()) pauseKey = false;
    if (!runtimeState.paused && !pauseKey) break;
    if (pauseKey) r->showLogicalScreen();  // keeps the notice up through exposes and resizes
    sleepMs(100);
  }
  if (inputHooks.pollKeyboard) inputHooks.pollKeyboard();
  if (inputHooks.markMouseStale) inputHooks.markMouseStale();
  if (presentHook) presentHook();
  if (runtimeState.escapeEnds && (keyHeld(1) || keyHeld(129))) {
    setErrorCode(0);
    stopProgram();
  }
  if (keyHeld(56) && keyHeld(62)) {  // Alt+F4 ends the program whatever escapeEnds says
    setErrorCode(0);
    stopProgram();
  }
  r->pumpWindowMessages();
  r->swapAndPace();
  // The next frame starts opaque, on its background picture.
  glDisable(GL_BLEND);
  r->currentAlpha = 1.0f;
  glColor4f(1, 1, 1, 1);
  if (r->backgrounds[0].columns > 0) r->drawBackground(0);
  r->resetViewport(0, 0, 0, 0);
}

double crossfadeToBackground(const TextValue& fileName) {
  OpenGLPrismo* r = theRenderer;
  std::string path;
  if (!r || !resolveImageFile(textCString(fileName), path)) return 0;
  r->captureScreenInto(2);
  r->loadBackgroundPicture(1, path.c_str());
  clearFrame();
  const double end = timeStampMs() + 1500;
  double f = 0.9;
  do {
    setAlphaMode(f);
    r->drawBackground(2);
    setAlphaMode(1 - f);
    r->drawBackground(1);
    presentFrame();
    f = (end - timeStampMs()) / 1500;
  } while (f > 0 && f < 1);
  r->deleteBackground(1);
  r->deleteBackground(2);
  r->loadBackgroundPicture(0, path.c_str());
  setAlphaMode(0);
  r->drawBackground(0);
  presentFrame();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Window procedure

void windowProc(const PlatformEvent& event) {
  const bool pausing = !runtimeSettings.debugMode && runtimeState.autoPause;
  switch (event.kind) {
    case PlatformEventKind::FocusLost:
      if (pausing) {
        std::string title = textCString(runtimeState.applicationName);
        title += " <pause>";
        platformSetWindowTitle(title.c_str());
        runtimeState.paused = 1;
      }
      break;
    case PlatformEventKind::FocusGained:
      if (pausing) {
        platformSetWindowTitle(textCString(runtimeState.applicationName));
        runtimeState.paused = 0;
      }
      break;
    case PlatformEventKind::CloseRequest:
      stopProgram();
    case PlatformEventKind::KeyDown:
      if (event.repeat || !theRenderer) break;
      if (event.key == PlatformKey::Return && event.alt)
        theRenderer->setScreenMode(0, 0, 0, theRenderer->fullscreen ? 0 : 1);
      else if (event.key == PlatformKey::F12)
        theRenderer->screenshotRequested = true;  // saved from the finished frame at the next swap
      break;
    case PlatformEventKind::Resized:
      break;
  }
}
