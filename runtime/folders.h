// The two folders the game's files live in. The data folder holds what the game only reads (the
// packed media, the start-up font, the levels and the default save files); the player folder holds
// what it writes (profile, name and score files, screenshots, settings). Both are absolute and end
// in '/'; an empty folder means the current folder.
#pragma once

#include <string>

void setDataFolder(const std::string& folder);
void setPlayerFolder(const std::string& folder);

const std::string& dataFolder();
const std::string& playerFolder();
