// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Enlarging the logical screen for the window on the processor. Internal to graphics/.
//
// A software rasteriser shades every window pixel of a scaled textured quad (or of a scaled
// framebuffer blit) through its general fragment path, which for a 640 x 480 window costs more
// than drawing the whole frame. Reading the 320 x 240 picture back, repeating each pixel into a
// factor x factor block here and handing the result over with an unscaled framebuffer blit,
// which the driver turns into a plain memory copy, gives the same pixels for a fraction of that.
#pragma once

#include <cstdint>

// src: width x height 32-bit pixels, bottom row first (as GL reads them back); dst: (width x
// factor) x (height x factor) pixels, top row first, each source pixel repeated into a factor x
// factor block.
void enlargePixels(const uint32_t* src, int width, int height, int factor, uint32_t* dst);
