// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Background pictures, screen captures and off-screen drawing targets.
#pragma once

#include "runtime/text.h"

// Makes the picture file background picture 0 and draws it (drawn again at the start of every
// frame until clearFrame). Trace lines go to the error log.
void loadBackground(const TextValue& fileName);
// Copies a screen area into a sprite slot (texture sizes: powers of two from 32 up).
void captureToSprite(double slot, double x, double y, double width, double height);
// Makes target 0..31 draw into a new blank sprite of the given size in the slot.
void createOffscreenTarget(double target, double slot, double width, double height);
// Redirects drawing to a target; a negative number returns to the screen.
void selectOffscreenTarget(double target);
// Copies the whole screen into background picture 0.
void captureBackground();
