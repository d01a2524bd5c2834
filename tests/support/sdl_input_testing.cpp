// Test aids for the input devices over SDL (see tests/support/input_testing.h).
#include "tests/support/input_testing.h"
#include "platform/platform.h"

#include <SDL.h>

namespace {
bool testVideo = false;
int virtualIndex = -1;
SDL_Joystick* virtualHandle = nullptr;
bool testJoystickSubsystem = false;
}  // namespace

bool platformTestOpenWindow(int width, int height) {
    // The program's own window, so positions use its placement of the
    // logical screen.
    if (platformWindowExists()) return true;
    if (!platformStartVideo()) return false;
    testVideo = true;
    if (!platformOpenWindow(width, height, 0, nullptr)) {
        platformStopVideo();
        testVideo = false;
        return false;
    }
    platformSetWindowTitle("input test");
    platformShowWindow();
    platformTestFocusWindow();
    return true;
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
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_Delay(5);
    } while (!SDL_TICKS_PASSED(SDL_GetTicks(), end));
}

void platformTestFocusWindow() {
    if (!platformWindowExists()) return;
    platformRaiseWindow();
    platformTestPump(200);
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

bool platformTestSetJoystickAxis(int axis, int value) {
    return virtualHandle && SDL_JoystickSetVirtualAxis(virtualHandle, axis, static_cast<Sint16>(value)) == 0;
}

bool platformTestSetJoystickButton(int button, bool pressed) {
    return virtualHandle &&
           SDL_JoystickSetVirtualButton(virtualHandle, button, pressed ? SDL_PRESSED : SDL_RELEASED) == 0;
}

bool platformTestSetJoystickHat(int hat, int value) {
    return virtualHandle && SDL_JoystickSetVirtualHat(virtualHandle, hat, static_cast<Uint8>(value)) == 0;
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
