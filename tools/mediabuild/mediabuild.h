// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The whole media build: reads the art, font and sound sources of the assets folder and writes
// every PNG and WAV file the game loads, plus the start-up font bitmap.
#pragma once

#include <string>
#include <vector>

namespace media {

class ArtBook;

// The pixel art of assets/sprites: the palette and every named grid.
bool loadArt(const std::string& assets, ArtBook& art, std::string& error);

// Sound files of the game in slot order 1..11.
const std::vector<std::string>& soundNames();

struct BuildResult {
    std::vector<std::string> written;  // paths of the files written
    std::string error;                 // empty on success
};

// assets: the folder with sprites/, fonts/ and sounds/. mediaOut: folder for the PNG and WAV
// files. startupFont: path of the start-up font bitmap.
BuildResult buildAll(const std::string& assets, const std::string& mediaOut,
                     const std::string& startupFont);

// A contact sheet of every strip (enlarged), both fonts and the menu picture, for reviewing.
bool buildContactSheet(const std::string& assets, const std::string& out, std::string& error);

// The program's icon: the bug facing right, enlarged without smoothing to size x size pixels on a
// transparent ground. size must be a multiple of 16.
bool buildIcon(const std::string& assets, int size, const std::string& out, std::string& error);

}  // namespace media
