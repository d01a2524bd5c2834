// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The baddies: every kStepFrames frames each standing baddy gets an order (a step or a wait), and
// for the next kStepFrames frames the ordered baddies slide one pixel per frame.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"

#include "devices/sound.h"
#include "graphics/drawing.h"
#include "runtime/maths.h"

using namespace crumlet;

namespace {

// A standing baddy's grid code and its heading: kBaddyRight heads kRight, and so on.
double headingOf(double code) { return code - kBaddyRight + kRight; }
double baddyHeading(double dir) { return dir - kRight + kBaddyRight; }

// baddyState of a baddy that waits out a step where it stands (0: standing, 1 to 4: stepping
// that way).
constexpr double kWaiting = -1;

// Draws the baddy of cell i and counts its frame; true after the last frame of its step (or its
// wait), when it stands again.
bool drawAndCountFrame(double i) {
    GameGlobals& g = game;
    drawSpriteFrame(kSpriteBaddy, numAt(g.baddyFrame, i), numAt(g.baddyX, i), numAt(g.baddyY, i));
    numAt(g.baddyFrame, i) += 1;
    if (numAt(g.baddyFrame, i) != kStepFrames) return false;
    numAt(g.baddyFrame, i) = 0;
    numAt(g.baddyState, i) = 0;
    return true;
}

// A finished step: the cell the baddy came from empties, and the one it reached holds it,
// heading the way it went.
void arrive(double i, double dir) {
    GameGlobals& g = game;
    const double reached =
        numAt(g.baddyX, i) / kCellSize + (numAt(g.baddyY, i) / kCellSize) * kGridColumns;
    numAt(g.mapGrid, reached - neighbourOffset(dir)) = kEmpty;
    numAt(g.mapGrid, reached) = baddyHeading(dir);
}

// One decision pass works on a baddy at cell i.
struct Baddy {
    double i;
    double cellX, cellY;

    double at(double dir) const { return numAt(game.mapGrid, i + neighbourOffset(dir)); }
    bool isFree(double dir) const { return at(dir) == kEmpty; }

    void order(double dir) const {
        GameGlobals& g = game;
        numAt(g.mapGrid, i + neighbourOffset(dir)) = kReserved;
        numAt(g.mapGrid, i) = kReserved;
        numAt(g.baddyState, i) = dir;
        numAt(g.baddyX, i) = cellX * kCellSize;
        numAt(g.baddyY, i) = cellY * kCellSize;
    }

    void wait() const {
        GameGlobals& g = game;
        numAt(g.baddyState, i) = kWaiting;
        numAt(g.baddyX, i) = cellX * kCellSize;
        numAt(g.baddyY, i) = cellY * kCellSize;
    }

    // The fruit's cell already holds the reservation from the order.
    void eatFruitAt(double dir) const {
        GameGlobals& g = game;
        const DirectionStep step = stepOf(dir);
        FireAt((cellX + step.dx) * kCellSize, (cellY + step.dy) * kCellSize);
        g.fruitShown = 0;
        playSoundEffect(kSoundFruitEaten, 0, 1);
    }
};

// Junction choices: for each heading, rows of directions that must all be free; the first row
// that fits gives the choices, picked at random.
struct JunctionRow {
    int count;
    double dirs[3];
};

const JunctionRow kJunctionRows[4][4] = {
    // 12, heading right
    {{3, {kRight, kUp, kDown}},
     {2, {kRight, kUp, 0}},
     {2, {kRight, kDown, 0}},
     {2, {kDown, kUp, 0}}},
    // 13, heading left
    {{3, {kLeft, kUp, kDown}}, {2, {kLeft, kUp, 0}}, {2, {kLeft, kDown, 0}}, {2, {kDown, kUp, 0}}},
    // 14, heading up
    {{3, {kUp, kLeft, kRight}},
     {2, {kUp, kRight, 0}},
     {2, {kUp, kLeft, 0}},
     {2, {kRight, kLeft, 0}}},
    // 15, heading down
    {{3, {kDown, kLeft, kRight}},
     {2, {kDown, kRight, 0}},
     {2, {kDown, kLeft, 0}},
     {2, {kRight, kLeft, 0}}},
};

// When the way ahead is blocked: the sides first, then back.
const double kBlockedOrder[4][3] = {
    {kUp, kDown, kLeft},     // 12
    {kUp, kDown, kRight},    // 13
    {kLeft, kRight, kDown},  // 14
    {kLeft, kRight, kUp},    // 15
};

void decide(const Baddy& b, double code) {
    GameGlobals& g = game;
    bool horizontal = code == kBaddyRight || code == kBaddyLeft;
    bool vertical = code == kBaddyUp || code == kBaddyDown;
    // The rules below in their order: the first that applies gives the order.

    // The bug beside the baddy is hunted first.
    if (horizontal && (b.at(kUp) == kBug || b.at(kDown) == kBug)) {
        b.order(b.at(kUp) == kBug ? kUp : kDown);
        return;
    }
    if (vertical && (b.at(kLeft) == kBug || b.at(kRight) == kBug)) {
        b.order(b.at(kLeft) == kBug ? kLeft : kRight);
        return;
    }

    // Then fruit straight ahead.
    double heading = headingOf(code);
    if (b.at(heading) == kFruit) {
        b.order(heading);
        b.eatFruitAt(heading);
        return;
    }

    // Fruit beside a horizontal baddy. This one order leaves the baddy's own cell empty
    // rather than reserved.
    if (horizontal && (b.at(kDown) == kFruit || b.at(kUp) == kFruit)) {
        double dir = b.at(kDown) == kFruit ? kDown : kUp;
        b.order(dir);
        numAt(g.mapGrid, b.i) = kEmpty;
        b.eatFruitAt(dir);
        return;
    }

    // Fruit beside a vertical baddy.
    if (vertical && (b.at(kLeft) == kFruit || b.at(kRight) == kFruit)) {
        double dir = b.at(kLeft) == kFruit ? kLeft : kRight;
        b.order(dir);
        b.eatFruitAt(dir);
        return;
    }

    // A junction; the bug does not count as free here.
    if (numAt(g.junctionGrid, b.i) == kJunction) {
        const JunctionRow* rows = kJunctionRows[static_cast<int>(code - kBaddyRight)];
        for (int r = 0; r < 4; ++r) {
            const JunctionRow& row = rows[r];
            bool allFree = true;
            for (int k = 0; k < row.count; ++k) allFree = allFree && b.isFree(row.dirs[k]);
            if (!allFree) continue;
            double dice = randomInt(row.count - 1) + 1;
            b.order(row.dirs[static_cast<int>(dice) - 1]);
            return;
        }
    }

    // Straight on, into an empty cell or onto the bug (whose cell the reservation takes).
    double ahead = b.at(heading);
    if (ahead == kEmpty || ahead == kBug) {
        b.order(heading);
        return;
    }

    // Blocked ahead: a side, else back, else wait.
    if (ahead > 0) {
        const double* tries = kBlockedOrder[static_cast<int>(code - kBaddyRight)];
        for (int k = 0; k < 3; ++k) {
            if (b.isFree(tries[k])) {
                b.order(tries[k]);
                return;
            }
        }
        b.wait();
    }
}

}  // namespace

void ScanBaddy() {
    GameGlobals& g = game;
    if (g.baddyTick != 0) return;
    // A baddy ordered into a cell later in the scan is not met again: that cell now holds
    // kReserved.
    for (double cellY = 1; cellY < kScreenRows; ++cellY) {
        for (double cellX = 1; cellX < kScreenColumns; ++cellX) {
            double cellIndex = cellX + cellY * kGridColumns;
            double code = numAt(g.mapGrid, cellIndex);
            if (code < kBaddyRight || code > kBaddyDown) continue;
            decide(Baddy{cellIndex, cellX, cellY}, code);
        }
    }
}

void BaddyAnimation() {
    GameGlobals& g = game;
    // From the first cell of row 1 to the first cell of the last row.
    for (double i = kGridColumns; i <= kGridCells - kGridColumns; ++i) {
        const double state = numAt(g.baddyState, i);
        if (state == kWaiting) {
            drawAndCountFrame(i);
        } else if (state >= kRight && state <= kDown) {
            numAt(g.baddyX, i) += stepOf(state).dx;
            numAt(g.baddyY, i) += stepOf(state).dy;
            if (drawAndCountFrame(i)) arrive(i, state);
        }
    }
}
