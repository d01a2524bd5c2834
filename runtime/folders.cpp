// The data folder and the player folder, as chosen at start-up.
#include "runtime/folders.h"

namespace {

std::string dataDir;
std::string playerDir;

std::string withSlash(const std::string& folder) {
    if (folder.empty() || folder.back() == '/') return folder;
    return folder + '/';
}

}  // namespace

void setDataFolder(const std::string& folder) { dataDir = withSlash(folder); }
void setPlayerFolder(const std::string& folder) { playerDir = withSlash(folder); }

const std::string& dataFolder() { return dataDir; }
const std::string& playerFolder() { return playerDir; }
