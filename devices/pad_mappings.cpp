// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Reading the controller mapping file and reporting the mappings the controller layer refuses.
#include "devices/pad_mappings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "runtime/regular_file.h"

std::vector<PadMappingLine> padMappingLines(const std::string& text, BadLineReport& report) {
    const TextLines file = splitTextLines(text);
    if (file.crOnly) report.note("its lines end in CR alone; read as line ends");
    std::vector<PadMappingLine> lines;
    int number = 0;
    for (const std::string& line : file.lines) {
        ++number;
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        if (line.find('\0') != std::string::npos) {
            report.line(number, "holds a NUL byte");
            continue;
        }
        lines.push_back({number, line.substr(first)});
    }
    return lines;
}

bool openPadsWithMappingFile(const std::string& path) {
    std::string text, why;
    std::vector<PadMappingLine> lines, refused;
    BadLineReport report(path);
    if (readRegularFile(path, kMaxEditableFileSize, text, why))
        lines = padMappingLines(text, report);
    else if (struct stat st; errno != ENOENT || lstat(path.c_str(), &st) == 0)
        std::fprintf(stderr, "%s %s; no controller mappings read from it\n", path.c_str(),
                     why.c_str());
    const bool open = platformPadsOpen(lines, refused);
    for (const PadMappingLine& line : refused)
        report.line(line.number, "not a controller mapping (" + line.text + ")");
    return open;
}
