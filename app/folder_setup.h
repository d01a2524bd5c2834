// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Where the game's data and the player's own files are: chosen once, before start-up.
#pragma once

#include <string>
#include <vector>

// Sets the data folder and the player folder (runtime/folders.h); relative options are taken
// relative to the current folder.
//
// Data folder: dataDirOption when given; else the installed data folder, found from the program's
// own place (<prefix>/bin/crumlet reads <prefix>/share/crumlet/, wherever the tree was moved);
// else the program's own folder (the run folder of a build tree).
//
// Player folder: saveDirOption when given; else $CRUMLET_SAVE_DIR; else $XDG_DATA_HOME/crumlet;
// else ~/.local/share/crumlet. It is made private to the player (mode 0700) when missing. When it
// cannot be made the reason goes to standard error and the game still starts (a save then fails
// with a message naming the file and the reason).
void chooseFolders(const std::string& dataDirOption, const std::string& saveDirOption);

// Whether the chosen data folder holds the files the game cannot start without (names relative to
// the data folder, such as the media archive and the level files the menu can reach). Empty when
// every one is there; else one line naming the data folder and what is missing from it, for the
// program to end with before it opens a window. A file that goes missing later is the file
// layer's error, as before.
std::string missingDataFiles(const std::vector<std::string>& required);
