// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The input service: keyboard by scan code, typed characters, the mouse with
// its once-per-frame sampling, and up to ten joysticks.
#include "devices/input.h"

#include "devices/devices_internal.h"
#include "devices/player_keys.h"
#include "platform/platform_input.h"
#include "runtime/convert.h"
#include "runtime/folders.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct InputDevices {
    bool open = false;
    int mouseX = 100, mouseY = 100;  // logical pixels
    bool keyboardDevice = false;
    bool mouseDevice = false;  // the captured (exclusive) mouse was asked for
    bool pointerVisible = false;
    bool mouseExclusive = false;  // current mode of the mouse device
    bool mouseStale = true;
    int lastDx = 0, lastDy = 0, lastWheel = 0;
    unsigned char keys[256] = {};
    bool injected = false;
    unsigned char injectedKeys[256] = {};
    bool deviceInjected = false;
    unsigned char deviceKeys[256] = {};
    int lastTyped = 0;
    bool perFrame = false;      // key queries answer from the frame's snapshot
    int injectedTyped = -1;     // the frame's typed character, fixed from outside; -1: the layout's
    bool pads = false;          // the game-controller layer is open
    bool pauseAllowed = false;  // a level runs: the pause keys pause, Start is not Return
    bool startSuppressed = false;  // Start still held from the level: not Return until released
};

InputDevices input;

// The player's choices; they outlive reopening the service.
struct InputPreferences {
    KeyBindings keys = defaultKeyBindings();
    bool controllers = true;
};
InputPreferences preferences;

bool held(int code) { return (input.keys[code & 0xFF] & 0x80) != 0; }

int screenWidth() {
    int w = 0, h = 0;
    logicalScreenSize(w, h);
    return w > 0 ? w : 320;
}
int screenHeight() {
    int w = 0, h = 0;
    logicalScreenSize(w, h);
    return h > 0 ? h : 240;
}

int sign(int v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

}  // namespace

// ---- Service life ------------------------------------------------------------------

void openInput(bool exclusiveMouse) {
    if (input.open) closeInput();
    input = InputDevices();
    if (!platformKeyboardOpen()) {
        logDeviceWarning("No DX_Input");
    } else {
        input.keyboardDevice = true;
        // Keys reach the program only through its window.
        if (!platformInputHasWindow()) logDeviceWarning("No DX_KB");
    }
    input.open = true;

    // The runtime's mouse position starts at the pointer.
    PlatformMouseSample sample;
    if (platformMouseRead(sample, false)) {
        input.mouseX = sample.x;
        input.mouseY = sample.y;
    }

    input.pointerVisible = false;
    if (exclusiveMouse) {
        if (platformMouseOpen(true)) {
            input.mouseDevice = true;
            input.mouseExclusive = true;
        } else {
            logDeviceWarning("No DX_Mouse");
        }
    } else {
        platformMouseOpen(false);
        platformMouseWarpLogical(input.mouseX, input.mouseY);
        platformMouseShowPointer(true);
        input.pointerVisible = true;
    }

    platformJoysticksOpen(kPlatformMaxJoysticks);
    if (preferences.controllers) {
        const std::string mappings = playerFolder() + "gamecontrollerdb.txt";
        input.pads = platformPadsOpen(mappings.c_str());
    }
    registerInputRelease();
}

void applyMouseMode(bool captureMouse) {
    if (!input.open) return;
    if (input.mouseDevice) {
        platformMouseSetRelative(captureMouse);
        input.mouseExclusive = captureMouse;
    }
    if (!captureMouse) {
        if (!input.pointerVisible) platformMouseWarpLogical(input.mouseX, input.mouseY);
        platformMouseShowPointer(true);
    } else {
        platformMouseShowPointer(false);
    }
    input.pointerVisible = !captureMouse;
}

void hideSystemPointer() { platformMouseShowPointer(false); }

void closeInput() {
    if (!input.open) return;
    if (input.mouseDevice) platformMouseSetRelative(false);
    platformMouseWarpLogical(input.mouseX, input.mouseY);
    platformMouseShowPointer(true);
    platformMouseClose();
    platformJoysticksClose();
    platformPadsClose();
    platformKeyboardClose();
    const bool injected = input.injected;
    const bool perFrame = input.perFrame;
    const int injectedTyped = input.injectedTyped;
    unsigned char injectedKeys[256];
    std::memcpy(injectedKeys, input.injectedKeys, sizeof injectedKeys);
    input = InputDevices();
    // A scripted, recorded or replayed run keeps its keyboard until it clears it.
    input.injected = injected;
    input.perFrame = perFrame;
    input.injectedTyped = injectedTyped;
    std::memcpy(input.injectedKeys, injectedKeys, sizeof injectedKeys);
}

void resetInputState() {
    input.lastTyped = 0;
    input.mouseStale = true;
    input.lastDx = input.lastDy = input.lastWheel = 0;
}

// ---- Keyboard ------------------------------------------------------------------------

void setPlayerKeys(const KeyBindings& keys) { preferences.keys = keys; }
void setControllersEnabled(bool enabled) { preferences.controllers = enabled; }

namespace {

// The key state as the keys, the player's keys and the controller make it right now.
void readDeviceKeys(unsigned char out[256]) {
    unsigned char device[256] = {};
    if (input.deviceInjected) {
        platformPumpInputEvents();
        std::memcpy(device, input.deviceKeys, sizeof device);
    } else if (input.keyboardDevice) {
        platformReadKeyboard(device);
    }
    PadActions pad;
    if (input.pads) {
        PlatformPadSample sample;
        platformPadRead(sample);
        pad = padActions(sample.held, sample.leftX, sample.leftY);
    }
    if (!pad.start) input.startSuppressed = false;
    const bool startSelects = !input.pauseAllowed && !input.startSuppressed;
    foldPlayerKeys(preferences.keys, device, pad, startSelects, out);
}

// A key query's look at the keyboard: a fresh sample, unless the frame's snapshot holds.
void refreshKeys() {
    if (!input.perFrame) pollKeyboard();
}

}  // namespace

void setKeysPerFrame(bool on) { input.perFrame = on; }

void injectTypedCharacter(int code) { input.injectedTyped = code < 0 ? -1 : (code & 0xFF); }

bool playerBackHeld() {
    unsigned char keys[256];
    readDeviceKeys(keys);
    return (keys[1] & 0x80) != 0;
}

void pollKeyboard() {
    if (input.injected) {
        platformPumpInputEvents();
        std::memcpy(input.keys, input.injectedKeys, sizeof input.keys);
        return;
    }
    readDeviceKeys(input.keys);
}

void injectDeviceKeys(const unsigned char keys[256]) {
    input.deviceInjected = keys != nullptr;
    if (keys) std::memcpy(input.deviceKeys, keys, sizeof input.deviceKeys);
}

void allowPauseKey(double flag) {
    const bool allowed = flag != 0;
    if (allowed && !input.pauseAllowed) {
        // The Start or P that led into the level is not a pause.
        unsigned char pressed[256];
        platformTakeKeyPresses(pressed);
        if (input.pads) platformPadTakePresses();
    }
    if (input.pauseAllowed && !allowed && input.pads) {
        // A Start that paused or ended the level must not go on to select in the menu.
        PlatformPadSample sample;
        platformPadRead(sample);
        input.startSuppressed = (sample.held & kPadStart) != 0;
    }
    input.pauseAllowed = allowed;
}

bool takePauseRequest() {
    // Presses are always taken, so that none made in a menu carries over into the next level.
    unsigned char pressed[256];
    platformTakeKeyPresses(pressed);
    const unsigned padPresses = input.pads ? platformPadTakePresses() : 0;
    // A scripted run is played by its script alone.
    if (!input.pauseAllowed || input.injected) return false;
    bool wanted = (padPresses & kPadStart) != 0;
    for (int code : preferences.keys[GameAction::Pause]) {
        wanted = wanted || (pressed[code & 0xFF] & 0x80) != 0;
    }
    return wanted;
}

void markMouseStale() { input.mouseStale = true; }

void injectKeyboardSnapshot(const unsigned char keys[256]) {
    std::memcpy(input.injectedKeys, keys, sizeof input.injectedKeys);
    input.injected = true;
}

void clearInjectedKeyboard() {
    input.injected = false;
    std::memset(input.injectedKeys, 0, sizeof input.injectedKeys);
}

const unsigned char* keyboardState() { return input.keys; }

double isKeyDown(double code) {
    refreshKeys();
    return held(truncateToInt32(code) & 0xFF) ? 1 : 0;  // the low 8 bits of the truncated code
}

int charCodeForKey(int code) {
    switch (code) {
        case 14:
            return 8;  // Backspace
        case 28:
        case 156:
            return 10;  // both Enter keys
        case 42:
        case 58:
        case 221:
        case 29:
        case 54:
        case 56:
        case 69:
            return 0;  // modifiers and locks type nothing
        default:
            break;
    }
    if (code < 0 || code > 255) return 0;
    // The layout's character as the keyboard state makes it: what the held
    // key typed with the modifiers of the moment, or else its plain
    // character with Caps Lock turning letters into capitals.
    int c = platformTypedCharacter(code);
    if (c == 0) {
        c = platformKeyCharacter(code);
        if (c >= 'a' && c <= 'z' && platformCapsLock()) c -= 32;
    }
    if (c == 8 || c == 10 || c >= 32) return c;
    return 0;
}

int heldKeysCharacter() {
    int c = 0;
    for (int code = 0; code <= 254; ++code) {
        if (!held(code)) continue;
        c = charCodeForKey(code);
        if (c) break;
    }
    if (c >= 'a' && c <= 'z' && (held(42) || held(54))) c -= 32;
    return c;
}

int typedCharCode() {
    refreshKeys();
    const int c = input.injectedTyped >= 0 ? input.injectedTyped : heldKeysCharacter();
    if (c == input.lastTyped) return 0;
    input.lastTyped = c;
    return c;
}

double keyWasTyped() { return typedCharCode() ? 1 : 0; }

// ---- Mouse -------------------------------------------------------------------------------

bool readMouseState(MouseState& out) {
    out = MouseState();
    if (!input.open) return false;
    PlatformMouseSample sample;
    if (input.mouseStale) {
        input.mouseStale = false;
        const bool relative = input.mouseDevice && input.mouseExclusive;
        if (!platformMouseRead(sample, relative || input.pointerVisible)) return false;
        input.lastWheel = sign(sample.wheel);
        if (input.pointerVisible) {
            input.lastDx = sample.x - input.mouseX;
            input.lastDy = sample.y - input.mouseY;
            input.mouseX = sample.x;
            input.mouseY = sample.y;
        } else if (relative) {
            input.lastDx = sample.relX;
            input.lastDy = sample.relY;
            input.mouseX += sample.relX;
            input.mouseY += sample.relY;
        } else {
            // Hidden pointer without capture: measure how far the pointer
            // moved from a fixed point and put it back there.
            int dx = 0, dy = 0;
            platformMouseRecentre(dx, dy);
            PlatformMouseSample wheelOnly;
            platformMouseRead(wheelOnly, true);
            input.lastWheel = sign(wheelOnly.wheel);
            input.lastDx = dx;
            input.lastDy = dy;
            input.mouseX += dx;
            input.mouseY += dy;
        }
    } else if (!platformMouseRead(sample, false)) {
        return false;
    }
    out.dx = input.lastDx;
    out.dy = input.lastDy;
    out.wheel = input.lastWheel;
    out.left = sample.left ? 1 : 0;
    out.right = sample.right ? 1 : 0;
    out.middle = sample.middle ? 1 : 0;
    return true;
}

void setPointerVisible(double flag) {
    const bool visible = flag != 0;
    if (input.mouseDevice) {
        platformMouseSetRelative(!visible);
        input.mouseExclusive = !visible;
    }
    if (visible) {
        if (!input.pointerVisible) platformMouseWarpLogical(input.mouseX, input.mouseY);
        platformMouseShowPointer(true);
    } else {
        platformMouseShowPointer(false);
    }
    input.pointerVisible = visible;
}

void moveMouseTo(double x, double y) {
    input.mouseX = std::clamp(truncToInt(x), -1000000000, 1000000000);
    input.mouseY = std::clamp(truncToInt(y), -1000000000, 1000000000);
}

void readMouse(double& x, double& y, double& button1, double& button2) {
    MouseState state;
    readMouseState(state);
    input.mouseX = std::clamp(input.mouseX, 0, screenWidth() - 1);
    input.mouseY = std::clamp(input.mouseY, 0, screenHeight() - 1);
    x = input.mouseX;
    y = input.mouseY;
    button1 = state.left;
    button2 = state.right;
}

double mouseAxis(double n) {
    MouseState state;
    if (!readMouseState(state)) return 0;
    switch (truncToInt(n)) {
        case 0:
            return state.dx;
        case 1:
            return state.dy;
        case 2:
            return state.wheel;
        case 3:
            return state.left;
        case 4:
            return state.right;
        case 5:
            return state.middle;
        default:
            return 0;
    }
}

// ---- Joysticks ---------------------------------------------------------------------------

bool readJoystickState(int n, JoystickState& out) {
    out = JoystickState();
    PlatformJoystickSample sample;
    if (!platformJoystickRead(n, sample)) return false;
    out.x = sample.axes[0];
    out.y = sample.axes[1];
    out.z = sample.axes[2];
    out.rx = sample.axes[3];
    out.ry = sample.axes[4];
    out.rz = sample.axes[5];
    out.sliders[0] = sample.sliders[0];
    out.sliders[1] = sample.sliders[1];
    std::copy(std::begin(sample.pov), std::end(sample.pov), std::begin(out.pov));
    std::copy(std::begin(sample.buttons), std::end(sample.buttons), std::begin(out.buttons));
    return true;
}

namespace {
int joystickIndex(double n) {
    const int i = truncToInt(n);
    return (i < 0 || i >= kPlatformMaxJoysticks) ? -1 : i;
}
double scaledAxis(double n, int JoystickState::*axis) {
    JoystickState s;
    readJoystickState(joystickIndex(n), s);
    return std::clamp(s.*axis / 32767.0, -1.0, 1.0);
}
}  // namespace

double joystickCount() { return platformJoystickCount(); }
double joystickX(double n) { return scaledAxis(n, &JoystickState::x); }
double joystickY(double n) { return scaledAxis(n, &JoystickState::y); }
double joystickZ(double n) { return scaledAxis(n, &JoystickState::z); }
double joystickRX(double n) { return scaledAxis(n, &JoystickState::rx); }
double joystickRY(double n) { return scaledAxis(n, &JoystickState::ry); }
double joystickRZ(double n) { return scaledAxis(n, &JoystickState::rz); }

double joystickHatX(double n) {
    JoystickState s;
    readJoystickState(joystickIndex(n), s);
    return s.pov[0] == 9000 ? 1 : (s.pov[0] == 27000 ? -1 : 0);
}

double joystickHatY(double n) {
    JoystickState s;
    readJoystickState(joystickIndex(n), s);
    return s.pov[0] == 0 ? -1 : (s.pov[0] == 18000 ? 1 : 0);
}

void readJoystickDigital(double& x, double& y, double& button1, double& button2) {
    JoystickState s;
    readJoystickState(0, s);
    x = s.x / 30000;
    y = s.y / 30000;
    button1 = s.buttons[0];
    button2 = s.buttons[1];
}

double joystickForce(double n, double duration, double x, double y) {
    const int j = joystickIndex(n);
    if (j < 0) return 0;
    const double fx = std::clamp(std::isnan(x) ? 0.0 : x, -1.0, 1.0);
    const double fy = std::clamp(std::isnan(y) ? 0.0 : y, -1.0, 1.0);
    const int magnitude = static_cast<int>((fx * fx + fy * fy) * 10000 / 2);
    const int ms = std::max(truncToInt(duration), 0);
    return platformJoystickForce(j, ms, fx, fy, magnitude) ? 1 : 0;
}
