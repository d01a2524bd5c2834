// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Short-lived things of a level: the random fruit, the laid spiky bomb and its blast, the fires
// where a baddy ate the fruit, and the one-shot animations of collected pick-ups.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"

#include "devices/sound.h"
#include "graphics/drawing.h"
#include "runtime/maths.h"

using namespace crumlet;

namespace {

// The fruit: offered when a draw of 0 to kFruitDraws comes out as kFruitLuckyDraw (a chance of 1
// in 301 a frame) while more than kFruitMinPickups pick-ups remain, in a random cell of columns 1
// to 19 and rows 1 to 14, as one of kFruitKinds pictures of its strip.
constexpr double kFruitDraws = 300;
constexpr double kFruitLuckyDraw = 25;
constexpr double kFruitMinPickups = 10;
constexpr double kFruitKinds = 12;

// The laid bomb flashes through a loop of this many frames until its fuse ends.
constexpr double kFlashFrames = 16;
// A fire shows each of its kFireFrames frames for kFireFrameRepeat frames, then goes out.
constexpr double kFireFrames = 16;
constexpr double kFireFrameRepeat = 2;

// A one-shot effect: shown for kStepFrames frames while its y is above 0. Starting it again while
// it runs only moves it; the frame counter goes on.
void animateOneShot(double slot, double& frame, double x, double& y) {
    if (y <= 0) return;
    drawSpriteFrame(slot, frame, x, y);
    frame += 1;
    if (frame == kStepFrames) {
        frame = 0;
        y = 0;
    }
}

}  // namespace

void RandomFruit() {
    GameGlobals& g = game;
    // The random draws happen in this order whatever the outcome.
    if (randomInt(kFruitDraws) != kFruitLuckyDraw) return;
    if (g.fruitShown != 0 || !(g.pickupsLeft > kFruitMinPickups)) return;
    double cellY = randomInt(kScreenRows - 2) + 1;
    double cellX = randomInt(kScreenColumns - 2) + 1;
    double cellIndex = cellX + cellY * kGridColumns;
    if (numAt(g.mapGrid, cellIndex) != kEmpty) return;  // no second try this frame
    numAt(g.mapGrid, cellIndex) = kFruit;
    g.fruitFrame = randomInt(kFruitKinds - 1);
    g.fruitX = cellX * kCellSize;
    g.fruitY = cellY * kCellSize;
    g.fruitShown = 1;
    playSoundEffect(kSoundFruitAppears, 0, 1);
}

void FruitAnimation() {
    GameGlobals& g = game;
    if (g.fruitShown == 1) drawSpriteFrame(kSpriteFruit, g.fruitFrame, g.fruitX, g.fruitY);
}

void KleeAnimation() {
    GameGlobals& g = game;
    animateOneShot(kSpriteSparkle, g.kleeFrame, g.kleeX, g.kleeY);
}

void BlumeAnimation() {
    GameGlobals& g = game;
    animateOneShot(kSpriteDisappear, g.blumeFrame, g.blumeX, g.blumeY);
}

void ShrinkAnimation() {
    GameGlobals& g = game;
    animateOneShot(kSpriteShrink, g.shrinkFrame, g.shrinkX, g.shrinkY);
}

void TakeAnimation() {
    GameGlobals& g = game;
    animateOneShot(kSpriteTake, g.takeFrame, g.takeX, g.takeY);
}

void SpikeyAnimation() {
    GameGlobals& g = game;
    if (!(g.spikeyY > 0)) return;
    drawSpriteFrame(kSpriteFlushSpikey, g.spikeyFrame, g.spikeyX, g.spikeyY);
    g.spikeyFrame += 1;
    if (g.spikeyFrame == kFlashFrames) g.spikeyFrame = 0;
    g.spikeyTimer += 1;
    if (g.spikeyTimer == kFuseFrames) {
        // The blast takes over the bomb's cell; ExpAnimation applies it later in this frame.
        g.expX = g.spikeyX;
        g.expY = g.spikeyY;
        g.spikeyTimer = 0;
        g.spikeyArmed = 0;
        g.spikeyY = 0;
        playSoundEffect(kSoundExplosion, 0, 1);
    }
}

void ExpAnimation() {
    GameGlobals& g = game;
    if (!(g.expY > 0)) return;
    // The blast repeats its clearing on each of its frames: centre, right, left, up, down.
    ExplodeCell(g.expX, g.expY);
    ExplodeCell(g.expX + kCellSize, g.expY);
    ExplodeCell(g.expX - kCellSize, g.expY);
    ExplodeCell(g.expX, g.expY - kCellSize);
    ExplodeCell(g.expX, g.expY + kCellSize);
    g.expFrame += 1;
    if (g.expFrame == kStepFrames) {
        g.expFrame = 0;
        g.expY = 0;
    }
}

void ExplodeCell(double x, double y) {
    GameGlobals& g = game;
    double cellIndex = x / kCellSize + (y / kCellSize) * kGridColumns;
    // The bug, fruit, breakable blocks and standing baddies go; walls and the reservations of a
    // stepping baddy stay. Counters are not touched, so a blasted clover can no longer be won.
    double code = numAt(g.mapGrid, cellIndex);
    if (code >= kBug && code <= kBaddyDown) numAt(g.mapGrid, cellIndex) = kEmpty;
    numAt(g.itemGrid, cellIndex) = 0;
    drawSpriteFrame(kSpriteExplosion, g.expFrame, x, y);
}

void FireAnimation() {
    GameGlobals& g = game;
    for (double slot = 0; slot < kFireSlots; ++slot) {
        if (!(numAt(g.fireY, slot) > 0)) continue;
        drawSpriteFrame(kSpriteFire, numAt(g.fireFrame, slot), numAt(g.fireX, slot),
                        numAt(g.fireY, slot));
        numAt(g.fireDelay, slot) += 1;
        if (numAt(g.fireDelay, slot) == kFireFrameRepeat) {
            numAt(g.fireDelay, slot) = 0;
            numAt(g.fireFrame, slot) += 1;
        }
        if (numAt(g.fireFrame, slot) == kFireFrames) {
            numAt(g.fireFrame, slot) = 0;
            numAt(g.fireY, slot) = 0;
        }
    }
}

void FireAt(double x, double y) {
    GameGlobals& g = game;
    for (double slot = 0; slot < kFireSlots; ++slot) {
        if (numAt(g.fireY, slot) == 0) {
            numAt(g.fireX, slot) = x;
            numAt(g.fireY, slot) = y;
            return;
        }
    }
    // All busy: no fire is shown.
}
