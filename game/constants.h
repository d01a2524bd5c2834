// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Numbers the game's routines share: key codes, grid shape, timings, scores, table sizes, sprite,
// font and sound slots. Numbers of one routine alone are named beside it.
#pragma once

namespace crumlet {

// Keyboard scan codes.
constexpr double kKeyEscape = 1;
constexpr double kKeyBackspace = 14;
constexpr double kKeyTab = 15;
constexpr double kKeyReturn = 28;
constexpr double kKeyLeftCtrl = 29;
constexpr double kKeySpace = 57;
constexpr double kKeyUp = 200;
constexpr double kKeyLeft = 203;
constexpr double kKeyRight = 205;
constexpr double kKeyDown = 208;

// The level grid: 40 x 30 cells of 16 x 16 pixels, index = column + 40 * row. Columns 0 to 19
// and rows 0 to 14 are on screen.
constexpr int kGridColumns = 40;
constexpr int kGridRows = 30;
constexpr int kGridCells = kGridColumns * kGridRows;
constexpr double kCellSize = 16;
constexpr int kScreenColumns = 20;
constexpr int kScreenRows = 15;

// Game time in frames of the 60 per second loop: a step of an actor and every one-shot effect
// take kStepFrames (an actor moves one pixel a frame, so a step is one cell), a laid bomb's fuse
// kFuseFrames.
constexpr double kStepFrames = 16;
constexpr double kFuseFrames = 48;

// What the bug's takings score.
constexpr double kScoreClover = 5;
constexpr double kScoreFlower = 50;
constexpr double kScoreSpikeyBomb = 2;
constexpr double kScoreFruit = 100;

// The player's name: up to kNameLetters letters, kept as that many character codes (0 past its
// end). The high-score tables: the best kScoresPerLevel scores of each of kScoreTableLevels
// levels with their names, best first, level n's from (n - 1) * kScoresPerLevel on.
constexpr double kNameLetters = 8;
constexpr double kScoresPerLevel = 8;
constexpr double kScoreTableLevels = 100;
constexpr double kScoreTableEntries = kScoresPerLevel * kScoreTableLevels;

// At most kFireSlots fires burn at once where baddies ate the fruit.
constexpr double kFireSlots = 4;

// The level's status line along the bottom of the screen.
constexpr double kStatusLineY = 224;

// mapGrid codes.
constexpr double kEmpty = 0;
constexpr double kWall = 1;
constexpr double kBug = 3;
constexpr double kFruit = 5;
constexpr double kBlock = 7;
constexpr double kBaddyRight = 12;
constexpr double kBaddyLeft = 13;
constexpr double kBaddyUp = 14;
constexpr double kBaddyDown = 15;
constexpr double kReserved = 34;

// itemGrid codes.
constexpr double kClover = 2;
constexpr double kFlower = 4;
constexpr double kSpikeyBomb = 6;

// junctionGrid code.
constexpr double kJunction = 5;

// Directions: 1 right, 2 left, 3 up, 4 down.
constexpr double kRight = 1;
constexpr double kLeft = 2;
constexpr double kUp = 3;
constexpr double kDown = 4;

// The way a direction goes: dx and dy of 1, 0 or -1 (the pixels of one frame's motion, the cells
// of one step). Both are 0 for anything that is not a direction, such as a dead bug's 0.
struct DirectionStep {
    double dx, dy;
};

inline DirectionStep stepOf(double dir) {
    if (dir == kRight) return {1, 0};
    if (dir == kLeft) return {-1, 0};
    if (dir == kUp) return {0, -1};
    if (dir == kDown) return {0, 1};
    return {0, 0};
}

// The index offset from a cell to its neighbour in a direction.
inline double neighbourOffset(double dir) {
    const DirectionStep step = stepOf(dir);
    return step.dx + step.dy * kGridColumns;
}

// The title menu: the column of its texts and of the cursor box, and the rows of its entries,
// on which the box comes to rest.
constexpr double kMenuLeft = 64;
constexpr double kMenuRowLevels = 64;
constexpr double kMenuRowPlayer = 80;
constexpr double kMenuRowScores = 96;
constexpr double kMenuRowHome = 112;

// Sprite slots.
constexpr double kSpriteTiles = 0;
constexpr double kSpriteBaddy = 5;
constexpr double kSpriteSparkle = 7;
constexpr double kSpriteSpikeyBall = 8;
constexpr double kSpriteFruit = 9;
constexpr double kSpriteFlower = 10;
constexpr double kSpriteDisappear = 11;
constexpr double kSpriteShrink = 12;
constexpr double kSpriteFlushSpikey = 13;
constexpr double kSpriteExplosion = 14;
constexpr double kSpriteTake = 15;
constexpr double kSpriteFire = 16;
constexpr double kSpriteBox = 17;

// Font slots.
constexpr double kFontStatus = 1;
constexpr double kFontMenu = 2;

// Sound slots.
constexpr double kSoundClover = 1;
constexpr double kSoundFlower = 2;
constexpr double kSoundStep = 3;
constexpr double kSoundBombPickUp = 4;
constexpr double kSoundSetMine = 5;
constexpr double kSoundExplosion = 6;
constexpr double kSoundLifeLost = 7;
constexpr double kSoundFruitAppears = 8;
constexpr double kSoundTake = 9;
constexpr double kSoundFruitEaten = 10;
constexpr double kSoundLevelDone = 11;

}  // namespace crumlet
