// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Bitmap fonts: 32 font slots (sprite slots 65504 + n) holding a 16-column grid of character
// cells, the built-in 8x8 font, and text output with the current font.
#pragma once

#include "runtime/text.h"

// Makes font n (clamped to 0..31) current and loads the image into it; a missing or unreadable
// file gives the built-in font instead. An empty name always gives the built-in font.
void loadFontImage(const TextValue& fileName, double font);
// Current font := the value truncated and clamped to 0..31.
void selectFont(double font);
double currentFontNumber();
// Prints the text with the current font, top-left corner at (x, y) rounded up.
void drawText(const TextValue& text, double x, double y);
// Prints the number by the number-to-text rule.
void drawNumber(double number, double x, double y);
// Cell width and height of the current font (0 and 0 when it is empty).
void queryFontSize(double& width, double& height);

struct RgbaImage;
// The built-in font picture: 128 x 64 pixels, 16 x 8 cells of 8 x 8 for characters 0..127; white
// 5 x 6 glyphs with a dark outline on transparent black.
void makeDefaultFontImage(RgbaImage& image);
