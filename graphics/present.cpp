// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Clearing, presenting and pacing frames, alpha modes, the cross-fade and the window procedure.
#include "graphics/present.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "graphics/fonts.h"
#include "graphics/gl_entry.h"
#include "graphics/gl_state.h"
#include "graphics/numbers.h"
#include "graphics/renderer.h"
#include "graphics/screenshots.h"
#include "graphics/sprites.h"
#include "platform/platform.h"
#include "runtime/lifecycle.h"

namespace {

void (*presentHook)() = nullptr;
bool hookHasRun = false;  // inside presentFrame, after the hook
bool pacing = true;
bool focusPausing = true;
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
    drawText(TextValue("PAUSE"), std::floor((r.logicalWidth() - 5 * cellWidth) / 2),
             std::floor((r.logicalHeight() - cellHeight) / 2));
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
        // Sleeping while the deadline is far keeps the processor idle: whole milliseconds while
        // more than 2 ms remain (a late wake-up still lands before the deadline), then tenths of a
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
bool presentHookHasRun() { return hookHasRun; }
void setPacingEnabled(bool enabled) { pacing = enabled; }
void setFocusPausing(bool on) { focusPausing = on; }
void setPacingSleeps(bool sleeps) { pacingSleeps = sleeps; }
void setFrameInputHooks(const FrameInputHooks& hooks) { inputHooks = hooks; }

// ---------------------------------------------------------------------------------------------
// Showing the logical screen

void OpenGLPrismo::pumpWindowMessages() { platformPumpEvents(); }

OpenGLPrismo::WindowCopy OpenGLPrismo::windowCopyInUse() const {
    return preferredWindowCopy == WindowCopy::Pixels && gl.glBlitFramebufferEXT &&
                   !windowCopyRefused
               ? WindowCopy::Pixels
               : WindowCopy::Quad;
}

bool OpenGLPrismo::borderNeedsClearing(int dw, int dh) {
    // The black border around the picture only needs painting after the window's size changed
    // (for each of the swap chain's buffers); the picture itself covers the same area every frame.
    if (dw != lastDrawableWidth || dh != lastDrawableHeight) {
        lastDrawableWidth = dw;
        lastDrawableHeight = dh;
        borderClearsLeft = 3;
    }
    if (borderClearsLeft <= 0) return false;
    --borderClearsLeft;
    return true;
}

bool OpenGLPrismo::copyToWindow(bool onlyIfChanged) {
    flushDrawing();
    if (!screenFramebuffer) return true;
    int dw = 0, dh = 0;
    platformDrawableSize(&dw, &dh);
    if (dw <= 0 || dh <= 0) {
        dw = screenWidth;
        dh = screenHeight;
    }
    const PlatformPlacement p = platformPlacementFor(dw, dh, screenWidth, screenHeight);
    const bool clearBorder = borderNeedsClearing(dw, dh);
    if (windowCopyInUse() == WindowCopy::Pixels) {
        switch (copyToWindowAsPixels(p, dh, clearBorder, onlyIfChanged && !clearBorder)) {
            case PixelCopy::Copied:
                return true;
            case PixelCopy::Unchanged:
                return false;
            case PixelCopy::Failed:
                break;
        }
    }
    windowShowsCopy = false;
    copyToWindowAsQuad(p, dw, dh, clearBorder);
    return true;
}

void OpenGLPrismo::copyToWindowAsQuad(const PlatformPlacement& p, int dw, int dh,
                                      bool clearBorder) {
    // The picture as a textured quad over the window, nearest filtering. What it changes beyond
    // the state the renderer's cache tracks is put back by hand below rather than through the
    // attribute stack, which WebGL's fixed-function emulation lacks.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, dw, dh, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glViewport(0, 0, dw, dh);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    if (clearBorder) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    if (gl.glActiveTextureARB) {
        gl.glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_2D);
        gl.glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, screenTexture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float u = static_cast<float>(screenWidth) / screenTextureWidth;
    const float v = static_cast<float>(screenHeight) / screenTextureHeight;
    const float l = static_cast<float>(p.left), t = static_cast<float>(p.top);
    const float r = l + p.width, b = t + p.height;
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, v);
    glVertex2f(l, t);
    glTexCoord2f(0, 0);
    glVertex2f(l, b);
    glTexCoord2f(u, 0);
    glVertex2f(r, b);
    glTexCoord2f(u, v);
    glVertex2f(r, t);
    glEnd();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    // The drawing state resetViewport set up: its viewport, back faces culled, no depth test.
    glViewport(viewportX, screenHeight - viewportHeight - viewportY, viewportWidth, viewportHeight);
    glEnable(GL_CULL_FACE);
    stateChangedBehindCache();
}

void OpenGLPrismo::showLogicalScreen() {
    // Headless (SDL's offscreen driver, for scripted sessions and tests) nobody sees the window:
    // the enlarged copy would be the dearest part of the frame on a software rasteriser. The
    // frame's drawing is still handed over to the rasteriser, which would otherwise keep
    // collecting frame after frame.
    if (platformWindowIsSeen() || !screenFramebuffer) {
        if (copyToWindow(true)) platformSwapBuffers();
    } else {
        glFinish();
        platformSwapBuffers();
    }
    if (screenFramebuffer) gl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screenFramebuffer);
}

double OpenGLPrismo::swapAndPace() {
    finishOffscreenTarget();
    if (screenshotRequested) {
        screenshotRequested = false;
        saveNumberedScreenshot();
    }
    showLogicalScreen();
    // Nothing tests depth, so only the colour needs clearing.
    glClear(GL_COLOR_BUFFER_BIT);
    if (!pacing) {
        pumpWindowMessages();
        nextFrameTime = timeStampMs();
        return 1;
    }
    PacingClock clock{realNow, realSleep, realService, nullptr};
    return waitForFrameDeadline(nextFrameTime, frameInterval, clock, pacingSleeps);
}

void OpenGLPrismo::clearScreen() {
    flushDrawing();
    glClear(GL_COLOR_BUFFER_BIT);
}

void OpenGLPrismo::beginNextFrame() {
    setAlphaMode(0);
    if (backgrounds[0].columns > 0) drawBackground(0);
    resetViewport(0, 0, 0, 0);
}

// ---------------------------------------------------------------------------------------------
// Game operations

void clearFrame() {
    OpenGLPrismo* r = theRenderer;
    if (!r) return;
    r->deleteBackground(0);
    r->clearScreen();
}

void setAlphaMode(double value) {
    if (theRenderer) theRenderer->setAlphaMode(value);
}

void setFrameRateCap(double framesPerSecond) {
    if (!theRenderer) return;
    const int n = truncToInt(framesPerSecond);
    theRenderer->setFrameIntervalMs(n <= 0 ? 2.0 : 1000.0 / n);
}

double frameInterval() { return theRenderer ? theRenderer->frameIntervalMs() : 0; }

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
    hookHasRun = true;
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
    r->beginNextFrame();
    hookHasRun = false;
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
    const bool pausing = focusPausing && !runtimeSettings.debugMode && runtimeState.autoPause;
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
                theRenderer->setScreenMode(0, 0, 0, theRenderer->isFullscreen() ? 0 : 1);
            else if (event.key == PlatformKey::F12)
                theRenderer->requestScreenshot();  // saved from the finished frame at the next swap
            break;
        case PlatformEventKind::Exposed:
            if (theRenderer) theRenderer->windowContentsLost();
            break;
        case PlatformEventKind::Resized:
            break;
    }
}
