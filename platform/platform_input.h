// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Keyboard, mouse and joystick devices over the platform library. Key codes
// here are already the runtime's scan codes 0..255; mouse positions are in
// logical screen pixels.
#pragma once

// ---- Keyboard ----------------------------------------------------------------

// Prepares the keyboard: makes sure the event subsystem runs and installs the
// event watch for wheel motion. False if the platform cannot deliver keyboard
// state.
bool platformKeyboardOpen();
void platformKeyboardClose();
// True when a window exists to receive keys and the pointer.
bool platformInputHasWindow();
// Pumps pending events into the key state (the events stay queued for the
// window layer) and fills state[code] with 0x80 for every held key. Both
// Enter keys read as up while Alt is held, and one pressed with Alt stays up
// until released: Alt+Enter is the window layer's display-mode switch.
void platformReadKeyboard(unsigned char state[256]);
// Pumps the platform's events without sampling anything.
void platformPumpInputEvents();
// The keys (runtime codes) that went down since the last call, 0x80 each, including keys already
// released again: a quick tap between two samples is not lost. Auto-repeat does not count.
void platformTakeKeyPresses(unsigned char pressed[256]);
// The character the key at `code` produces on the current keyboard layout
// without modifiers: a byte 32..255, or 0 when the key gives none.
int platformKeyCharacter(int code);
// The character the held key at `code` typed when it went down, with the
// modifiers of that moment (from the platform's text input), or 0 when it
// typed none or is not held.
int platformTypedCharacter(int code);
// True while Caps Lock is on.
bool platformCapsLock();
// Scan-code translation, exposed for tests: the platform key number for a
// runtime code (-1 when none) and back (0 when none).
int platformScancodeForCode(int code);
int platformCodeForScancode(int scancode);

// ---- Mouse ---------------------------------------------------------------------

struct PlatformMouseSample {
    int x = 0, y = 0;        // pointer position in logical pixels (unclamped)
    int relX = 0, relY = 0;  // relative motion since the last sample, logical pixels
    int wheel = 0;           // wheel steps since the last sample (positive = away from the user)
    bool left = false, right = false, middle = false;
};
// Prepares the mouse; `relative` asks for captured relative motion. False
// when the mouse cannot be set up.
bool platformMouseOpen(bool relative);
void platformMouseClose();
// Reads position and buttons; with takeMotion also the motion and wheel steps
// accumulated since the last such read (and resets them). Pumps events first.
bool platformMouseRead(PlatformMouseSample& out, bool takeMotion);
// Captured relative mode on or off (the pointer is hidden while on).
bool platformMouseSetRelative(bool on);
// Measures motion of a hidden, uncaptured pointer: puts the pointer back at
// the window's centre and returns how far it was from there, in logical
// pixels.
bool platformMouseRecentre(int& dx, int& dy);
void platformMouseShowPointer(bool visible);
// Puts the system pointer at a logical screen position.
void platformMouseWarpLogical(int x, int y);
// Puts the system pointer at a window position (window pixels).
void platformMouseWarpWindow(int x, int y);
// Converts a window-pixel position to logical pixels (the window layer's
// placement of the logical screen).
void platformMouseToLogical(int wx, int wy, int& lx, int& ly);

// ---- Joysticks -----------------------------------------------------------------

struct PlatformJoystickSample {
    int axes[6] = {0, 0, 0, 0, 0, 0};  // X, Y, Z, RX, RY, RZ in -32768..32767
    int sliders[2] = {0, 0};
    unsigned int pov[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                           0xFFFFFFFFu};  // hundredths of a degree or centred
    unsigned char buttons[32] = {};       // 0x80 pressed
};
// The most joysticks open at once; devices numbered from this up are never there.
constexpr int kPlatformMaxJoysticks = 10;
// Starts the joystick subsystem and opens up to `maximum` devices (at most
// kPlatformMaxJoysticks) in the platform's order. Returns the number opened.
int platformJoysticksOpen(int maximum);
void platformJoysticksClose();
int platformJoystickCount();
// "instance name, product name".
const char* platformJoystickName(int n);
bool platformJoystickRead(int n, PlatformJoystickSample& out);
// A constant force for `milliseconds` in direction (x, y) in -1..1 with
// magnitude 0..10000. False when the device has no force feedback.
bool platformJoystickForce(int n, int milliseconds, double x, double y, int magnitude);

// ---- Game controllers ------------------------------------------------------------
//
// Pads through the platform's game-controller layer, which knows where the d-pad and the
// face buttons of each model are. Separate from the raw joysticks above, which stay as they are.

// Controller buttons the game uses, as bits.
enum PlatformPadButton : unsigned {
    kPadUp = 1u << 0,  // d-pad
    kPadDown = 1u << 1,
    kPadLeft = 1u << 2,
    kPadRight = 1u << 3,
    kPadSouth = 1u << 4,  // A / Cross
    kPadEast = 1u << 5,   // B / Circle
    kPadBack = 1u << 6,
    kPadStart = 1u << 7,
};

struct PlatformPadSample {
    unsigned held = 0;         // buttons held on any open controller
    int leftX = 0, leftY = 0;  // the furthest left-stick deflection, -32768..32767, y downwards
    int controllers = 0;       // controllers open
};

// Starts the game-controller layer with the platform's built-in mappings, then adds the
// mappings in `mappingFile` (gamecontrollerdb.txt format; skipped when there is no such file)
// and those of the SDL_GAMECONTROLLERCONFIG variable, which win over both. False when the layer
// cannot start.
bool platformPadsOpen(const char* mappingFile);
void platformPadsClose();
// Opens controllers plugged in since the last read, forgets unplugged ones, and reads all of
// them together as the last event pump left them.
void platformPadRead(PlatformPadSample& out);
// The buttons that went down since the last call, even when already released again. Opens
// controllers plugged in since the last look first, as platformPadRead does.
unsigned platformPadTakePresses();
