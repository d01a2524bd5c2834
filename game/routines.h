// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The game's routines: plain global routines without arguments or results that work on the
// globals of game/globals.h. FireAt and ExplodeCell alone take a cell's pixel position.
#pragma once

// Start-up and level set-up.
void GameMain();
void DataInit();
void FindBug();
void Formation();

// Level, profile, name and score files (all through file channel 1).
void LoadMaps();
void LoadPlayer();
void SavePlayer();
void LoadNsData();
void SaveNsData();
void LoadHsData();
void SaveHsData();
void MakeString();
void MakeNsData();

// Screens.
void MainMenu();
void TypeName();
void MainGame();
// One frame of a level's world, without the status line and the present: the maze layers are
// drawn, the baddies and the bug decide, the actors and effects move and are drawn, fruit may
// appear.
void LevelFrame();
// "PRESS ESCAPE!" over a level whose bug is dead, and the status line: score and pick-ups left.
void ShowLevelTexts();
void WriteHighscore();
void ShowHighScore();

// Maze drawing.
void ShowMap1();
void ShowMap2();

// The bug and the baddies.
void ScanBug();
void BugAnimation();
void ScanBaddy();
void BaddyAnimation();

// Items and effects.
void RandomFruit();
void FruitAnimation();
void KleeAnimation();
void BlumeAnimation();
void ShrinkAnimation();
void TakeAnimation();
void SpikeyAnimation();
void ExpAnimation();
void ExplodeCell(double x, double y);
void FireAnimation();
void FireAt(double x, double y);
void BoxAnimation();

// Hands the routines without arguments to the runtime's call-by-name table.
void registerGameRoutines();
