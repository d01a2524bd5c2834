// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Small file helpers for the runtime's tests: whole files in and out, existence, folder listings.
#pragma once

#include <string>
#include <vector>

void writeBytesToFile(const std::string& path, const std::string& bytes);
std::string readFileBytes(const std::string& path);
bool pathExists(const std::string& path);
std::vector<std::string> listFolder(const std::string& path);
