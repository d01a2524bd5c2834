// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Players' level packs at start-up (docs/levels.md): checking a pack on its own, and getting one
// ready to play, compiled into the player folder with tables of its own.
#pragma once

#include <string>

// A pack made ready for this run. Its names are relative to the player folder, in the form the
// game opens its files.
struct ReadyPack {
    std::string mapsFolder;  // "./packs/<id>/Maps/": the compiled levels and the pack's tables
    int levelCount = 0;
    std::string title;
    std::string failure;  // when it could not be readied: what standard error was told
};

// --check-levels: loads the pack in `folder` (relative to the current folder) and prints on
// standard output the pack's own problems, then one verdict line per level ("<file>: ok" with the
// checker's figures, or "<file>: refused" followed by its problems as file:line:column: reason).
// Returns the exit status: 0 when the whole pack is good, 1 otherwise.
int checkLevelsCommand(const std::string& folder);

// Gets the pack `choice` ready: a folder (relative to `relativeTo`, the current folder when
// empty), or the name of a folder in <player folder>/levels/. It is loaded and checked; then its
// levels are compiled into <player folder>/packs/<id>/Maps/ (never into the pack) and its profile,
// names and scores are made there when missing, the profile from the player's own. Returns 0 when
// ready; 2 after a refused pack (every problem on standard error as file:line:column: reason); 1
// when the player folder cannot take the compiled levels.
int readyLevelPack(const std::string& choice, const std::string& relativeTo, ReadyPack& out);
