// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// One running program per player folder: two programs saving into the same folder would each
// write back their own stale copy of a saved table over the other's, and one reading a
// save file while the other writes it would stop with a failed transfer.
#pragma once

#include <string>

// Takes the player folder (runtime/folders.h) for this process: an exclusive lock on the file
// ".tovrik-lock" in it, held until the program ends; then finishes a save a killed process left
// half done (runtime/save_group.h). Call it once the folders are known and before any save file
// is touched.
//
// False, with a line on standard error naming the folder, when another running program holds
// it, or when something that is not a regular file (a folder, a FIFO, a link, even a dangling
// one) stands in the lock's place: the caller ends at once (status 1) without touching anything.
// A folder that cannot be locked (missing, read-only, a file system without locks) is said on
// standard error and the program goes on unguarded (and leaves other writers' side files alone).
// `problem`, when given, receives the reason in one sentence for a message box.
bool claimPlayerFolder(std::string* problem = nullptr);
