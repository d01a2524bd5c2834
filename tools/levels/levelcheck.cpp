// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The finishability checker: reachable pick-ups, blocks blasted open, waits for each blast.
#include "levelcheck.h"

#include <algorithm>
#include <bitset>
#include <deque>
#include <map>
#include <string>

namespace levels {

namespace {

using CellSet = std::bitset<kCells>;

const int kStep[4] = {1, -1, -kColumns, kColumns};

std::string at(int idx) {
    return "(" + std::to_string(idx % kColumns) + ", " + std::to_string(idx / kColumns) + ")";
}

bool visible(int idx) { return idx % kColumns < kViewColumns && idx / kColumns < kViewRows; }

// The blast of a bomb laid on `centre` covers the centre and its four neighbours.
std::vector<int> cross(int centre) {
    std::vector<int> cells{centre};
    for (int d : kStep) cells.push_back(centre + d);
    return cells;
}

class Solver {
  public:
    explicit Solver(const Level& level) : level_(level) {
        for (int i = 0; i < kCells; ++i) {
            if (!visible(i)) continue;
            if (level.map[i] == kBug) start_ = i;
            if (level.map[i] == kBlock) blocks_.set(i);
            if (level.items[i] == kSpikyBomb) bombs_.set(i);
            if (isPickup(level.items[i]) && level.map[i] != kBug) pickups_.set(i);
        }
    }

    // Cells the bug can walk to with the blocks in `opened` blasted away. Walls never open; the
    // border of the visible area is wall in every valid level, and the walk never leaves it.
    CellSet reach(const CellSet& opened) const {
        CellSet seen;
        if (start_ < 0) return seen;
        std::deque<int> todo{start_};
        seen.set(start_);
        while (!todo.empty()) {
            int c = todo.front();
            todo.pop_front();
            for (int d : kStep) {
                int n = c + d;
                if (n < 0 || n >= kCells || !visible(n) || seen.test(n)) continue;
                uint8_t code = level_.map[n];
                if (code == kWall) continue;
                if (code == kBlock && !opened.test(n)) continue;
                seen.set(n);
                todo.push_back(n);
            }
        }
        return seen;
    }

    // The bug lays the bomb on `centre` and must be outside the blast when it goes off 47 frames
    // later; two 16-frame steps fit with room to spare.
    static bool canEscape(int centre, const CellSet& walkable) {
        std::vector<int> blast = cross(centre);
        std::deque<std::pair<int, int>> todo{{centre, 0}};
        CellSet seen;
        seen.set(centre);
        while (!todo.empty()) {
            auto [c, dist] = todo.front();
            todo.pop_front();
            if (std::find(blast.begin(), blast.end(), c) == blast.end()) return true;
            if (dist == 2) continue;
            for (int d : kStep) {
                int n = c + d;
                if (n < 0 || n >= kCells || seen.test(n) || !walkable.test(n)) continue;
                seen.set(n);
                todo.push_back({n, dist + 1});
            }
        }
        return false;
    }

    bool solve(std::vector<int>& plan) {
        plan.clear();
        return search(CellSet(), 0, plan);
    }

    int start() const { return start_; }
    const CellSet& pickups() const { return pickups_; }
    bool exhausted() const { return nodes_ > kNodeLimit; }

  private:
    static constexpr int kNodeLimit = 200000;

    bool search(const CellSet& opened, int used, std::vector<int>& plan) {
        if (++nodes_ > kNodeLimit) return false;
        auto seen = visited_.find(opened.to_string());
        if (seen != visited_.end() && seen->second <= used) return false;
        visited_[opened.to_string()] = used;

        CellSet r = reach(opened);
        if ((pickups_ & ~r).none()) return true;
        int available = static_cast<int>((bombs_ & r).count()) - used;
        if (available <= 0) return false;

        // Every blast worth trying: a reachable cell next to a closed block, with a way out. Blasts
        // that open the same blocks are the same move. Pick-ups and bombs inside the blast are
        // reachable already, so the bug collects them before it lays the bomb.
        struct Move {
            int centre;
            CellSet opens;
            int gain;
        };
        std::vector<Move> moves;
        std::vector<CellSet> tried;
        for (int c = 0; c < kCells; ++c) {
            if (!r.test(c)) continue;
            CellSet opens;
            for (int b : cross(c))
                if (b >= 0 && b < kCells && blocks_.test(b) && !opened.test(b)) opens.set(b);
            if (opens.none()) continue;
            if (std::find(tried.begin(), tried.end(), opens) != tried.end()) continue;
            if (!canEscape(c, r)) continue;
            tried.push_back(opens);
            CellSet after = reach(opened | opens);
            int gain = static_cast<int>(((bombs_ | pickups_) & after & ~r).count()) * 4 +
                       static_cast<int>((after & ~r).count());
            moves.push_back({c, opens, gain});
        }
        std::stable_sort(moves.begin(), moves.end(),
                         [](const Move& a, const Move& b) { return a.gain > b.gain; });
        for (const Move& m : moves) {
            plan.push_back(m.centre);
            if (search(opened | m.opens, used + 1, plan)) return true;
            plan.pop_back();
            if (nodes_ > kNodeLimit) return false;
        }
        return false;
    }

    const Level& level_;
    int start_ = -1;
    CellSet blocks_, bombs_, pickups_;
    std::map<std::string, int> visited_;
    int nodes_ = 0;
};

// Steps between two cells over floor a baddy could use; -1 when there is no such way.
int walkDistance(const Level& level, int from, int to) {
    std::vector<int> dist(kCells, -1);
    std::deque<int> todo{from};
    dist[from] = 0;
    while (!todo.empty()) {
        int c = todo.front();
        todo.pop_front();
        if (c == to) return dist[c];
        for (int d : kStep) {
            int n = c + d;
            if (n < 0 || n >= kCells || !visible(n) || dist[n] >= 0) continue;
            if (level.map[n] == kWall || level.map[n] == kBlock) continue;
            dist[n] = dist[c] + 1;
            todo.push_back(n);
        }
    }
    return -1;
}

}  // namespace

CheckReport checkLevel(const Level& level) {
    CheckReport rep;
    auto err = [&](const std::string& s) { rep.errors.push_back(s); };

    // Codes and the area outside the screen.
    int bugs = 0, bug = -1;
    for (int i = 0; i < kCells; ++i) {
        uint8_t m = level.map[i], it = level.items[i], j = level.junctions[i];
        if (!visible(i)) {
            if (m || it || j) err("cell " + at(i) + " outside the visible area is not empty");
            continue;
        }
        if (!(m == kFloor || m == kWall || m == kBug || m == kBlock || isBaddy(m)))
            err("cell " + at(i) + ": layer 1 code " + std::to_string(m) +
                " does not belong in a level file");
        if (!(it == 0 || it == kClover || it == kFlower || it == kSpikyBomb))
            err("cell " + at(i) + ": layer 2 code " + std::to_string(it) + " is not a pick-up");
        if (!(j == 0 || j == kJunction))
            err("cell " + at(i) + ": layer 3 code " + std::to_string(j) +
                " is not a junction mark");
        int col = i % kColumns, row = i / kColumns;
        bool border = col == 0 || row == 0 || col == kViewColumns - 1 || row == kViewRows - 1;
        if (border && m != kWall) err("border cell " + at(i) + " is not a wall");
        if (m == kBug) {
            ++bugs;
            bug = i;
        }
        if (it && (m == kWall || m == kBlock))
            err("cell " + at(i) + ": a pick-up under a " +
                std::string(m == kWall ? "wall" : "breakable block") + " can never be collected");
        if (it && isBaddy(m)) err("cell " + at(i) + ": a pick-up under a baddy's start cell");
        if (m == kBlock) ++rep.blocks;
        if (isBaddy(m)) ++rep.baddies;
        if (it == kSpikyBomb && m != kWall && m != kBlock) ++rep.bombs;
        if (m != kBug && m != kWall && m != kBlock) {
            if (it == kClover) ++rep.clovers;
            if (it == kFlower) ++rep.flowers;
        }
        if (j == kJunction) {
            ++rep.junctions;
            if (m == kWall || m == kBlock)
                err("junction mark at " + at(i) + " on a " +
                    std::string(m == kWall ? "wall" : "breakable block"));
            else if (openNeighbours(level, col, row) < 3)
                err("junction mark at " + at(i) + " with only " +
                    std::to_string(openNeighbours(level, col, row)) + " open ways");
        }
    }
    if (bugs != 1) err("the level holds " + std::to_string(bugs) + " bugs, expected exactly one");
    // The game counts the bug's start cell as one pick-up instead of whatever lies under it, so the
    // count only reaches 0 when a clover or flower there is collected on the way back.
    if (bugs == 1 && !isPickup(level.items[bug]))
        err("no clover or flower under the bug's start cell " + at(bug) +
            ": the game counts that cell as a pick-up, so the level could never be finished");
    if (bugs == 1 && level.items[bug] == kSpikyBomb)
        rep.warnings.push_back("a spiky bomb lies under the bug's start cell");
    rep.pickupsAtStart = rep.clovers + rep.flowers + bugs;
    if (rep.clovers + rep.flowers == 0) err("the level holds no clover or flower to collect");

    if (bugs == 1) {
        for (int i = 0; i < kCells; ++i) {
            if (!visible(i) || !isBaddy(level.map[i])) continue;
            int d = walkDistance(level, bug, i);
            if (d >= 0 && d < kMinBaddyDistance)
                err("baddy at " + at(i) + " starts only " + std::to_string(d) +
                    " steps from the bug");
        }
    }
    if (!rep.errors.empty()) return rep;

    Solver solver(level);
    rep.openCells = static_cast<int>(solver.reach(CellSet()).count());
    std::vector<int> plan;
    if (solver.solve(plan)) {
        rep.plan = plan;
        rep.blastsNeeded = static_cast<int>(plan.size());
    } else {
        CellSet all;
        all.set();
        CellSet r = solver.reach(all);
        std::string missing;
        int count = 0;
        for (int i = 0; i < kCells; ++i)
            if (solver.pickups().test(i) && !r.test(i)) {
                if (count++ < 4) missing += " " + at(i);
            }
        if (count)
            err("clovers or flowers walled in for good:" + missing + (count > 4 ? " ..." : ""));
        else if (solver.exhausted())
            err("no way to finish the level was found within the search limit");
        else
            err("the reachable spiky bombs cannot open every breakable block in the way to the "
                "clovers and flowers");
    }
    return rep;
}

std::string summary(const CheckReport& r) {
    return "clovers " + std::to_string(r.clovers) + " flowers " + std::to_string(r.flowers) +
           " bombs " + std::to_string(r.bombs) + " blocks " + std::to_string(r.blocks) +
           " baddies " + std::to_string(r.baddies) + " junctions " + std::to_string(r.junctions) +
           " blasts " + std::to_string(r.blastsNeeded) + " open " + std::to_string(r.openCells);
}

}  // namespace levels
