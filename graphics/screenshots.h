// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Screenshots: the logical screen written as a PNG file, by name (the scripted driver) or as the
// next free numbered file in the player folder (F12).
#pragma once

#include <string>

// Writes the logical screen as a PNG file; 1 when written, 0 otherwise.
double saveScreenshot(const char* path);
// Writes the logical screen as the next free Screenshots/shotNNNN.png in the player folder, making
// the folder when it is missing; 1 when written, 0 otherwise (also when all 9999 names are taken).
double saveNumberedScreenshot();
// The first of folder/shot0001.png ... folder/shot9999.png that does not exist; empty when all
// do.
std::string nextScreenshotName(const std::string& folder);
