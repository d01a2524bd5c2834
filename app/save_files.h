// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The files a game keeps in the player folder, made from the defaults when they are missing.
#pragma once

struct SaveFileDefault {
    const char* name;  // relative name, as the game opens it ("Maps/Data.bin")
    long size;         // the size the game reads; a default of another size gives zero bytes
};

// Makes every listed file that the player folder lacks: a copy of the data folder's file of that
// name when it has at least `size` bytes, else `size` zero bytes. A file that is present, even a
// damaged one, is left alone (the game's own read then reports it). What was made is said in one
// line on standard error, except on the first run (when every file was missing); a file that
// cannot be made is reported and skipped (the game then reads the data folder's default).
void prepareSaveFiles(const SaveFileDefault* files, int count);
