// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// findPath: the planner as a runtime operation on game arrays.
#include <vector>

#include "planner/planner.h"
#include "runtime/arrays.h"

namespace {

// Truncates toward zero; values that do not fit (and NaN) become -1, a cell no grid has.
int32_t toCell(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return -1;
    return static_cast<int32_t>(v);
}

}  // namespace

double findPath(NumberArray& map, NumberArray& path, double weight, double startX, double startY,
                double goalX, double goalY) {
    if (!map.data) return 0;
    double w = weight;
    if (!(w >= 0.0)) w = 0.0;
    if (w > 1.0) w = 1.0;

    PlannerSettings s;
    s.startX = toCell(startX);
    s.startY = toCell(startY);
    s.goalX = toCell(goalX);
    s.goalY = toCell(goalY);
    s.diagonalCost = 1;
    s.allowDiagonal = 0;
    s.poolSize = 0;
    s.openCapacity = 0;
    s.hashBits = 8;
    s.weight = static_cast<float>(w);
    s.width = map.size1;
    s.height = map.size2;
    s.cells = map.data;

    // The search is over before the path array is touched, so `map` and `path` may be the same
    // array.
    std::vector<GridPoint> points;
    const int n = planPath(s, points);
    if (n < 0) return 0;  // set-up failed: the path array keeps its contents
    if (n == 0) {
        dimNumberArray(path, 0);
        return 0;
    }
    dimNumberArray(path, n, 2);
    for (int i = 0; i < n; ++i) {
        path.data[i] = points[static_cast<size_t>(i)].x;
        path.data[i + path.stride1] = points[static_cast<size_t>(i)].y;
    }
    return n;
}
