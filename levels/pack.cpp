// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Loading a level pack: the folder's listing, pack.ini, the legend, then every level compiled and
// checked.
#include "levels/pack.h"

#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace levels {

namespace {

// More entries than this in a pack folder is not a pack; the listing stops there.
constexpr int kMaxFolderEntries = 10000;
// The checker's search steps for a whole pack: a pack of levels each made to take the longest
// search is refused within seconds, not after many minutes. Real levels take a small part of a
// level's own limit.
constexpr int kPackSearchLimit = 5 * kSearchLimit;
// What every level gets even when the pack's steps are spent: plenty for a level without blocks.
constexpr int kLevelSearchFloor = 1000;
// pack.ini values longer than this are a mistake, not a title.
constexpr size_t kMaxValueLength = 200;

std::string trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// A piece of a file as a message quotes it: at most 40 bytes, a tab or other control character
// as '?', so every message stays one line of text.
std::string quotedPiece(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 40)) out += (c >= 0 && c < 32) || c == 127 ? '?' : c;
    return "'" + out + (text.size() > 40 ? "...'" : "'");
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

// The file name of level n as packs write it: 01.txt ... 99.txt, 100.txt.
std::string levelFileName(int n) {
    char name[16];
    std::snprintf(name, sizeof name, "%02d.txt", n);
    return name;
}

// The level number of a file name of one to three digits and ".txt", else 0.
int levelNumberOf(const std::string& name) {
    const size_t dot = name.size() >= 5 ? name.size() - 4 : 0;
    if (dot == 0 || dot > 3 || name.compare(dot, 4, ".txt") != 0) return 0;
    int n = 0;
    for (size_t i = 0; i < dot; ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

std::string realPath(const std::string& path) {
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

class PackLoader {
  public:
    explicit PackLoader(const std::string& folder) { pack_.folder = folder; }

    LevelPack run() {
        std::map<int, std::string> files;
        if (!listFolder(files)) return pack_;
        readPackIni();
        // Without a legend or a sound numbering no level is read; a faulty pack.ini still lets
        // every level have its verdict.
        const size_t before = pack_.problems.size();
        readLegend();
        numberLevels(files);
        if (pack_.problems.size() != before) return pack_;
        for (const auto& [number, name] : files) loadLevel(number, name);
        if (pack_.ok()) pack_.id = packId(pack_.title, pack_.levels);
        return pack_;
    }

  private:
    void problem(const std::string& file, int line, int column, const std::string& reason) {
        pack_.problems.push_back({file, line, column, reason});
    }

    // The level files by number. False when the folder cannot be a pack at all.
    bool listFolder(std::map<int, std::string>& files) {
        const std::string& folder = pack_.folder;
        struct stat st;
        if (stat(folder.c_str(), &st) != 0) {
            problem(folder, 0, 0, errno == ENOENT ? "no such folder" : std::strerror(errno));
            return false;
        }
        if (!S_ISDIR(st.st_mode)) {
            problem(folder, 0, 0, "not a folder (a level pack is a folder of level texts)");
            return false;
        }
        realFolder_ = realPath(folder);
        DIR* dir = opendir(folder.c_str());
        if (!dir || realFolder_.empty()) {
            problem(folder, 0, 0, std::string("cannot read the folder: ") + std::strerror(errno));
            if (dir) closedir(dir);
            return false;
        }
        int entries = 0;
        bool tooMany = false;
        while (const dirent* e = readdir(dir)) {
            if (++entries > kMaxFolderEntries) {
                tooMany = true;
                break;
            }
            const std::string name = e->d_name;
            const int n = levelNumberOf(name);
            if (n == 0) continue;
            if (n > kMaxLevels) {
                ++beyondLast_;
                continue;
            }
            auto [at, added] = files.emplace(n, name);
            if (!added)
                problem(joined(folder, name), 0, 0,
                        "a second file for level " + std::to_string(n) + " (beside " + at->second +
                            ")");
        }
        closedir(dir);
        if (tooMany) {
            problem(folder, 0, 0,
                    "more than " + std::to_string(kMaxFolderEntries) +
                        " files: a pack holds at most " + std::to_string(kMaxLevels) + " levels");
            return false;
        }
        return true;
    }

    // Reads a file of the pack: only a regular file inside the pack folder, of bounded size, that
    // holds text.
    bool readPackFile(const std::string& path, std::string& text) {
        const std::string real = realPath(path);
        if (real.empty()) {
            problem(path, 0, 0, std::string("cannot open: ") + std::strerror(errno));
            return false;
        }
        if (real.compare(0, realFolder_.size() + 1, realFolder_ + "/") != 0) {
            problem(path, 0, 0, "links out of the pack folder (to " + real + ")");
            return false;
        }
        std::string error;
        if (!readTextFile(path, text, error)) {
            const std::string prefix = path + ": ";
            problem(
                path, 0, 0,
                error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error);
            return false;
        }
        // Text only: a control character other than tab and the line ends is a binary file.
        int line = 1, column = 1;
        for (unsigned char c : text) {
            if ((c < 32 && c != '\t' && c != '\n' && c != '\r') || c == 127) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "0x%02x", c);
                problem(path, line, column, std::string("byte ") + hex + ": not a text file");
                return false;
            }
            if (c == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        return true;
    }

    void readPackIni() {
        const std::string path = joined(pack_.folder, "pack.ini");
        struct stat st;
        if (lstat(path.c_str(), &st) != 0) {
            problem(path, 0, 0, "missing: a pack needs pack.ini with a title and an author");
            return;
        }
        std::string text;
        if (!readPackFile(path, text)) return;
        bool inPack = false, sawPack = false;
        int lineNo = 0;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            const std::string line = trim(text.substr(at, end - at));
            at = end + 1;
            ++lineNo;
            if (line.empty() || line[0] == '#' || line[0] == ';') continue;
            if (line[0] == '[') {
                inPack = line == "[pack]";
                sawPack = sawPack || inPack;
                if (!inPack)
                    problem(path, lineNo, 1, "unknown section (pack.ini holds [pack] alone)");
                continue;
            }
            const size_t eq = line.find('=');
            if (!inPack || eq == std::string::npos) {
                problem(path, lineNo, 1,
                        inPack ? "expected 'key = value'" : "a line before the [pack] section");
                continue;
            }
            const std::string key = trim(line.substr(0, eq));
            const std::string value = trim(line.substr(eq + 1));
            std::string* slot = key == "title"         ? &pack_.title
                                : key == "author"      ? &pack_.author
                                : key == "description" ? &pack_.description
                                                       : nullptr;
            if (!slot) {
                problem(path, lineNo, 1,
                        "unknown key " + quotedPiece(key) + " (known: title, author, description)");
            } else if (value.size() > kMaxValueLength) {
                problem(path, lineNo, static_cast<int>(eq) + 2,
                        key + " longer than " + std::to_string(kMaxValueLength) + " characters");
            } else {
                *slot = value;
            }
        }
        if (!sawPack) problem(path, 0, 0, "no [pack] section");
        if (sawPack && pack_.title.empty()) problem(path, 0, 0, "no title");
        if (sawPack && pack_.author.empty()) problem(path, 0, 0, "no author");
    }

    void readLegend() {
        const std::string path = joined(pack_.folder, "legend.txt");
        struct stat st;
        std::string text = shippedLegendText(), error;
        if (lstat(path.c_str(), &st) == 0) {
            if (!readPackFile(path, text)) return;
            legendFile_ = path;
        }
        int line = 0;
        if (!legend_.parse(text, error, &line)) {
            const size_t colon = error.find(": ");
            problem(legendFile_.empty() ? "the shipped legend" : legendFile_, line, 0,
                    line && colon != std::string::npos ? error.substr(colon + 2) : error);
        }
    }

    // Levels are numbered 1 to n without gaps, n at most kMaxLevels.
    void numberLevels(const std::map<int, std::string>& files) {
        const std::string& folder = pack_.folder;
        if (beyondLast_)
            problem(folder, 0, 0,
                    std::to_string(beyondLast_) + " level file(s) numbered above " +
                        std::to_string(kMaxLevels) + ": a pack holds at most " +
                        std::to_string(kMaxLevels) + " levels");
        if (files.empty() && !beyondLast_) {
            problem(folder, 0, 0, "no level files (01.txt, 02.txt, ...)");
            return;
        }
        if (files.count(0))
            problem(joined(folder, files.at(0)), 0, 0, "levels are numbered from 1");
        const int last = files.empty() ? 0 : files.rbegin()->first;
        int missing = 0;
        for (int n = 1; n <= last; ++n) {
            if (files.count(n)) continue;
            if (++missing <= 5)
                problem(
                    joined(folder, levelFileName(n)), 0, 0,
                    "missing: levels are numbered from 1 without gaps, up to " + files.at(last));
        }
        if (missing > 5)
            problem(folder, 0, 0, std::to_string(missing - 5) + " more level numbers missing");
    }

    void loadLevel(int number, const std::string& name) {
        if (number == 0) return;
        const std::string path = joined(pack_.folder, name);
        PackLevel entry;
        entry.number = number;
        entry.file = path;
        const size_t before = pack_.problems.size();
        std::string text, reason;
        int mapLine = 0;
        TextPlace place;
        if (readPackFile(path, text)) {
            if (!parseLevelText(text, legend_, entry.level, mapLine, place, reason)) {
                problem(path, place.line, place.column, reason);
            } else {
                entry.report = checkLevel(
                    entry.level, std::min(kSearchLimit, std::max(searchLeft_, kLevelSearchFloor)));
                searchLeft_ -= entry.report.searchSteps;
                for (size_t i = 0; i < entry.report.errors.size(); ++i) {
                    const int cell = entry.report.errorCells[i];
                    // A visible cell is a character of the map; anything else is the map as a
                    // whole, pointed at by its "map:" line.
                    const bool onMap =
                        cell >= 0 && cell % kColumns < kViewColumns && cell / kColumns < kViewRows;
                    problem(path, onMap ? mapLine + 1 + cell / kColumns : mapLine,
                            onMap ? cell % kColumns + 1 : 0, entry.report.errors[i]);
                }
            }
        }
        // The level's own problems move from the pack's list to the level.
        entry.problems.assign(pack_.problems.begin() + static_cast<long>(before),
                              pack_.problems.end());
        pack_.problems.resize(before);
        pack_.levels.push_back(entry);
    }

    LevelPack pack_;
    std::string realFolder_;
    std::string legendFile_;  // empty: the shipped legend
    Legend legend_;
    int beyondLast_ = 0;
    int searchLeft_ = kPackSearchLimit;
};

}  // namespace

std::string PackProblem::message() const {
    std::string out = file;
    if (line > 0) out += ":" + std::to_string(line);
    if (line > 0 && column > 0) out += ":" + std::to_string(column);
    return out + ": " + reason;
}

bool LevelPack::ok() const {
    if (!problems.empty() || levels.empty()) return false;
    for (const PackLevel& l : levels)
        if (!l.problems.empty()) return false;
    return true;
}

std::vector<PackProblem> LevelPack::allProblems() const {
    std::vector<PackProblem> all = problems;
    for (const PackLevel& l : levels) all.insert(all.end(), l.problems.begin(), l.problems.end());
    return all;
}

LevelPack loadPack(const std::string& folder) { return PackLoader(folder).run(); }

uint64_t levelHash(const Level& level, uint64_t seed) {
    uint64_t h = seed;
    for (const Layer* layer : {&level.map, &level.items, &level.junctions})
        h = addToChecksum(h, layer->data(), layer->size());
    return h;
}

std::string packId(const std::string& title, const std::vector<PackLevel>& levels) {
    std::string slug;
    for (char c : title) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool capital = c >= 'A' && c <= 'Z';
        if (letter || capital)
            slug += capital ? static_cast<char>(c - 'A' + 'a') : c;
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
        if (slug.size() >= 32) break;
    }
    while (!slug.empty() && slug.back() == '-') slug.pop_back();
    if (slug.empty()) slug = "pack";
    uint64_t h = kChecksumStart;
    for (const PackLevel& l : levels) h = levelHash(l.level, h);
    char hex[20];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return slug + "-" + hex;
}

}  // namespace levels
