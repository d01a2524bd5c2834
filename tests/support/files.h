// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Whole files in and out for every test: read as they are (empty for a missing file), written
// over whatever was there (false when that failed), and a folder's names.
#pragma once

#include <string>
#include <vector>

std::string readText(const std::string& path);
bool writeText(const std::string& path, const std::string& text);
std::vector<unsigned char> readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::vector<std::string> readLines(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
// Whether anything (a link included) has the name.
bool pathExists(const std::string& path);
// The names in a folder, without "." and "..", in no particular order.
std::vector<std::string> listFolder(const std::string& path);
