// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The machine behind the runtime: one window with an OpenGL context, the event pump, message
// boxes and GL entry-point lookup. SDL2 does the work behind this interface; no header outside
// platform/ includes SDL, so the rest of the runtime sees only these functions. (The clock and
// sleeping need no window and live in the runtime: runtime/clock.cpp.)
//
// Everything here runs on the thread that opened the window.
#pragma once

#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Video subsystem

// Starts SDL's video and event subsystems once per process (further calls are cheap). False when
// no video driver can be started (no display and no offscreen driver), and when the only ones
// that start are SDL's invisible offscreen or dummy drivers without SDL_VIDEODRIVER naming them.
bool platformStartVideo();
// Asks, before the video and sound start, for a run nobody sees or hears: SDL's offscreen video
// driver and its silent audio driver (a replay checked on a machine without a display).
void platformRunUnseen();
// True after platformStartVideo failed because there is no display to open a window on.
bool platformNoDisplay();
// Releases the video subsystem again (after the window is gone).
void platformStopVideo();
// Shows a modal error box with this title and text and returns when the person has closed it.
// Only where a display can show it (DISPLAY or WAYLAND_DISPLAY set, SDL_VIDEODRIVER not naming
// SDL's invisible offscreen or dummy driver); false at once otherwise, or when the box cannot be
// made. Needs no window and no started video.
bool platformShowErrorBox(const char* title, const char* text);
// False while SDL's offscreen or dummy driver serves (asked for through SDL_VIDEODRIVER): the
// window's pixels then go nowhere, and nothing needs copying into it.
bool platformWindowIsSeen();

// ---------------------------------------------------------------------------------------------
// Window and OpenGL context

// Creates the one window (hidden, resizable down to the logical size, title "Tovrik", our icon)
// with a drawing area of clientWidth x clientHeight window pixels and makes an OpenGL
// compatibility context current on it. The context is created only if none exists yet, so textures
// survive a new window. samples > 0 asks for a multisampled default framebuffer; the request is
// halved until a context can be made, and *samplesGot (if given) receives what was obtained (0 for
// none). False when neither window nor context can be made; SDL's reason is then in
// platformLastError().
bool platformOpenWindow(int clientWidth, int clientHeight, int samples, int* samplesGot);
// Destroys the window and the GL context.
void platformCloseWindow();
// Destroys only the window, keeping the context for the next platformOpenWindow.
void platformDestroyWindowOnly();
bool platformWindowExists();
const char* platformLastError();

void platformSetWindowTitle(const char* title);
// Current title (empty without a window). The pointer stays valid until the next title change.
const char* platformWindowTitle();

void platformShowWindow();
void platformHideWindow();
// Brings the window to the front and asks for the input focus.
void platformRaiseWindow();
bool platformWindowVisible();

// Desktop fullscreen on or off (the display mode itself is never changed). False when the
// switch failed; the window is then left windowed.
bool platformSetFullscreen(bool on);
bool platformIsFullscreen();
// Sets the drawing-area size of the windowed window in window pixels; centre places it in the
// middle of the desktop.
void platformSetWindowSize(int clientWidth, int clientHeight, bool centre);
// Size of the desktop of the display the window is on (or of the first display).
void platformDesktopSize(int* width, int* height);
// Drawing-area size in window pixels and in framebuffer pixels (these differ only on
// high-density displays).
void platformWindowSize(int* width, int* height);
void platformDrawableSize(int* width, int* height);

void platformSwapBuffers();
// 1 = wait for the vertical blank, 0 = do not. Returns false when the driver refuses.
bool platformSetSwapInterval(int interval);
// Address of an OpenGL function by name, nullptr when the driver has none.
void* platformGLProc(const char* name);
// Whether the screen saver may start (suppressed while the program runs).
void platformAllowScreenSaver(bool allow);

// ---------------------------------------------------------------------------------------------
// Logical screen placement
//
// The runtime draws a fixed logical screen (320 x 240 for the game) and shows it scaled by the
// largest whole factor that fits the window, centred on black. These functions share that
// arithmetic between the presenter and the mouse code.

struct PlatformPlacement {
    int scale;  // whole factor, at least 1
    int left;   // position of the scaled picture inside the drawing area, window pixels
    int top;
    int width;  // scaled size, logical size x scale
    int height;
};

// Records the logical screen size (set by the renderer when it opens its window).
void platformSetLogicalSize(int width, int height);
// Placement of the logical screen in a drawing area of the given size (pure arithmetic).
PlatformPlacement platformPlacementFor(int areaWidth, int areaHeight, int logicalWidth,
                                       int logicalHeight);
// Placement in the current window, in window pixels.
PlatformPlacement platformCurrentPlacement();
// Window pixel -> logical pixel (may lie outside the logical screen, e.g. on the black border).
void platformWindowToLogical(int windowX, int windowY, int* logicalX, int* logicalY);
// Logical pixel -> window pixel (the top-left window pixel of that logical pixel).
void platformLogicalToWindow(int logicalX, int logicalY, int* windowX, int* windowY);

// ---------------------------------------------------------------------------------------------
// Events
//
// platformPumpEvents drains SDL's whole event queue. Event watchers that other parts of the
// runtime install with SDL (keyboard, mouse, joystick) see every event as it is queued; the
// window events below are handed to the window handler.

enum class PlatformEventKind {
    FocusGained,
    FocusLost,
    CloseRequest,  // the window's close button, the window manager's close, or a quit request
    KeyDown,       // only the keys the window handler acts on (see PlatformKey)
    Resized,
    Exposed,  // the window's contents were lost (uncovered, shown again) and need drawing
};

enum class PlatformKey { None, Return, F12 };

struct PlatformEvent {
    PlatformEventKind kind;
    PlatformKey key;  // for KeyDown
    bool alt;         // Alt held (for KeyDown)
    bool repeat;      // auto-repeat (for KeyDown)
};

using PlatformEventHandler = void (*)(const PlatformEvent& event);
void platformSetEventHandler(PlatformEventHandler handler);
// Handles every waiting event; returns how many were taken from the queue.
int platformPumpEvents();
// True when at least one event is waiting.
bool platformEventsWaiting();

// ---------------------------------------------------------------------------------------------
// Messages

// The warning boxes of the runtime become text on standard error: a modal box would block every
// headless or virtual-machine run.
void platformShowMessage(const char* caption, const char* text);

// Full path of the running program (empty when unknown).
const char* platformProgramPath();
