// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Reference pictures: frames of the logical screen recorded once and kept in
// tests/graphics/reference/, against which later frames are compared byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Whether this run records references instead of comparing (TOVRIK_RECORD_REFERENCES=1).
bool recordingReferences();

// Compares an RGBA picture (rows top to bottom; alpha is ignored) with the reference `name`.
// Empty when they are equal; otherwise what differs, and the picture is written beside
// `failureFolder` for a look. While recording, the picture becomes the reference instead.
std::string compareWithReference(const std::string& name, const std::vector<uint8_t>& rgba,
                                 int width, int height, const std::string& failureFolder);

// The same for a PNG file (a screenshot of the program).
std::string compareFileWithReference(const std::string& name, const std::string& pngPath,
                                     const std::string& failureFolder);

// Writes a picture as small as PNG allows without loss: a palette when it has at most 256
// colours, maximum compression. False when it cannot be written.
bool writeCompactPng(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                     int height);
