// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Test aids for the input devices: a plain window to receive real key events
// and virtual joysticks with settable state. Not used by the program itself.
#pragma once

// Opens (or reuses) a visible, focused window of the given size for input
// tests. False when no window can be opened or it never gets the keyboard.
bool platformTestOpenWindow(int width, int height);
void platformTestCloseWindow();
// Gives the test window the keyboard focus and waits (up to 20 s on a busy
// machine) until the window has it: keys sent before then go elsewhere.
// False when the focus never arrives.
bool platformTestFocusWindow();
// Pumps events for `milliseconds`.
void platformTestPump(int milliseconds);

// Attaches a virtual joystick with the given controls; it is seen by the next
// platformJoysticksOpen. Returns false when virtual joysticks are unavailable.
bool platformTestAttachJoystick(int axes, int buttons, int hats);
bool platformTestSetJoystickAxis(int axis, int value);
bool platformTestSetJoystickButton(int button, bool pressed);
// hat: 0 centred, 1 up, 2 right, 4 down, 8 left (combinations for diagonals).
bool platformTestSetJoystickHat(int hat, int value);
void platformTestDetachJoystick();

// A virtual game controller of the standard layout, for the set functions above: buttons are
// numbered as below, axis 0 is the left stick's x and axis 1 its y. Unlike a real one it is read
// even while no window has the focus (test windows are often hidden). Detach as a joystick.
enum TestPadButton {
    kTestPadA = 0,
    kTestPadB = 1,
    kTestPadBack = 4,
    kTestPadStart = 6,
    kTestPadUp = 11,
    kTestPadDown = 12,
    kTestPadLeft = 13,
    kTestPadRight = 14,
};
bool platformTestAttachPad();
