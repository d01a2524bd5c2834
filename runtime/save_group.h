// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Saves that belong together, such as one table kept in two files: either every file of
// the group is replaced or none is, even when the process is killed or the disk fills up.
//
// Between beginSaveGroup and commitSaveGroup, closing a writing channel completes its side file
// on disk but leaves it waiting (its target stays locked, the old file in place). commitSaveGroup
// first writes an intent journal naming every waiting side file and its target into the player
// folder (replaced whole, so it exists complete or not at all), then renames the side files over
// their targets and removes the journal. A process killed before the journal exists leaves every
// old file; one killed after it leaves a journal that finishInterruptedSaves, run at start-up
// before any save file is read, carries out. A failed commit before the journal exists is runtime
// error 3 with every old file kept. A runtime-error stop drops an open group; a normal end
// commits it.
#pragma once

#include <string>

void beginSaveGroup();
void commitSaveGroup();

// Completes the renames of a group that a killed process had committed to. Says on standard
// error what it could not finish (the journal then stays for the next start).
void finishInterruptedSaves();

// The journal's place: ".tovrik-journal" in the player folder.
std::string saveJournalPath();
