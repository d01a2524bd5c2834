// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Level text maps and the three layer files: parsing, writing and reading back.
#include "levelfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "runtime/atomic_file.h"
#include "runtime/regular_file.h"

namespace levels {

namespace {

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// A line of a text: its characters are [begin, end), its line end ("\n" or "\r\n", none for a last
// line without one) is [end, next).
struct LineSpan {
    size_t begin, end, next;
};

// The one line splitter of the level texts: reading and rewriting a text see the same lines.
std::vector<LineSpan> lineSpans(const std::string& text) {
    std::vector<LineSpan> spans;
    size_t at = 0;
    while (at < text.size()) {
        size_t lf = text.find('\n', at);
        size_t next = lf == std::string::npos ? text.size() : lf + 1;
        size_t end = lf == std::string::npos ? text.size() : lf;
        if (end > at && text[end - 1] == '\r') --end;
        spans.push_back({at, end, next});
        at = next;
    }
    return spans;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    for (const LineSpan& l : lineSpans(text))
        lines.push_back(text.substr(l.begin, l.end - l.begin));
    return lines;
}

bool parseCode(const std::string& word, uint8_t& out) {
    if (word.empty() || word.size() > 3) return false;
    int v = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > 255) return false;
    out = static_cast<uint8_t>(v);
    return true;
}

}  // namespace

bool Legend::parse(const std::string& text, std::string& error, int* faultLine) {
    entries_.clear();
    if (faultLine) *faultLine = 0;
    int lineNo = 0;
    for (const std::string& raw : splitLines(text)) {
        ++lineNo;
        if (raw.compare(0, 5, "cell ") != 0) continue;
        std::istringstream in(raw.substr(5));
        std::string sym, a, b, c;
        in >> sym >> a >> b >> c;
        LegendEntry e{};
        if (sym.size() != 1 || !parseCode(a, e.map) || !parseCode(b, e.items) ||
            !parseCode(c, e.junctions)) {
            error = "legend line " + std::to_string(lineNo) +
                    ": expected 'cell <char> <code> <code> <code> <meaning>'";
            if (faultLine) *faultLine = lineNo;
            return false;
        }
        e.symbol = sym[0];
        std::getline(in, e.meaning);
        e.meaning = trim(e.meaning);
        if (bySymbol(e.symbol)) {
            error = std::string("legend line ") + std::to_string(lineNo) + ": character '" +
                    e.symbol + "' defined twice";
            if (faultLine) *faultLine = lineNo;
            return false;
        }
        if (byCodes(e.map, e.items, e.junctions)) {
            error = "legend line " + std::to_string(lineNo) + ": code combination defined twice";
            if (faultLine) *faultLine = lineNo;
            return false;
        }
        entries_.push_back(e);
    }
    if (entries_.empty()) {
        error = "legend defines no characters";
        return false;
    }
    return true;
}

const LegendEntry* Legend::bySymbol(char symbol) const {
    for (const auto& e : entries_)
        if (e.symbol == symbol) return &e;
    return nullptr;
}

const LegendEntry* Legend::byCodes(uint8_t map, uint8_t items, uint8_t junctions) const {
    for (const auto& e : entries_)
        if (e.map == map && e.items == items && e.junctions == junctions) return &e;
    return nullptr;
}

namespace {

// A character as a message shows it: itself when printable, else its byte value.
std::string shown(char c) {
    if (c >= 32 && c < 127) return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02x", static_cast<unsigned char>(c));
    return std::string("byte ") + hex;
}

// A header line as a message quotes it: at most 40 characters, unprintable ones as '?'.
std::string quoted(const std::string& line) {
    std::string out;
    for (char c : line.substr(0, 40)) out += c >= 32 && c < 127 ? c : '?';
    return "'" + out + (line.size() > 40 ? "...'" : "'");
}

// Parses a level text; mapLine receives the index of the "map:" line (the rows follow it). A
// fault is given by its place (0-based line index and column, -1 when not about one line or
// column) and its reason.
bool parseLevelLines(const std::vector<std::string>& lines, const Legend& legend, Level& level,
                     size_t& mapLine, int& faultLine, int& faultColumn, std::string& reason) {
    level = Level{};
    faultLine = faultColumn = -1;
    size_t i = 0;
    bool sawMap = false;
    for (; i < lines.size(); ++i) {
        std::string l = trim(lines[i]);
        if (l.empty() || l[0] == '#') continue;
        if (l == "map:") {
            sawMap = true;
            mapLine = i;
            ++i;
            break;
        }
        if (l.compare(0, 6, "title:") == 0) {
            level.title = trim(l.substr(6));
        } else {
            faultLine = static_cast<int>(i);
            reason = "unknown header line " + levels::quoted(l);  // not std::quoted (ADL)
            return false;
        }
    }
    if (!sawMap) {
        reason = "no 'map:' line";
        return false;
    }
    for (int row = 0; row < kViewRows; ++row, ++i) {
        if (i >= lines.size()) {
            faultLine = static_cast<int>(i);
            reason =
                "map has " + std::to_string(row) + " rows, expected " + std::to_string(kViewRows);
            return false;
        }
        const std::string& l = lines[i];
        for (int col = 0; col < kViewColumns && col < static_cast<int>(l.size()); ++col) {
            if (legend.bySymbol(l[col])) continue;
            faultLine = static_cast<int>(i);
            faultColumn = col;
            reason = "character " + shown(l[col]) + " is not in the legend";
            return false;
        }
        if (static_cast<int>(l.size()) != kViewColumns) {
            faultLine = static_cast<int>(i);
            faultColumn = std::min(static_cast<int>(l.size()), kViewColumns);
            reason = "map row " + std::to_string(row) + " has " + std::to_string(l.size()) +
                     " characters, expected " + std::to_string(kViewColumns);
            return false;
        }
        for (int col = 0; col < kViewColumns; ++col) {
            const LegendEntry* e = legend.bySymbol(l[col]);
            int idx = cellIndex(col, row);
            level.map[idx] = e->map;
            level.items[idx] = e->items;
            level.junctions[idx] = e->junctions;
        }
    }
    for (; i < lines.size(); ++i) {
        if (!trim(lines[i]).empty()) {
            faultLine = static_cast<int>(i);
            reason = "text after the 15 map rows";
            return false;
        }
    }
    return true;
}

// The fault of parseLevelLines as one message, "line 4, column 7: reason".
std::string faultMessage(int line, int column, const std::string& reason) {
    if (line < 0) return reason;
    std::string where = "line " + std::to_string(line + 1);
    if (column >= 0) where += ", column " + std::to_string(column);
    return where + ": " + reason;
}

bool parseLevelLines(const std::vector<std::string>& lines, const Legend& legend, Level& level,
                     size_t& mapLine, std::string& error) {
    int line = -1, column = -1;
    std::string reason;
    if (parseLevelLines(lines, legend, level, mapLine, line, column, reason)) return true;
    error = faultMessage(line, column, reason);
    return false;
}

// The characters of one visible map row, or false when a cell has no legend character.
bool formatMapRow(const Level& level, const Legend& legend, int row, std::string& out,
                  std::string& error) {
    out.clear();
    for (int col = 0; col < kViewColumns; ++col) {
        int idx = cellIndex(col, row);
        const LegendEntry* e =
            legend.byCodes(level.map[idx], level.items[idx], level.junctions[idx]);
        if (!e) {
            error = "cell (" + std::to_string(col) + ", " + std::to_string(row) + ") holds codes " +
                    std::to_string(level.map[idx]) + "/" + std::to_string(level.items[idx]) + "/" +
                    std::to_string(level.junctions[idx]) + " that the legend has no character for";
            return false;
        }
        out += e->symbol;
    }
    return true;
}

}  // namespace

bool parseLevelText(const std::string& text, const Legend& legend, Level& level,
                    std::string& error) {
    size_t mapLine = 0;
    return parseLevelLines(splitLines(text), legend, level, mapLine, error);
}

bool parseLevelText(const std::string& text, const Legend& legend, Level& level, int& mapLine,
                    TextPlace& place, std::string& reason) {
    size_t mapIndex = 0;
    int line = -1, column = -1;
    place = TextPlace{};
    if (!parseLevelLines(splitLines(text), legend, level, mapIndex, line, column, reason)) {
        place.line = line + 1;
        place.column = column + 1;
        return false;
    }
    mapLine = static_cast<int>(mapIndex) + 1;
    return true;
}

bool formatLevelText(const Level& level, const Legend& legend, std::string& text,
                     std::string& error) {
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            if (col < kViewColumns && row < kViewRows) continue;
            int idx = cellIndex(col, row);
            if (level.map[idx] || level.items[idx] || level.junctions[idx]) {
                error = "cell (" + std::to_string(col) + ", " + std::to_string(row) +
                        ") outside the visible area is not empty";
                return false;
            }
        }
    std::string out;
    if (!level.title.empty()) out += "title: " + level.title + "\n";
    out += "map:\n";
    std::string row;
    for (int r = 0; r < kViewRows; ++r) {
        if (!formatMapRow(level, legend, r, row, error)) return false;
        out += row + '\n';
    }
    text = out;
    return true;
}

bool rewriteMapRows(const std::string& text, const Level& level, const Legend& legend,
                    std::string& out, std::string& error) {
    const std::vector<LineSpan> spans = lineSpans(text);
    std::vector<std::string> lines;
    for (const LineSpan& l : spans) lines.push_back(text.substr(l.begin, l.end - l.begin));
    Level old;
    size_t mapLine = 0;
    if (!parseLevelLines(lines, legend, old, mapLine, error)) return false;
    std::string result = text.substr(0, spans[mapLine].next);
    std::string row;
    for (int r = 0; r < kViewRows; ++r) {
        const LineSpan& l = spans[mapLine + 1 + static_cast<size_t>(r)];
        if (!formatMapRow(level, legend, r, row, error)) return false;
        result += row;
        result.append(text, l.end, l.next - l.end);  // the row's own line end
    }
    result.append(text, spans[mapLine + kViewRows].next, std::string::npos);
    out = result;
    return true;
}

bool readTextFile(const std::string& path, std::string& text, std::string& error) {
    struct stat st;
    const int fd = openRegularFile(path.c_str(), O_RDONLY, &st);
    if (fd < 0) {
        error = path + ": " + (errno == ENXIO ? "not a regular file" : std::strerror(errno));
        return false;
    }
    // One byte more than allowed tells a long file from a good one without reading all of it.
    text.assign(kMaxLevelSourceBytes + 1, '\0');
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = read(fd, &text[done], text.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = path + ": " + std::strerror(errno);
            close(fd);
            text.clear();
            return false;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    close(fd);
    text.resize(done);
    if (done > kMaxLevelSourceBytes) {
        text.clear();
        error = path + ": larger than " + std::to_string(kMaxLevelSourceBytes) + " bytes";
        return false;
    }
    return true;
}

std::string layerFileName(const std::string& folder, int level, int layer) {
    std::string name = "Map" + std::to_string(level) + "-" + std::to_string(layer) + ".bin";
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool readLayerFile(const std::string& path, Layer& layer, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot open";
        return false;
    }
    // One byte more than a layer tells a long file from a good one without reading all of it.
    char data[kCells + 1];
    in.read(data, sizeof data);
    const size_t got = static_cast<size_t>(in.gcount());
    if (got != static_cast<size_t>(kCells)) {
        error =
            path + ": " +
            (got > static_cast<size_t>(kCells) ? "more than " + std::to_string(kCells) + " bytes"
                                               : std::to_string(got) + " bytes") +
            ", expected " + std::to_string(kCells);
        return false;
    }
    for (int i = 0; i < kCells; ++i) layer[i] = static_cast<uint8_t>(data[i]);
    return true;
}

bool writeLayerFile(const std::string& path, const Layer& layer, std::string& error) {
    return replaceFile(path, layer.data(), layer.size(), &error);
}

bool loadLevelFiles(const std::string& folder, int number, Level& level, std::string& error) {
    level = Level{};
    return readLayerFile(layerFileName(folder, number, 1), level.map, error) &&
           readLayerFile(layerFileName(folder, number, 2), level.items, error) &&
           readLayerFile(layerFileName(folder, number, 3), level.junctions, error);
}

bool saveLevelFiles(const std::string& folder, int number, const Level& level, std::string& error) {
    return writeLayerFile(layerFileName(folder, number, 1), level.map, error) &&
           writeLayerFile(layerFileName(folder, number, 2), level.items, error) &&
           writeLayerFile(layerFileName(folder, number, 3), level.junctions, error);
}

namespace {

// Counts the four neighbours inside the visible area whose layer-1 code passes `counts`.
template <class Counts>
int countNeighbours(const Level& level, int column, int row, Counts counts) {
    static const int dc[4] = {1, -1, 0, 0};
    static const int dr[4] = {0, 0, -1, 1};
    int n = 0;
    for (int d = 0; d < 4; ++d) {
        int c = column + dc[d], r = row + dr[d];
        if (c < 0 || r < 0 || c >= kViewColumns || r >= kViewRows) continue;
        if (counts(level.map[cellIndex(c, r)])) ++n;
    }
    return n;
}

}  // namespace

int openNeighbours(const Level& level, int column, int row) {
    return countNeighbours(level, column, row,
                           [](uint8_t code) { return code != kWall && code != kBlock; });
}

// Neighbours that are plain floor in the file: a baddy at a mark decides by the cells that are
// empty, and the start cells of the bug and the baddies are not empty at the start.
int floorNeighbours(const Level& level, int column, int row) {
    return countNeighbours(level, column, row, [](uint8_t code) { return code == kFloor; });
}

int markJunctions(Level& level) {
    int marks = 0;
    for (int row = 0; row < kRows; ++row)
        for (int col = 0; col < kColumns; ++col) {
            int idx = cellIndex(col, row);
            bool visible = col < kViewColumns && row < kViewRows;
            uint8_t code = level.map[idx];
            bool want =
                visible && code != kWall && code != kBlock && floorNeighbours(level, col, row) >= 3;
            level.junctions[idx] = want ? kJunction : 0;
            marks += want;
        }
    return marks;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& error) {
    return replaceFile(path, text.data(), text.size(), &error);
}

}  // namespace levels
