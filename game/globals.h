// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's whole state: every number the routines share, the three level layers, the baddy
// motion tables, the effect slots, the menu cursor and the persistent names and scores.
//
// Every number is a double, as the game language has no other number type; where one serves as
// an index, slot or byte it is truncated toward zero at the point of use. Arrays are the
// runtime's checked arrays, dimensioned once by GameMain and never resized.
#pragma once

#include <string>

#include "levels/shipped.h"
#include "runtime/arrays.h"
#include "runtime/text.h"

struct GameGlobals {
    // Persistent data and its working copies.
    NumberArray playerCodes;  // 8: the player's name as character codes, 0 beyond its end
    TextValue playerName;     // 0 to 8 lower-case letters
    NumberArray hiScores;     // 800: 8 per level, best first
    TextArray hiNames;        // 800: the name of each hiScores entry
    NumberArray nameCodes;    // 6400: hiNames as codes, 8 per name
    NumberArray tmpScores;    // 8: scratch for WriteHighscore
    TextArray tmpNames;       // 8: scratch for WriteHighscore
    TextArray showNames;      // 8: the names ShowHighScore lists

    // The level set: the shipped levels and tables in Maps/, or a level pack's, compiled into
    // the player folder (set before GameMain; names as the game opens its files).
    std::string mapsFolder = "./Maps/";
    double lastLevel = levels::kShippedLevelCount;

    // Menu state.
    double level = 0;            // 1 to lastLevel
    double boxX = 0, boxY = 0;   // cursor box position
    double boxFrame = 0;         // 0 to 7
    double boxMode = 0;          // 0 still, 1 sliding down, 2 sliding up
    double keyRepeat = 0;        // 0 to 3, divides the level-change speed
    TextValue typedChar;         // the last character read during name entry
    NumberArray formationCodes;  // 16
    TextValue formationText;     // the line under the title

    // The three layers of the running level, 40 x 30 cells each.
    NumberArray mapGrid;       // walls, blocks, bug, fruit, baddies, reservations
    NumberArray itemGrid;      // clovers, flowers, spiky bombs
    NumberArray junctionGrid;  // 5 marks a junction

    // The bug.
    double bugX = 0, bugY = 0, bugStep = 0, bugFrame = 0, bugDir = 0, bugFacing = 0, bugDead = 0;

    // Counters.
    double score = 0, pickupsLeft = 0, bombStock = 0, levelDone = 0, endVoice = 0, baddyTick = 0;

    // The laid spiky bomb, its blast and the fruit.
    double spikeyTimer = 0, spikeyArmed = 0, spikeyFrame = 0, spikeyX = 0, spikeyY = 0;
    double expFrame = 0, expX = 0, expY = 0;
    double fruitShown = 0, fruitFrame = 0, fruitX = 0, fruitY = 0;

    // One-shot effects, active while their y is above 0.
    double kleeFrame = 0, kleeX = 0, kleeY = 0;
    double blumeFrame = 0, blumeX = 0, blumeY = 0;
    double shrinkFrame = 0, shrinkX = 0, shrinkY = 0;
    double takeFrame = 0, takeX = 0, takeY = 0;

    // Shared animation frames of the flower and spiky-bomb tiles.
    double flowerTileFrame = 0, bombTileFrame = 0;

    // Baddy motion, one record per cell, keyed by the cell where the motion began.
    NumberArray baddyState, baddyX, baddyY, baddyFrame;  // 1200 each

    // Fires where a baddy ate the fruit; a slot is free while its fireY is 0.
    NumberArray fireX, fireY, fireFrame, fireDelay;  // 4 each
};

// The one instance, alive from before the program entry until the process ends.
extern GameGlobals game;

// Dimensions every game array (GameMain does it before loading anything); all elements become 0
// or empty.
void dimensionGameArrays();

// The menu as the game starts: level 1 chosen, the cursor box resting still on the levels entry.
void startMenuState();

// Element access through the runtime's index check: an index outside the array stops the
// program with error code 9. The index is truncated toward zero.
double& numAt(NumberArray& array, double index);
TextValue& textAt(TextArray& array, double index);

// The profile's codes as the player's name (start-up) and back (before the profile is saved).
void playerNameFromCodes();
void playerCodesFromName();

// The place (1 to 8) the current score takes in the current level's table, or 0 when it is not
// high enough for one.
int highscorePlace();
