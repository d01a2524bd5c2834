// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Game state, level set-up and the game's main routine.
#include "game/constants.h"
#include "game/globals.h"
#include "game/routines.h"

#include "app/session.h"
#include "devices/input.h"
#include "devices/sound.h"
#include "graphics/fonts.h"
#include "graphics/present.h"
#include "graphics/sprites.h"
#include "runtime/archive.h"
#include "runtime/convert.h"
#include "runtime/lifecycle.h"

#include <iterator>

using namespace crumlet;

GameGlobals game;

double& numAt(NumberArray& array, double index) { return numberArrayAt(array, index); }

TextValue& textAt(TextArray& array, double index) { return textArrayAt(array, index); }

void playerNameFromCodes() {
    GameGlobals& g = game;
    // A code of 0 gives the empty text, so a shorter name keeps its length.
    g.playerName = "";
    for (double counter = 0; counter < kNameLetters; ++counter) {
        g.playerName += charFromCode(numAt(g.playerCodes, counter));
    }
}

void playerCodesFromName() {
    GameGlobals& g = game;
    // Past the end of the name the substring is empty and its code 0.
    for (double counter = 0; counter < kNameLetters; ++counter) {
        numAt(g.playerCodes, counter) = charCode(textMid(g.playerName, counter, 1));
    }
}

namespace {

// A name typed in this run is kept however the program ends: through GOHOME (MainMenu saves it),
// or with the window closed, Alt+F4 or SIGTERM from the menu, the name entry or a level. The
// profile is written as GOHOME writes it, and only when the name differs from the stored one.
void keepTypedName() {
    GameGlobals& g = game;
    double stored[static_cast<int>(kNameLetters)];
    for (int i = 0; i < kNameLetters; ++i) stored[i] = numAt(g.playerCodes, i);
    playerCodesFromName();
    for (int i = 0; i < kNameLetters; ++i) {
        if (numAt(g.playerCodes, i) != stored[i]) {
            SavePlayer();
            return;
        }
    }
}

}  // namespace

void dimensionGameArrays() {
    GameGlobals& g = game;
    dimNumberArray(g.formationCodes, 16, 0, 0, 0);
    dimNumberArray(g.playerCodes, kNameLetters, 0, 0, 0);
    dimNumberArray(g.nameCodes, kScoreTableEntries * kNameLetters, 0, 0, 0);
    dimNumberArray(g.hiScores, kScoreTableEntries, 0, 0, 0);
    dimTextArray(g.hiNames, kScoreTableEntries, 0, 0, 0);
    dimTextArray(g.tmpNames, kScoresPerLevel, 0, 0, 0);
    dimTextArray(g.showNames, kScoresPerLevel, 0, 0, 0);
    dimNumberArray(g.tmpScores, kScoresPerLevel, 0, 0, 0);
    dimNumberArray(g.mapGrid, kGridCells, 0, 0, 0);
    dimNumberArray(g.itemGrid, kGridCells, 0, 0, 0);
    dimNumberArray(g.junctionGrid, kGridCells, 0, 0, 0);
    dimNumberArray(g.baddyFrame, kGridCells, 0, 0, 0);
    dimNumberArray(g.baddyY, kGridCells, 0, 0, 0);
    dimNumberArray(g.baddyX, kGridCells, 0, 0, 0);
    dimNumberArray(g.baddyState, kGridCells, 0, 0, 0);
    dimNumberArray(g.fireDelay, kFireSlots, 0, 0, 0);
    dimNumberArray(g.fireFrame, kFireSlots, 0, 0, 0);
    dimNumberArray(g.fireY, kFireSlots, 0, 0, 0);
    dimNumberArray(g.fireX, kFireSlots, 0, 0, 0);
}

void startMenuState() {
    GameGlobals& g = game;
    g.level = 1;
    g.boxX = kMenuLeft;
    g.boxY = kMenuRowLevels;
    g.boxFrame = 0;
    g.boxMode = 0;
    g.keyRepeat = 0;
}

void DataInit() {
    GameGlobals& g = game;
    g.bugX = g.bugY = g.bugStep = g.bugFrame = g.bugDir = g.bugFacing = g.bugDead = 0;
    g.score = g.pickupsLeft = g.bombStock = g.levelDone = g.endVoice = g.baddyTick = 0;
    g.spikeyTimer = g.spikeyArmed = g.spikeyFrame = g.spikeyX = g.spikeyY = 0;
    g.expFrame = g.expX = g.expY = 0;
    g.fruitShown = g.fruitFrame = g.fruitX = g.fruitY = 0;
    g.kleeFrame = g.kleeX = g.kleeY = 0;
    g.blumeFrame = g.blumeX = g.blumeY = 0;
    g.shrinkFrame = g.shrinkX = g.shrinkY = 0;
    g.takeFrame = g.takeX = g.takeY = 0;
    g.flowerTileFrame = g.bombTileFrame = 0;
    for (double slot = 0; slot < kFireSlots; ++slot) {
        numAt(g.fireX, slot) = 0;
        numAt(g.fireY, slot) = 0;
        numAt(g.fireFrame, slot) = 0;
        numAt(g.fireDelay, slot) = 0;
    }
    for (double cell = 0; cell < kGridCells; ++cell) {
        numAt(g.baddyState, cell) = 0;
        numAt(g.baddyX, cell) = 0;
        numAt(g.baddyY, cell) = 0;
        numAt(g.baddyFrame, cell) = 0;
    }
}

void FindBug() {
    GameGlobals& g = game;
    // Only the inner playfield is searched; every bug cell counts as one more pick-up, which is
    // why a level is finished only when the bug stands on a cell with nothing left to collect.
    for (double cellY = 1; cellY <= kScreenRows - 2; ++cellY) {
        for (double cellX = 1; cellX <= kScreenColumns - 2; ++cellX) {
            double cellIndex = cellX + cellY * kGridColumns;
            if (numAt(g.mapGrid, cellIndex) == kBug) {
                g.bugDir = kRight;
                g.bugX = cellX * kCellSize;
                g.bugY = cellY * kCellSize;
                g.pickupsLeft += 1;
            } else {
                double item = numAt(g.itemGrid, cellIndex);
                if (item == kClover || item == kFlower) g.pickupsLeft += 1;
            }
        }
    }
}

void Formation() {
    GameGlobals& g = game;
    // "A BUG IN A MAZE!" as offsets from code 64 (capital A is 1, the blank -32, '!' -31).
    static const double codes[16] = {1, -32, 2, 21, 7, -32, 9, 14, -32, 1, -32, 13, 1, 26, 5, -31};
    for (int i = 0; i < 16; ++i) numAt(g.formationCodes, i) = codes[i];
    for (double counter = 0; counter <= 15; ++counter) {
        g.formationText += charFromCode(numAt(g.formationCodes, counter) + 64);
    }
}

namespace {

// Slot n of the sprite table is loaded from kSpriteFiles[n] (the kSprite... numbers of
// constants.h), sound slot n from kSoundFiles[n - 1] (the kSound... numbers).
const char* const kSpriteFiles[] = {
    "Media/Tiles1.png",     "Media/BugR.png",        "Media/BugL.png",    "Media/BugU.png",
    "Media/BugD.png",       "Media/Baddy.png",       "Media/Wuschel.png", "Media/Sternchen.png",
    "Media/SpikeyBall.png", "Media/FruitStrip.png",  "Media/Blume.png",   "Media/Disappear.png",
    "Media/Shrink.png",     "Media/FlushSpikey.png", "Media/Explos.png",  "Media/TakeStrip.png",
    "Media/FireStrip.png",  "Media/BoxStrip.png",
};

struct SoundFile {
    const char* file;
    double voices;
};

const SoundFile kSoundFiles[] = {
    {"Media/Suck.wav", 1},     {"Media/Caim.wav", 2},    {"Media/Move.wav", 1},
    {"Media/Bomb.wav", 1},     {"Media/SetMine.wav", 1}, {"Media/Explos.wav", 1},
    {"Media/LifeLost.wav", 1}, {"Media/Fruit.wav", 1},   {"Media/Take.wav", 1},
    {"Media/FruitEat.wav", 2}, {"Media/Fertig.wav", 1},
};
static_assert(std::size(kSpriteFiles) == kSpriteBox + 1, "a file for every sprite slot");
static_assert(std::size(kSoundFiles) == kSoundLevelDone, "a file for every sound slot");

}  // namespace

void GameMain() {
    setEscapeEnds(0);  // Escape leaves a level; it must not end the program
    setMediaArchives(TextValue("Media.kql"), TextValue(""));
    dimensionGameArrays();

    loadFontImage(TextValue("Media/xFont.png"), kFontStatus);
    loadFontImage(TextValue("Media/zFont.png"), kFontMenu);
    for (int slot = 0; slot < static_cast<int>(std::size(kSpriteFiles)); ++slot) {
        // Every strip has frames of one cell, the menu's cursor box frames of 96 x 16 pixels.
        double frameWidth = slot == kSpriteBox ? 96 : kCellSize;
        loadSpriteStrip(TextValue(kSpriteFiles[slot]), slot, frameWidth, kCellSize);
    }
    for (int slot = 1; slot <= static_cast<int>(std::size(kSoundFiles)); ++slot) {
        loadSoundEffect(TextValue(kSoundFiles[slot - 1].file), slot, kSoundFiles[slot - 1].voices);
    }
    setPointerVisible(0);
    setFrameRateCap(60);

    startMenuState();
    Formation();

    LoadPlayer();
    LoadNsData();
    LoadHsData();
    MakeString();
    playerNameFromCodes();
    // A replay starts with the name its recording started with.
    game.playerName = TextValue(sessionPlayerName(textCString(game.playerName)).c_str());
    setStopSave(keepTypedName);

    MainMenu();
    endProgram();
}
