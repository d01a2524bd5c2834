// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Clearing, presenting and pacing frames; alpha modes; the cross-fade; the window procedure.
#pragma once

#include "runtime/text.h"

struct PlatformEvent;

// Deletes background picture 0 (no longer drawn at the start of each frame) and clears the screen.
void clearFrame();
// 0: opaque drawing. > 0: additive blending with alpha |value|. < 0: ordinary transparency with
// alpha |value|. |value| is capped at 1.
void setAlphaMode(double value);
// Frames per second; 0 or less gives a 2 ms frame interval.
void setFrameRateCap(double framesPerSecond);
double frameInterval();
// Shows the frame, waits for the next deadline of the frame grid while keeping the window
// responsive, samples the keyboard for the next frame and prepares the next frame. While the
// window is inactive (with pausing on), or after the player's pause key, it waits first.
void presentFrame();
// Fades from the current screen to a picture file, which becomes background picture 0; 0 when the
// file is not found, else 1.
double crossfadeToBackground(const TextValue& fileName);

// The scripted test driver's hook: called by presentFrame right after it has sampled the keyboard
// for the next frame (the frame is complete in the logical screen and not yet swapped), so the hook
// may replace the key snapshot or save the screen. nullptr removes it.
void setPresentHook(void (*hook)());
// True from the moment presentFrame has run the hook until it returns: a program that ends in
// between ended in the frame just counted, one that ends anywhere else in the next frame.
bool presentHookHasRun();
// Off: presentFrame never waits (frames run as fast as they can). On by default.
void setPacingEnabled(bool enabled);
// Off: losing the window's focus no longer pauses the game (on by default, and only while the
// game's auto-pause is on). A scripted session is played by its script alone, whatever window
// has the focus.
void setFocusPausing(bool on);
// On: the deadline wait sleeps in short steps while more than about 2 ms remain (the default).
// Off: it polls the clock the whole time, as a pure busy wait (kept for comparison).
void setPacingSleeps(bool sleeps);

// The input service's part in every frame, connected by the runtime's start-up.
struct FrameInputHooks {
    void (*pollKeyboard)() = nullptr;
    void (*markMouseStale)() = nullptr;
    double (*isKeyDown)(double code) = nullptr;
    // True when the player pressed the pause key since the last call: presentFrame then shows
    // "PAUSE" and waits, as it does while the window is inactive, until the next press.
    bool (*takePauseRequest)() = nullptr;
};
void setFrameInputHooks(const FrameInputHooks& hooks);

// The deadline arithmetic of the frame grid, apart from the real clock so it can be checked with a
// fake one. now() reads the clock; sleep(ms) blocks about that long; service() handles waiting
// window events and returns true when there were any.
struct PacingClock {
    double (*now)(void* context);
    void (*sleep)(void* context, double ms);
    bool (*service)(void* context);
    void* context;
};
// Waits until the clock passes nextFrameTime, then moves nextFrameTime on by whole intervals to
// the first grid point not before now (missed deadlines are skipped, never caught up). Returns the
// milliseconds spent waiting + 1. With sleepWhileFar the wait sleeps 1 ms at a time while more
// than 2 ms remain, then 0.1 ms at a time while more than 0.25 ms remain, and polls the rest.
double waitForFrameDeadline(double& nextFrameTime, double interval, const PacingClock& clock,
                            bool sleepWhileFar);

// The main window's procedure: pause on focus loss (" <pause>" in the title), resume on focus,
// close requests end the program, Alt+Enter switches fullscreen, F12 saves a screenshot.
void windowProc(const PlatformEvent& event);
