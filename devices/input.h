// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Keyboard, typed characters, mouse and joysticks for the game and the runtime.
//
// Keys are identified by keyboard scan codes 0..255 (positions on the keyboard,
// not characters): 1 Escape, 14 Backspace, 15 Tab, 28 Return, 29 left Ctrl,
// 42/54 Shift, 57 Space, 200 Up, 203 Left, 205 Right, 208 Down, ...
// The keyboard is sampled once per frame by presentFrame and, unless the keys
// are held for the whole frame (setKeysPerFrame), again by every key query.
// Numbers in and out are doubles; truth values are 1 and 0.
#pragma once

struct TextValue;
struct KeyBindings;

// ---- Runtime-internal: life of the input service ----------------------------

// Brings the input service up on the main window, once it exists. With
// exclusiveMouse the mouse is captured (relative mode, hidden pointer);
// otherwise the system pointer stays visible at the runtime's mouse position.
// Opens up to 10 joysticks. Registers closeInput as the Input shutdown stage.
// Failures only write "No DX_Input" / "No DX_KB" / "No DX_Mouse" to the error
// log; the program keeps running.
void openInput(bool exclusiveMouse);
// End of start-up: capture or release the mouse for the final window and
// show the arrow pointer (placed at the runtime's mouse position) or hide it.
void applyMouseMode(bool captureMouse);
// During start-up: hides the system pointer without changing what the input
// service records (applyMouseMode decides the final pointer).
void hideSystemPointer();
// Releases the mouse capture, shows the pointer at the runtime's mouse
// position and closes every device. Safe to call twice.
void closeInput();
// Forgets transient state (last typed character, stale mouse values), as a
// debugger break does.
void resetInputState();

// Samples the keyboard into the 256-byte key state (bit 7 = held). Pumps the
// platform's events first. The player's keys and the game controllers are
// folded into the game's fixed codes here (player_keys.h), so every query sees
// them. Called by presentFrame and by every key query.
void pollKeyboard();
// Marks the mouse state stale so that the next mouse query reads the device
// again (presentFrame does this once per frame).
void markMouseStale();

// Logic tests and the scripted driver: while a snapshot is injected,
// pollKeyboard copies it exactly instead of reading the devices (events are
// still pumped; neither the player's keys nor controllers apply). Bit 7 of
// keys[n] means key n is held.
void injectKeyboardSnapshot(const unsigned char keys[256]);
void clearInjectedKeyboard();
// The key state as the last pollKeyboard left it.
const unsigned char* keyboardState();
// Tests: stands in for the keyboard device with this state (bit 7 = held); nullptr returns to
// the device. Unlike an injected snapshot, the player's keys and the controllers still apply.
void injectDeviceKeys(const unsigned char keys[256]);

// Recording and playback: while on, every key query and typed character of a frame answers from
// the snapshot presentFrame took for it, so the frame's keys are one snapshot that can be written
// down and given back. Off by default (every query reads the devices again).
void setKeysPerFrame(bool on);
// The character the keys of the current snapshot type (as typedCharCode would find it before it
// drops a repeat): 8 Backspace, 10 Enter, 32..255, or 0 for none. Depends on the keyboard layout.
int heldKeysCharacter();
// Fixes the character the held keys type in this frame (0: none) instead of the keyboard layout's
// answer, for as long as it is not changed again; -1 returns to the layout. A recording carries
// the characters, so that it replays alike on every layout.
void injectTypedCharacter(int code);
// Playback: true while the player holds a key chosen for "back" (Escape by default) or the
// controller's Back, read from the devices even while an injected snapshot plays the keyboard.
bool playerBackHeld();

// ---- The player's keys, controllers and the pause key ------------------------------

// The keys the player chose for the game's actions (player_keys.h); the game goes on asking for
// its fixed codes. Kept across openInput/closeInput.
void setPlayerKeys(const KeyBindings& keys);
// Game controllers on (the default) or off; takes effect at the next openInput. The raw
// joysticks below are opened either way.
void setControllersEnabled(bool enabled);
// The game turns this on while a level runs: the player's pause key and the controller's Start
// then ask for a pause, and Start no longer stands for Return. A Start still held when it is
// turned off stays away from Return until released.
void allowPauseKey(double flag);
// True when a pause key or Start was pressed since the last call while pausing is allowed.
// Never true while an injected snapshot plays the keyboard. presentFrame asks once per frame
// and, while paused, once per wait step.
bool takePauseRequest();

// ---- Keyboard and typed characters ------------------------------------------

// 1 while the key is held, else 0. Only the low 8 bits of the truncated code
// count, so 256 asks for key 0.
double isKeyDown(double code);
// The newly typed character as a one-character text (8 Backspace, 10 Enter),
// or the empty text. A held key is reported once.
TextValue readTypedChar();
// The same scan as readTypedChar: 1 for a new character, 0 otherwise.
double keyWasTyped();
// The character key `code` produces on the current layout (no Shift applied),
// or the empty text.
TextValue charForKey(double code);
// Byte versions of the above (0 = nothing).
int typedCharCode();
int charCodeForKey(int code);

// ---- Mouse --------------------------------------------------------------------

struct MouseState {
    int left = 0, right = 0, middle = 0;  // 1 pressed, 0 released
    int dx = 0, dy = 0;                   // motion in logical pixels
    int wheel = 0;                        // 1, -1 or 0
};
// Reads the mouse (once per frame from the device, see markMouseStale;
// visible pointer, captured motion or a hidden re-centred pointer). The
// result is false when the device could not be read (state all zero).
bool readMouseState(MouseState& out);

void setPointerVisible(double flag);
void moveMouseTo(double x, double y);
// The runtime's mouse position clamped to the logical screen, and the left
// and right buttons as 1/0.
void readMouse(double& x, double& y, double& button1, double& button2);
// 0 dx, 1 dy, 2 wheel direction, 3/4/5 left/right/middle button; else 0.
double mouseAxis(double n);

// ---- Joysticks ----------------------------------------------------------------

struct JoystickState {
    int x = 0, y = 0, z = 0, rx = 0, ry = 0, rz = 0;  // -32768..32768
    int sliders[2] = {0, 0};
    unsigned int pov[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                           0xFFFFFFFFu};  // hundredths of a degree, or centred
    unsigned char buttons[32] = {};       // bit 7 = pressed
};
// False for a joystick that is not open (state left at its defaults).
bool readJoystickState(int n, JoystickState& out);

double joystickCount();
TextValue joystickName(double n);
double joystickX(double n);
double joystickY(double n);
double joystickZ(double n);
double joystickRX(double n);
double joystickRY(double n);
double joystickRZ(double n);
double joystickHatX(double n);
double joystickHatY(double n);
// Joystick 0: axes as -1/0/1 and the raw bytes of buttons 1 and 2.
void readJoystickDigital(double& x, double& y, double& button1, double& button2);
// A constant force on joystick n for `duration` milliseconds in direction
// (x, y), each clamped to -1..1. Returns 1 when the effect was started.
double joystickForce(double n, double duration, double x, double y);
