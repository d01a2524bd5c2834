// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The title menu, name entry and the high-score table.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"
#include "game/trace.h"

#include "app/session.h"
#include "devices/input.h"
#include "graphics/backgrounds.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/present.h"
#include "runtime/convert.h"
#include "runtime/lifecycle.h"

using namespace crumlet;

namespace {

const char* const kMenuPicture = "Media/Bild.png";

// The menu's pace: a frame of the menu, of name entry and of the high-score table lasts at least
// this long (on top of the frame's own pacing), and a level starts after a short pause.
constexpr double kMenuFrameMs = 35;
constexpr double kTypingFrameMs = 50;
constexpr double kScoreTableFrameMs = 50;
constexpr double kLevelStartMs = 25;
// Left or Right held for this many menu frames changes the level by one.
constexpr double kLevelKeyRepeatFrames = 4;
// The cursor box: an animation of this many frames, and a slide of this many pixels a frame
// (the rows are 16 apart, so a slide also takes one animation).
constexpr double kBoxFrames = 8;
constexpr double kBoxSlidePixels = 2;

// The menu texts; name entry shows the first six (everything but the credit line).
void drawMenuTexts(bool withCredit) {
    GameGlobals& g = game;
    drawText(TextValue("CRUMLET DEMO"), kMenuLeft, 16);  // the title, and the line below it
    drawText(g.formationText, 32, 32);
    drawText(charsPlusNumber("LEVELS ", g.level), kMenuLeft, kMenuRowLevels);
    drawText(charsPlusText("PLAYER ", g.playerName), kMenuLeft, kMenuRowPlayer);
    drawText(TextValue("HSCORE "), kMenuLeft, kMenuRowScores);
    drawText(TextValue("GOHOME "), kMenuLeft, kMenuRowHome);
    if (withCredit) drawText(TextValue("MADE WITH TOVRIK"), 22, 224);
}

}  // namespace

void MainMenu() {
    GameGlobals& g = game;
    loadBackground(TextValue(kMenuPicture));
    selectFont(kFontMenu);
    for (;;) {
        drawMenuTexts(true);
        BoxAnimation();

        // The first rule that applies is carried out. The Return rules test exact resting
        // positions, so Return, Left and Right do nothing while the box slides.
        if (isKeyDown(kKeyDown) != 0 && g.boxY < kMenuRowHome && g.boxMode == 0) {
            g.boxMode = 1;
            g.boxFrame = 0;
        } else if (isKeyDown(kKeyUp) != 0 && g.boxY > kMenuRowLevels && g.boxMode == 0) {
            g.boxMode = 2;
            g.boxFrame = 0;
        } else if (isKeyDown(kKeyRight) != 0 && g.boxY == kMenuRowLevels && g.level < g.lastLevel) {
            g.keyRepeat += 1;
            if (g.keyRepeat == kLevelKeyRepeatFrames) {
                g.keyRepeat = 0;
                g.level += 1;
            }
        } else if (isKeyDown(kKeyLeft) != 0 && g.boxY == kMenuRowLevels && g.level > 1) {
            g.keyRepeat += 1;
            if (g.keyRepeat == kLevelKeyRepeatFrames) {
                g.keyRepeat = 0;
                g.level -= 1;
            }
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowPlayer) {
            TypeName();
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowLevels) {
            sleepMs(kLevelStartMs);
            DataInit();
            LoadMaps();
            sessionLevelStarted(truncToInt(g.level),
                                levelContentHash(g.mapGrid, g.itemGrid, g.junctionGrid));
            FindBug();
            clearFrame();  // also drops the menu picture: the level is drawn on an empty screen
            MainGame();
            loadBackground(TextValue(kMenuPicture));
            selectFont(kFontMenu);  // the status line left font 1 selected
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowScores) {
            ShowHighScore();
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowHome) {
            break;
        }
        presentFrame();
        sleepMs(kMenuFrameMs);
    }

    // Go home: the name typed during this run becomes the stored profile.
    playerCodesFromName();
    SavePlayer();
}

void TypeName() {
    GameGlobals& g = game;
    g.playerName = TextValue("");  // choosing the entry always erases the old name
    for (;;) {
        if (isKeyDown(kKeySpace) != 0) return;
        drawMenuTexts(false);
        BoxAnimation();
        g.typedChar = readTypedChar();
        if (textGreaterEqualChars(g.typedChar, "a") != 0 &&
            textLessEqualChars(g.typedChar, "z") != 0 && textLength(g.playerName) < kNameLetters) {
            g.playerName += g.typedChar;
        } else if (isKeyDown(kKeyBackspace) != 0 || isKeyDown(kKeyTab) != 0) {
            // Backspace clears the whole name, not one letter.
            g.playerName = TextValue("");
            g.typedChar = TextValue("");
        }
        presentFrame();
        sleepMs(kTypingFrameMs);
    }
}

int highscorePlace() {
    GameGlobals& g = game;
    double base = (g.level - 1) * kScoresPerLevel;
    // The first entry strictly below the new score is where it goes, so a tie stays below the
    // score that was there first.
    for (int c = 0; c < kScoresPerLevel; ++c) {
        if (numAt(g.hiScores, base + c) < g.score) return c + 1;
    }
    return 0;
}

void WriteHighscore() {
    GameGlobals& g = game;
    double base = (g.level - 1) * kScoresPerLevel;
    double insertAt = highscorePlace() - 1;
    if (insertAt < 0) return;
    // The entries from there on move down one place; the last drops out.
    const double moved = kScoresPerLevel - 1 - insertAt;
    if (moved > 0) {
        for (double k = 0; k < moved; ++k) {
            numAt(g.tmpScores, k) = numAt(g.hiScores, base + insertAt + k);
            textAt(g.tmpNames, k) = textAt(g.hiNames, base + insertAt + k);
        }
        for (double k = 0; k < moved; ++k) {
            numAt(g.hiScores, base + insertAt + 1 + k) = numAt(g.tmpScores, k);
            textAt(g.hiNames, base + insertAt + 1 + k) = textAt(g.tmpNames, k);
        }
    }
    numAt(g.hiScores, base + insertAt) = g.score;
    textAt(g.hiNames, base + insertAt) = g.playerName;
}

void ShowHighScore() {
    GameGlobals& g = game;
    double base = (g.level - 1) * kScoresPerLevel;
    // The table: its title, then a row of 16 pixels from y = 32 for each place, with columns for
    // the place, the name and the score; the hint at the bottom.
    const double top = 32, rowHeight = 16, placeX = 48, nameX = 80, scoreX = 224;
    for (;;) {
        drawText(TextValue("HIGHSCORE"), 88, 0);
        for (double k = 0; k < kScoresPerLevel; ++k) {
            drawText(numberPlusChars(k + 1, "."), placeX, top + rowHeight * k);
        }
        for (double k = 0; k < kScoresPerLevel; ++k) {
            textAt(g.showNames, k) = textAt(g.hiNames, base + k);
        }
        for (double k = 0; k < kScoresPerLevel; ++k) {
            drawText(textAt(g.showNames, k), nameX, top + rowHeight * k);
        }
        for (double k = 0; k < kScoresPerLevel; ++k) {
            drawNumber(numAt(g.hiScores, base + k), scoreX, top + rowHeight * k);
        }
        drawText(TextValue("PRESS SPACE BAR"), 40, 222);
        presentFrame();
        if (isKeyDown(kKeySpace) != 0) return;
        sleepMs(kScoreTableFrameMs);
    }
}

void BoxAnimation() {
    GameGlobals& g = game;
    if (g.boxMode == 0) {
        drawSpriteFrame(kSpriteBox, g.boxFrame, g.boxX, g.boxY);
        g.boxFrame += 1;
        if (g.boxFrame == kBoxFrames) g.boxFrame = 0;
    } else if (g.boxMode == 1 || g.boxMode == 2) {
        g.boxY += g.boxMode == 1 ? kBoxSlidePixels : -kBoxSlidePixels;
        drawSpriteFrame(kSpriteBox, g.boxFrame, g.boxX, g.boxY);
        g.boxFrame += 1;
        if (g.boxFrame == kBoxFrames) {
            g.boxFrame = 0;
            g.boxMode = 0;
        }
    }
}
