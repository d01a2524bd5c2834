// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screenshots: the logical screen written as a PNG file, by name (the scripted driver) or as the
// next free numbered file in the player folder (F12).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the logical screen as a PNG file; 1 when written, 0 otherwise.
double saveScreenshot(const char* path);
// Writes the logical screen as the next free Screenshots/shotNNNN.png in the player folder, making
// the folder when it is missing; 1 when written, 0 otherwise (also when all 9999 names are taken).
double saveNumberedScreenshot();
// Puts PNG bytes there: a new file created exclusively, neither it nor Screenshots/ reached
// through a link (a name held by anything, even a dangling link, is skipped; a Screenshots that is
// a link or no folder is refused). False when nothing was written; else `placed` names the file.
bool placeNumberedScreenshot(const std::vector<uint8_t>& png, std::string& placed);
