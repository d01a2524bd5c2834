// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screen-level tests: the runtime runs for real (hidden window, SDL's offscreen video driver
// when there is no display, no audio output) and a present hook plays the part of the player,
// frame by frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "logic_support.h"

// Called once per presented frame with the frame number (from 1 for each test); the handler
// sets the keys for the next frame and may inspect the state.
void onEveryFrame(std::function<void(int frame)> handler);
int framesPresented();

// The logical screen of the frame being presented, read back through a screenshot. Only
// meaningful inside a frame handler.
struct Screen {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    uint32_t at(int x, int y) const;  // 0xRRGGBB
    // True when some pixel of the rectangle is neither black nor the given colours.
    bool anyOtherThan(int x, int y, int w, int h, std::vector<uint32_t> colours) const;
};
bool grabScreen(Screen& out);

// A folder test whose folder also holds a few plain media files, so that sprites show as solid
// colours: Tiles1 (wall blue, clover green, block grey), BugR..BugD red, Baddy magenta,
// BoxStrip yellow.
class ScreenTest : public GameFolderTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    void loadTestMedia();
    void writeLevel(int level, const std::vector<std::string>& rows);
};

constexpr uint32_t kWallColour = 0x0000FF;
constexpr uint32_t kCloverColour = 0x00FF00;
constexpr uint32_t kBlockColour = 0x808080;
constexpr uint32_t kBugColour = 0xFF0000;
constexpr uint32_t kBaddyColour = 0xFF00FF;
constexpr uint32_t kBoxColour = 0xFFFF00;
