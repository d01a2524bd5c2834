// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's drawing operations: sprites and frames of strips (plain, stretched, zoomed, turned),
// points, lines and rectangles, textured polygons, pixel read-back and pixel-exact collision
// tests. Numbers are truncated toward zero where they name slots, frames and colours; positions
// of sprites are rounded up to whole pixels. Every operation does nothing (or returns 0) while
// there is no renderer.
#pragma once

// One frame of a strip, unscaled (the game's own drawing path).
void drawSpriteFrame(double slot, double frame, double x, double y);
// The whole picture, unscaled.
void blitSprite(double slot, double x, double y);
// The whole picture stretched to width x height; a negative size mirrors it.
void blitSpriteScaled(double slot, double x, double y, double width, double height);
// The picture scaled about its own centre.
void blitSpriteZoomed(double slot, double x, double y, double scaleX, double scaleY);
// The picture turned about its centre by angle degrees (positive: counter-clockwise).
void blitSpriteTurned(double slot, double x, double y, double angle);
void blitSpriteTurnedZoomed(double slot, double x, double y, double angle, double zoom);
// One frame turned and scaled about its centre.
void drawFrameTurnedZoomed(double slot, double frame, double x, double y, double angle,
                           double zoom);
// One frame stretched to width x height.
void drawFrameScaled(double slot, double frame, double x, double y, double width, double height);

// Colours are red + 256 green + 65536 blue; the sprite colour key draws with alpha 0.
void plotPoint(double x, double y, double colour);
// A line including both end pixels.
void strokeLine(double x1, double y1, double x2, double y2, double colour);
// A negative width or height extends the rectangle to the left or upwards of (x, y).
void fillRect(double x, double y, double width, double height, double colour);

// The colour of a pixel of the drawing target (0 outside it).
double readPixel(double x, double y);
// 1 when the two pictures (or frames) have an opaque pixel in the same place.
double spritesOverlap(double slot1, double x1, double y1, double slot2, double x2, double y2);
double framesOverlap(double slot1, double frame1, double x1, double y1, double slot2, double frame2,
                     double x2, double y2);

// A triangle fan: textured with the slot's picture, or untextured for -1; each vertex has its
// own colour; texture positions are picture pixels.
void beginFan(double slot);
void addFanVertex(double x, double y, double textureX, double textureY, double colour);
void endFan();

// Non-zero: bilinear filtering of sprites (the default after every frame); 0: nearest.
void setSmoothing(double flag);
