// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The two folders the game's files live in. The data folder holds what the game only reads (the
// packed media, the start-up font, the levels and the default save files); the player folder holds
// what it writes (the saves, screenshots, settings). Both are absolute and end
// in '/'; an empty folder means the current folder.
//
// Every relative file name of the runtime's file layer goes through them: it is read from the
// player folder when the file is there and from the data folder otherwise, and it is always
// written into the player folder. Absolute names are used as they are.
#pragma once

#include <string>

void setDataFolder(const std::string& folder);
void setPlayerFolder(const std::string& folder);

const std::string& dataFolder();
const std::string& playerFolder();

// The system path (every '\' turned into '/') a file name is read from. False, `out` untouched,
// when the name is 1024 characters or longer.
bool pathForReading(const char* name, std::string& out);
// The system path a file name is written to: a relative name always lands in the player folder.
// With makeFolders the folders on the way inside the player folder (Maps/) are made when missing.
// False (errno ELOOP) when a folder on the way inside the player folder, or the file itself, is a
// symbolic link: a relative name never writes outside the player folder.
bool pathForWriting(const char* name, std::string& out, bool makeFolders = true);
