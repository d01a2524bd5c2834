// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The level loop, one frame of the level's world, its status line and the drawing of the maze
// layers.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "game/trace.h"

#include "app/session.h"
#include "devices/input.h"
#include "devices/sound.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/present.h"

using namespace crumlet;

namespace {

// The lengths of the looping strips of a flower and of a spiky bomb lying in the maze.
constexpr double kFlowerTileFrames = 32;
constexpr double kBombTileFrames = 16;

// One frame after another until Escape, or until a finished level's closing sound has ended.
void RunLevelFrames() {
    GameGlobals& g = game;
    double frame = 0;
    for (;;) {
        frame += 1;
        // Escape leaves at once: nothing of this frame is drawn and the level's score is lost.
        if (isKeyDown(kKeyEscape) != 0) return;

        LevelFrame();
        // A finished level closes once its closing sound has ended (in a replay: in the frame the
        // recording says); that frame is not shown.
        if (g.levelDone == 1 && sessionFinishedLevelCloses(isVoicePlaying(g.endVoice) == 0)) return;
        ShowLevelTexts();

        LevelFrameState state{frame,       g.bugX,        g.bugY,      g.bugDir,
                              g.score,     g.pickupsLeft, g.bombStock, g.bugDead,
                              g.levelDone, &g.mapGrid,    &g.itemGrid};
        traceLevelFrame(state);
        presentFrame();
    }
}

}  // namespace

void MainGame() {
    // Only a running level can be paused (P or the controller's Start; presentFrame waits).
    allowPauseKey(1);
    RunLevelFrames();
    sessionLevelEnded();
    allowPauseKey(0);
}

void LevelFrame() {
    GameGlobals& g = game;
    ShowMap1();
    ShowMap2();
    ScanBaddy();
    ScanBug();
    FruitAnimation();
    BugAnimation();
    BaddyAnimation();
    KleeAnimation();
    BlumeAnimation();
    ShrinkAnimation();
    SpikeyAnimation();
    TakeAnimation();
    ExpAnimation();
    FireAnimation();
    RandomFruit();

    // The baddies decide on the first frame of every step.
    g.baddyTick += 1;
    if (g.baddyTick == kStepFrames) g.baddyTick = 0;
}

void ShowLevelTexts() {
    GameGlobals& g = game;
    if (g.bugDead == 1) {
        selectFont(kFontMenu);
        drawText(TextValue("PRESS ESCAPE!"), 68, 100);  // across the middle of the maze
    }
    selectFont(kFontStatus);
    drawText(charsPlusNumber("SCORE:", g.score), 0, kStatusLineY);
    drawText(charsPlusNumber("CLOVER:", g.pickupsLeft), 192, kStatusLineY);
}

// Frame n of the tile strip shows the wall, block or clover of grid code n.
void ShowMap1() {
    GameGlobals& g = game;
    for (double cellY = 0; cellY < kScreenRows; ++cellY) {
        for (double cellX = 0; cellX < kScreenColumns; ++cellX) {
            double code = numAt(g.mapGrid, cellX + cellY * kGridColumns);
            if (code == kWall || code == kBlock)
                drawSpriteFrame(kSpriteTiles, code, cellX * kCellSize, cellY * kCellSize);
        }
    }
}

void ShowMap2() {
    GameGlobals& g = game;
    for (double cellY = 0; cellY < kScreenRows; ++cellY) {
        for (double cellX = 0; cellX < kScreenColumns; ++cellX) {
            double item = numAt(g.itemGrid, cellX + cellY * kGridColumns);
            double x = cellX * kCellSize, y = cellY * kCellSize;
            if (item == kClover) drawSpriteFrame(kSpriteTiles, kClover, x, y);
            if (item == kFlower) drawSpriteFrame(kSpriteFlower, g.flowerTileFrame, x, y);
            if (item == kSpikeyBomb) drawSpriteFrame(kSpriteSpikeyBall, g.bombTileFrame, x, y);
        }
    }
    g.flowerTileFrame += 1;
    if (g.flowerTileFrame == kFlowerTileFrames) g.flowerTileFrame = 0;
    g.bombTileFrame += 1;
    if (g.bombTileFrame == kBombTileFrames) g.bombTileFrame = 0;
}
