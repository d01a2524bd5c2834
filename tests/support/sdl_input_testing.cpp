// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Test aids for the input devices over SDL (see tests/support/input_testing.h).
#include "platform/platform.h"
#include "tests/support/input_testing.h"

#include <SDL.h>

#include <cstdio>

namespace {
bool testVideo = false;
int virtualIndex = -1;
SDL_Joystick* virtualHandle = nullptr;
bool testJoystickSubsystem = false;

// The program's one window (its GL context is current on it).
SDL_Window* programWindow() { return platformWindowExists() ? SDL_GL_GetCurrentWindow() : nullptr; }

// Takes what is waiting from the X server into SDL's state (keyboard, focus, typed characters
// through the input service's event watch) and drops the queued events.
void pumpOnce() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}
}  // namespace

bool platformTestOpenWindow(int width, int height) {
    // The program's own window, so positions use its placement of the
    // logical screen.
    if (platformWindowExists()) return true;
    // Real events come from an X server; no quiet fall-back to a driver that would never see them.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (!platformStartVideo()) {
        std::fprintf(stderr, "no X11 video: %s\n", platformLastError());
        return false;
    }
    testVideo = true;
    if (!platformOpenWindow(width, height, 0, nullptr)) {
        platformStopVideo();
        testVideo = false;
        return false;
    }
    platformSetWindowTitle("input test");
    platformShowWindow();
    return platformTestFocusWindow();
}

void platformTestCloseWindow() {
    platformCloseWindow();
    if (testVideo) {
        platformStopVideo();
        testVideo = false;
    }
}

void platformTestPump(int milliseconds) {
    const Uint32 end = SDL_GetTicks() + static_cast<Uint32>(milliseconds);
    do {
        pumpOnce();
        SDL_Delay(5);
    } while (!SDL_TICKS_PASSED(SDL_GetTicks(), end));
}

bool platformTestFocusWindow() {
    SDL_Window* window = programWindow();
    if (!window) return false;
    // Without a window manager nobody hands the new window the keyboard: X gives keys to the
    // window under the pointer, or to no window at all once the focused one is gone. So the
    // focus is set outright, again and again until SDL has seen it arrive.
    const Uint32 end = SDL_GetTicks() + 20000;
    do {
        SDL_RaiseWindow(window);
        SDL_SetWindowInputFocus(window);
        for (int i = 0; i < 20; ++i) {
            pumpOnce();
            if (SDL_GetKeyboardFocus() == window) return true;
            SDL_Delay(10);
        }
    } while (!SDL_TICKS_PASSED(SDL_GetTicks(), end));
    return false;
}

bool platformTestAttachJoystick(int axes, int buttons, int hats) {
    platformTestDetachJoystick();
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    testJoystickSubsystem = true;
    virtualIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, axes, buttons, hats);
    if (virtualIndex < 0) return false;
    virtualHandle = SDL_JoystickOpen(virtualIndex);
    return virtualHandle != nullptr;
}

bool platformTestAttachPad() {
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // A virtual device of the controller type with every standard button and axis is mapped by
    // SDL in its own button and axis order.
    return platformTestAttachJoystick(SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
}

bool platformTestSetJoystickAxis(int axis, int value) {
    return virtualHandle &&
           SDL_JoystickSetVirtualAxis(virtualHandle, axis, static_cast<Sint16>(value)) == 0;
}

bool platformTestSetJoystickButton(int button, bool pressed) {
    return virtualHandle && SDL_JoystickSetVirtualButton(virtualHandle, button,
                                                         pressed ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool platformTestSetJoystickHat(int hat, int value) {
    return virtualHandle &&
           SDL_JoystickSetVirtualHat(virtualHandle, hat, static_cast<Uint8>(value)) == 0;
}

void platformTestDetachJoystick() {
    if (virtualHandle) {
        SDL_JoystickClose(virtualHandle);
        virtualHandle = nullptr;
    }
    if (virtualIndex >= 0) {
        // The virtual device's index may have moved; detach every virtual one.
        for (int i = SDL_NumJoysticks() - 1; i >= 0; --i) {
            if (SDL_JoystickIsVirtual(i)) SDL_JoystickDetachVirtual(i);
        }
        virtualIndex = -1;
    }
    if (testJoystickSubsystem) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        testJoystickSubsystem = false;
    }
}
