// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// findPath on game arrays: map sizes give the grid, the path array receives n by 2 points.
#include <gtest/gtest.h>

#include <cmath>

#include "planner/planner.h"
#include "runtime/arrays.h"

namespace {

void fillMap(NumberArray& map, int width, int height, double value) {
    dimNumberArray(map, width, height);
    for (int i = 0; i < width * height; ++i) map.data[i] = value;
}

double px(NumberArray& path, int i) { return numberArrayAt(path, i, 0); }
double py(NumberArray& path, int i) { return numberArrayAt(path, i, 1); }

TEST(FindPath, ThreeByThreeStraightPath) {
    NumberArray map, path;
    fillMap(map, 3, 3, 1);
    ASSERT_EQ(3, findPath(map, path, 0.5, 0, 0, 2, 0));
    EXPECT_EQ(3, path.size1);
    EXPECT_EQ(2, path.size2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i, px(path, i));
        EXPECT_EQ(0, py(path, i));
    }
}

TEST(FindPath, CoordinatesAreTruncatedAndPathUsesColumnMajorPairs) {
    NumberArray map, path;
    fillMap(map, 4, 3, 1);
    map.data[1 + 4 * 0] = 0;  // (1,0) blocked: from (0,0) to (2,0) goes round below
    ASSERT_EQ(5, findPath(map, path, 0.5, 0.9, 0.2, 2.7, -0.5));
    const int xs[5] = {0, 0, 1, 2, 2}, ys[5] = {0, 1, 1, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(xs[i], path.data[i]) << i;      // element [i][0]
        EXPECT_EQ(ys[i], path.data[i + 5]) << i;  // element [i][1]
    }
}

TEST(FindPath, RefusalsLeaveThePathAlone) {
    NumberArray map, path;
    fillMap(map, 3, 3, 1);
    dimNumberArray(path, 4);
    path.data[0] = 42;
    EXPECT_EQ(0, findPath(map, path, 0.5, 1, 1, 1, 1));   // start == goal
    EXPECT_EQ(0, findPath(map, path, 0.5, 0, 0, 3, 0));   // goal off the grid
    EXPECT_EQ(0, findPath(map, path, 0.5, -1, 0, 2, 0));  // start off the grid
    EXPECT_EQ(0, findPath(map, path, 0.5, NAN, 0, 2, 0));
    EXPECT_EQ(0, findPath(map, path, 0.5, 1e12, 0, 2, 0));
    NumberArray empty, blocked;
    EXPECT_EQ(0, findPath(empty, path, 0.5, 0, 0, 1, 0));  // never dimensioned
    fillMap(blocked, 3, 3, -2);
    EXPECT_EQ(0, findPath(blocked, path, 0.5, 0, 0, 2, 0));  // nothing passable
    EXPECT_EQ(4, path.size1);
    EXPECT_EQ(42, path.data[0]);
}

TEST(FindPath, UnreachableGoalEmptiesThePath) {
    NumberArray map, path;
    fillMap(map, 3, 3, 1);
    map.data[2 + 3 * 2] = 0;  // the goal cell itself is blocked
    dimNumberArray(path, 4);
    EXPECT_EQ(0, findPath(map, path, 0.5, 0, 0, 2, 2));
    EXPECT_EQ(0, path.size1);
    EXPECT_EQ(0, path.dimensions);
}

TEST(FindPath, DiagonalNeighbourTakesThreePoints) {
    NumberArray map, path;
    fillMap(map, 3, 3, 1);
    EXPECT_EQ(3, findPath(map, path, 0.5, 0, 0, 1, 1));
}

TEST(FindPath, MapMayAlsoBeThePathArray) {
    NumberArray map;
    fillMap(map, 5, 1, 1);
    ASSERT_EQ(5, findPath(map, map, 0, 0, 0, 4, 0));
    EXPECT_EQ(5, map.size1);
    EXPECT_EQ(4, map.data[4]);
}

}  // namespace
