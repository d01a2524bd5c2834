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

// The menu texts; name entry shows the first six (everything but the credit line).
void drawMenuTexts(bool withCredit) {
    GameGlobals& g = game;
    drawText(TextValue("CRUMLET DEMO"), kMenuLeft, 16);
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
        } else if (isKeyDown(kKeyRight) != 0 && g.boxY == kMenuRowLevels && g.level < kLastLevel) {
            g.keyRepeat += 1;
            if (g.keyRepeat == 4) {
                g.keyRepeat = 0;
                g.level += 1;
            }
        } else if (isKeyDown(kKeyLeft) != 0 && g.boxY == kMenuRowLevels && g.level > 1) {
            g.keyRepeat += 1;
            if (g.keyRepeat == 4) {
                g.keyRepeat = 0;
                g.level -= 1;
            }
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowPlayer) {
            TypeName();
        } else if (isKeyDown(kKeyReturn) != 0 && g.boxY == kMenuRowLevels) {
            sleepMs(25);
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
        sleepMs(35);
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
            textLessEqualChars(g.typedChar, "z") != 0 && textLength(g.playerName) < 8) {
            g.playerName += g.typedChar;
        } else if (isKeyDown(kKeyBackspace) != 0 || isKeyDown(kKeyTab) != 0) {
            // Backspace clears the whole name, not one letter.
            g.playerName = TextValue("");
            g.typedChar = TextValue("");
        }
        presentFrame();
        sleepMs(50);
    }
}

int highscorePlace() {
    GameGlobals& g = game;
    double base = (g.level - 1) * 8;
    // The first entry strictly below the new score is where it goes, so a tie stays below the
    // score that was there first.
    for (int c = 0; c <= 7; ++c) {
        if (numAt(g.hiScores, base + c) < g.score) return c + 1;
    }
    return 0;
}

void WriteHighscore() {
    GameGlobals& g = game;
    double base = (g.level - 1) * 8;
    double insertAt = highscorePlace() - 1;
    if (insertAt < 0) return;
    if (insertAt < 7) {
        for (double k = 0; k <= 6 - insertAt; ++k) {
            numAt(g.tmpScores, k) = numAt(g.hiScores, base + insertAt + k);
            textAt(g.tmpNames, k) = textAt(g.hiNames, base + insertAt + k);
        }
        for (double k = 0; k <= 6 - insertAt; ++k) {
            numAt(g.hiScores, base + insertAt + 1 + k) = numAt(g.tmpScores, k);
            textAt(g.hiNames, base + insertAt + 1 + k) = textAt(g.tmpNames, k);
        }
    }
    numAt(g.hiScores, base + insertAt) = g.score;
    textAt(g.hiNames, base + insertAt) = g.playerName;
}

void ShowHighScore() {
    GameGlobals& g = game;
    double base = (g.level - 1) * 8;
    for (;;) {
        drawText(TextValue("HIGHSCORE"), 88, 0);
        for (double r = 1; r <= 8; ++r) drawText(numberPlusChars(r, "."), 48, 32 + 16 * (r - 1));
        for (double k = 0; k <= 7; ++k) textAt(g.showNames, k) = textAt(g.hiNames, base + k);
        for (double k = 0; k <= 7; ++k) drawText(textAt(g.showNames, k), 80, 32 + 16 * k);
        for (double k = 0; k <= 7; ++k) drawNumber(numAt(g.hiScores, base + k), 224, 32 + 16 * k);
        drawText(TextValue("PRESS SPACE BAR"), 40, 222);
        presentFrame();
        if (isKeyDown(kKeySpace) != 0) return;
        sleepMs(50);
    }
}

void BoxAnimation() {
    GameGlobals& g = game;
    if (g.boxMode == 0) {
        drawSpriteFrame(kSpriteBox, g.boxFrame, g.boxX, g.boxY);
        g.boxFrame += 1;
        if (g.boxFrame == 8) g.boxFrame = 0;
    } else if (g.boxMode == 1 || g.boxMode == 2) {
        g.boxY += g.boxMode == 1 ? 2 : -2;
        drawSpriteFrame(kSpriteBox, g.boxFrame, g.boxX, g.boxY);
        g.boxFrame += 1;
        if (g.boxFrame == 8) {
            g.boxFrame = 0;
            g.boxMode = 0;
        }
    }
}
