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

}  // namespace

void ScanBug() {
    GameGlobals& g = game;
    if (g.bugStep > 0) return;  // walking, dead or finished

    double cellX = g.bugX / kCellSize;
    double cellY = g.bugY / kCellSize;
    double cellIndex = cellX + cellY * kGridColumns;
    double here = numAt(g.mapGrid, cellIndex);

    // A blast cleared the bug's cell, or a baddy is stepping into it.
    if (here == kEmpty || here == kReserved) {
        g.bugStep = 1;
        g.bugDir = 0;
        g.bugFacing = 0;
        g.bugDead = 1;
        // The flashing bomb marks the place and goes off there; a pending fuse keeps counting.
        g.spikeyX = g.bugX;
        g.spikeyY = g.bugY;
        playSound(kSoundLifeLost);
        return;
    }

    if (g.pickupsLeft == 0) {
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
        sessionLevelFinished(truncToInt(g.level), textCString(g.playerName), scoreText(g.score),
                             place);
        return;
    }

    // Fruit comes before everything else, even a held Space.
    for (const Direction& d : kDirections) {
        double n = cellIndex + neighbourOffset(d.dir);
        if (isKeyDown(d.key) != 0 && numAt(g.mapGrid, n) == kFruit) {
            numAt(g.mapGrid, cellIndex) = kEmpty;
            numAt(g.mapGrid, n) = kBug;
            g.bugDir = d.dir;
            g.takeX = g.bugX + stepOf(d.dir).dx * kCellSize;
            g.takeY = g.bugY + stepOf(d.dir).dy * kCellSize;
            g.score += 100;
            g.fruitShown = 0;
            g.bugFacing = 0;
            playSound(kSoundTake);
            return;
        }
    }

    // A bomb can only be laid while standing; otherwise the frame goes on to the moves below.
    if ((isKeyDown(kKeySpace) != 0 || isKeyDown(kKeyLeftCtrl) != 0) && g.bugFacing >= 1 &&
        g.bombStock > 0 && g.spikeyArmed == 0) {
        g.bombStock -= 1;
        g.spikeyArmed = 1;
        g.spikeyX = g.bugX;
        g.spikeyY = g.bugY;
        playSound(kSoundSetMine);
        return;
    }

    // Every pick-up pass is tried in all four directions before any plain step.
    const double passes[3] = {kSpikeyBomb, kFlower, kClover};
    for (double item : passes) {
        for (const Direction& d : kDirections) {
            double n = cellIndex + neighbourOffset(d.dir);
            if (isKeyDown(d.key) != 0 && numAt(g.itemGrid, n) == item &&
                numAt(g.mapGrid, n) == kEmpty) {
                numAt(g.itemGrid, n) = 0;
                numAt(g.mapGrid, n) = kBug;
                numAt(g.mapGrid, cellIndex) = kEmpty;
                g.bugDir = d.dir;
                g.bugFacing = 0;
                double x = g.bugX + stepOf(d.dir).dx * kCellSize;
                double y = g.bugY + stepOf(d.dir).dy * kCellSize;
                if (item == kSpikeyBomb) {
                    g.shrinkX = x;
                    g.shrinkY = y;
                    g.score += 2;
                    g.bombStock += 1;
                    playSound(kSoundBombPickUp);
                } else if (item == kFlower) {
                    g.blumeX = x;
                    g.blumeY = y;
                    g.score += 50;
                    g.pickupsLeft -= 1;
                    playSound(kSoundFlower);
                } else {
                    g.kleeX = x;
                    g.kleeY = y;
                    g.score += 5;
                    g.pickupsLeft -= 1;
                    playSound(kSoundClover);
                }
                return;
            }
        }
    }

    for (const Direction& d : kDirections) {
        double n = cellIndex + neighbourOffset(d.dir);
        if (isKeyDown(d.key) != 0 && numAt(g.mapGrid, n) == kEmpty) {
            numAt(g.mapGrid, cellIndex) = kEmpty;
            numAt(g.mapGrid, n) = kBug;
            g.bugDir = d.dir;
            g.bugFacing = 0;
            playSound(kSoundStep);
            return;
        }
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
