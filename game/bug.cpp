// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The player's bug: a decision whenever it stands exactly on a cell, then a step of kStepFrames.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "game/trace.h"

#include "app/session.h"
#include "devices/input.h"
#include "devices/sound.h"
#include "graphics/drawing.h"
#include "runtime/convert.h"
#include "runtime/save_group.h"

using namespace crumlet;

namespace {

// The four directions with their keys, in the order every test tries them: right, left, up, down.
struct Direction {
    double dir;
    double key;
};

const Direction kDirections[4] = {
    {kRight, kKeyRight},
    {kLeft, kKeyLeft},
    {kUp, kKeyUp},
    {kDown, kKeyDown},
};

double playSound(double slot) { return playSoundEffect(slot, 0, 1); }

// The first direction, in the order above, whose key is held and whose neighbouring cell passes
// `fits`; nullptr when there is none.
template <typename Fits>
const Direction* heldWayTo(double cellIndex, Fits fits) {
    for (const Direction& d : kDirections) {
        if (isKeyDown(d.key) != 0 && fits(cellIndex + neighbourOffset(d.dir))) return &d;
    }
    return nullptr;
}

struct Pixel {
    double x, y;
};

// The bug starts its step from its cell into the neighbour in direction d (BugAnimation walks
// it there) with the sound of what it steps onto. Returns the neighbour's top-left pixel.
Pixel stepInto(double cellIndex, const Direction& d, double sound) {
    GameGlobals& g = game;
    numAt(g.mapGrid, cellIndex) = kEmpty;
    numAt(g.mapGrid, cellIndex + neighbourOffset(d.dir)) = kBug;
    g.bugDir = d.dir;
    g.bugFacing = 0;
    playSound(sound);
    return {g.bugX + stepOf(d.dir).dx * kCellSize, g.bugY + stepOf(d.dir).dy * kCellSize};
}

// A blast cleared the bug's cell, or a baddy is stepping into it.
void loseLife() {
    GameGlobals& g = game;
    g.bugStep = 1;
    g.bugDir = 0;
    g.bugFacing = 0;
    g.bugDead = 1;
    // The flashing bomb marks the place and goes off there; a pending fuse keeps counting.
    g.spikeyX = g.bugX;
    g.spikeyY = g.bugY;
    playSound(kSoundLifeLost);
}

// Everything is collected: the bug leaves the maze and the score enters the table.
void finishLevel(double cellIndex) {
    GameGlobals& g = game;
    numAt(g.mapGrid, cellIndex) = kEmpty;
    g.bugStep = 1;
    g.levelDone = 1;
    g.bugFacing = g.bugDir;
    g.endVoice = playSound(kSoundLevelDone);
    const int place = highscorePlace();
    WriteHighscore();
    // Scores and names are one table in two files: they are replaced together or not at all.
    beginSaveGroup();
    SaveHsData();
    MakeNsData();
    SaveNsData();
    commitSaveGroup();
    sessionLevelFinished(truncToInt(g.level), textCString(g.playerName), scoreText(g.score), place);
}

// A bomb can only be laid while standing, facing somewhere, with one in stock and none ticking.
bool layBomb() {
    GameGlobals& g = game;
    const bool wanted = isKeyDown(kKeySpace) != 0 || isKeyDown(kKeyLeftCtrl) != 0;
    if (!wanted || g.bugFacing < 1 || g.bombStock <= 0 || g.spikeyArmed != 0) return false;
    g.bombStock -= 1;
    g.spikeyArmed = 1;
    g.spikeyX = g.bugX;
    g.spikeyY = g.bugY;
    playSound(kSoundSetMine);
    return true;
}

// What a pick-up gives: its score, a bomb for the stock or one pick-up less to go, and the
// one-shot animation that starts in its cell.
void takePickUp(double item, Pixel cell) {
    GameGlobals& g = game;
    if (item == kSpikeyBomb) {
        g.shrinkX = cell.x;
        g.shrinkY = cell.y;
        g.score += kScoreSpikeyBomb;
        g.bombStock += 1;
    } else if (item == kFlower) {
        g.blumeX = cell.x;
        g.blumeY = cell.y;
        g.score += kScoreFlower;
        g.pickupsLeft -= 1;
    } else {
        g.kleeX = cell.x;
        g.kleeY = cell.y;
        g.score += kScoreClover;
        g.pickupsLeft -= 1;
    }
}

double pickUpSound(double item) {
    return item == kSpikeyBomb ? kSoundBombPickUp : item == kFlower ? kSoundFlower : kSoundClover;
}

}  // namespace

void ScanBug() {
    GameGlobals& g = game;
    if (g.bugStep > 0) return;  // walking, dead or finished

    const double cellIndex = g.bugX / kCellSize + (g.bugY / kCellSize) * kGridColumns;
    const double here = numAt(g.mapGrid, cellIndex);
    if (here == kEmpty || here == kReserved) {
        loseLife();
        return;
    }
    if (g.pickupsLeft == 0) {
        finishLevel(cellIndex);
        return;
    }

    // Fruit comes before everything else, even a held Space.
    auto fruit = [&](double n) { return numAt(g.mapGrid, n) == kFruit; };
    if (const Direction* d = heldWayTo(cellIndex, fruit)) {
        const Pixel cell = stepInto(cellIndex, *d, kSoundTake);
        g.takeX = cell.x;
        g.takeY = cell.y;
        g.score += kScoreFruit;
        g.fruitShown = 0;
        return;
    }

    if (layBomb()) return;

    // Every pick-up pass is tried in all four directions before any plain step.
    for (double item : {kSpikeyBomb, kFlower, kClover}) {
        auto pickUp = [&](double n) {
            return numAt(g.itemGrid, n) == item && numAt(g.mapGrid, n) == kEmpty;
        };
        if (const Direction* d = heldWayTo(cellIndex, pickUp)) {
            numAt(g.itemGrid, cellIndex + neighbourOffset(d->dir)) = 0;
            takePickUp(item, stepInto(cellIndex, *d, pickUpSound(item)));
            return;
        }
    }

    auto empty = [&](double n) { return numAt(g.mapGrid, n) == kEmpty; };
    if (const Direction* d = heldWayTo(cellIndex, empty)) {
        stepInto(cellIndex, *d, kSoundStep);
        return;
    }

    // Nothing to do: stand, facing the way of the last step.
    g.bugFacing = g.bugDir;
}

void BugAnimation() {
    GameGlobals& g = game;
    if (g.bugFacing == 1 || g.bugFacing == 2 || g.bugFacing == 3 || g.bugFacing == 4) {
        drawSpriteFrame(g.bugFacing, 0, g.bugX, g.bugY);
        return;
    }
    const DirectionStep step = stepOf(g.bugDir);
    if (step.dx == 0 && step.dy == 0) return;  // dead: nothing is drawn any more
    g.bugX += step.dx;
    g.bugY += step.dy;
    drawSpriteFrame(g.bugDir, g.bugFrame, g.bugX, g.bugY);
    if (g.bugFrame + 1 < kStepFrames) {
        g.bugStep += 1;
        g.bugFrame += 1;
    } else {
        g.bugFrame = 0;
        g.bugStep = 0;
    }
}
