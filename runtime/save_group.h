// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Saves that belong together, such as one table kept in two files: either every file of
// the group is replaced or none is, even when the process is killed or the disk fills up.
//
// Between beginSaveGroup and commitSaveGroup, closing a writing channel completes its side file
// on disk but leaves it waiting (its target stays locked, the old file in place). commitSaveGroup
// first writes an intent journal (runtime/save_journal.h) naming every waiting side file and its
// target relative to the player folder, with the new content's checksum (replaced whole, so it
// exists complete or not at all), then renames the side files over their targets and removes the
// journal. Every file of a group must lie in the player folder. A process killed before the
// journal exists leaves every old file; one killed after it leaves a journal that
// finishInterruptedSaves, run at start-up before any save file is read, settles. A commit that
// fails says so on standard error, naming the file and the reason, keeps every old file (or
// leaves the journal to finish the group) and lets the program go on. A runtime-error stop drops
// an open group; a normal end commits it.
#pragma once

#include <string>

void beginSaveGroup();
void commitSaveGroup();

// Settles a journal a killed process left, working only inside the player folder (names are
// resolved on its descriptor, no link followed, so a moved or copied folder settles the same):
// when every file's new content is waiting in its side file or already in place the group is
// rolled forward; when a side file is lost or damaged before any target was replaced it is rolled
// back (side files removed, the old files kept); a journal that is damaged, cut short, not a
// regular file or names anything outside the folder is rolled back without touching a save file.
// Each outcome is one line on standard error naming the journal. A rename that fails keeps the
// journal for the next start. With folderHeld (the caller holds the folder's lock, so no other
// writer lives) the side files killed writers left in the folder and its folders down to three
// levels (packs/<pack>/Maps/) are then removed.
void finishInterruptedSaves(bool folderHeld);

// The journal's place: ".tovrik-journal" in the player folder.
std::string saveJournalPath();
