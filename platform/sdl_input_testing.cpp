// Test aids for the input devices over SDL (see platform/input_testing.h).
#include "platform/input_testing.h"

#include <SDL.h>

namespace {
SDL_Window* testWindow = nullptr;
bool testVideo = false;
int virtualIndex = -1;
SDL_Joystick* virtualHandle = nullptr;
bool testJoystickSubsystem = false;
}  // namespace

bool platformTestOpenWindow(int width, int height) {
    if (testWindow) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    testVideo = true;
    testWindow = SDL_CreateWindow("input test", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                  SDL_WINDOW_SHOWN | SDL_WINDOW_INPUT_FOCUS);
    if (!testWindow) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        testVideo = false;
        return false;
    }
    platformTestFocusWindow();
    return true;
}

void platformTestCloseWindow() {
    if (testWindow) {
        SDL_DestroyWindow(testWindow);
        testWindow = nullptr;
    }
    if (testVideo) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
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
    if (!testWindow) return;
    SDL_RaiseWindow(testWindow);
    SDL_SetWindowInputFocus(testWindow);
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
