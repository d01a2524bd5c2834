// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// A level's three layer files written from rows of characters, for tests that play levels of
// their own: '#' wall, 'x' breakable block, 'B' bug start, '@' bug start on a clover, 'c' clover,
// 'f' flower, 's' spiky bomb, '>' '<' '^' 'v' baddies heading right, left, up and down, 'J'
// junction.
#pragma once

#include <fstream>
#include <string>
#include <utility>
#include <vector>

inline void writeLevel(const std::string& maps, int level, const std::vector<std::string>& rows) {
    std::vector<unsigned char> l1(1200, 0), l2(1200, 0), l3(1200, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            size_t i = c + 40 * r;
            switch (rows[r][c]) {
                case '#':
                    l1[i] = 1;
                    break;
                case 'x':
                    l1[i] = 7;
                    break;
                case 'B':
                    l1[i] = 3;
                    break;
                case '@':
                    l1[i] = 3;
                    l2[i] = 2;
                    break;
                case 'c':
                    l2[i] = 2;
                    break;
                case 'f':
                    l2[i] = 4;
                    break;
                case 's':
                    l2[i] = 6;
                    break;
                case '>':
                    l1[i] = 12;
                    break;
                case '<':
                    l1[i] = 13;
                    break;
                case '^':
                    l1[i] = 14;
                    break;
                case 'v':
                    l1[i] = 15;
                    break;
                case 'J':
                    l3[i] = 5;
                    break;
                default:
                    break;
            }
        }
    }
    std::string base = maps + "/Map" + std::to_string(level);
    for (const auto& [suffix, layer] :
         {std::pair{"-1.bin", &l1}, {"-2.bin", &l2}, {"-3.bin", &l3}}) {
        std::ofstream(base + suffix, std::ios::binary)
            .write(reinterpret_cast<const char*>(layer->data()), layer->size());
    }
}
