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
    Solver(const Level& level, int nodeLimit) : level_(level), nodeLimit_(nodeLimit) {
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
    bool exhausted() const { return nodes_ > nodeLimit_; }
    int nodes() const { return nodes_; }

  private:
    bool search(const CellSet& opened, int used, std::vector<int>& plan) {
        if (++nodes_ > nodeLimit_) return false;
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
            if (nodes_ > nodeLimit_) return false;
        }
        return false;
    }

    const Level& level_;
    const int nodeLimit_;
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

namespace {

// The checker's rules, one routine each, in the order checkLevel applies them. Every fault names
// the cell it is about when there is one, so a pack loader can point at the map character.
class LevelChecker {
  public:
    LevelChecker(const Level& level, int searchLimit) : level_(level), searchLimit_(searchLimit) {}

    CheckReport run() {
        countCells();
        for (int i = 0; i < kCells; ++i) {
            if (!visible(i)) {
                checkOutsideIsEmpty(i);
                continue;
            }
            checkCodes(i);
            checkBorderIsWall(i);
            checkPickupCanBeCollected(i);
            checkJunctionMark(i);
        }
        checkTheBug();
        checkSomethingToCollect();
        checkBaddiesStartFarEnough();
        // Finishability is only worth proving for a level whose cells all make sense.
        if (report_.ok()) checkFinishable();
        return report_;
    }

  private:
    void fail(int cell, const std::string& text) {
        report_.errors.push_back(text);
        report_.errorCells.push_back(cell);
    }

    // The figures of the report, and where the bug starts.
    void countCells() {
        for (int i = 0; i < kCells; ++i) {
            if (!visible(i)) continue;
            const uint8_t m = level_.map[i], it = level_.items[i];
            if (m == kBug) {
                ++bugs_;
                if (bug_ < 0)
                    bug_ = i;
                else if (secondBug_ < 0)
                    secondBug_ = i;
            }
            if (m == kBlock) ++report_.blocks;
            if (isBaddy(m)) ++report_.baddies;
            if (it == kSpikyBomb && m != kWall && m != kBlock) ++report_.bombs;
            if (m != kBug && m != kWall && m != kBlock) {
                if (it == kClover) ++report_.clovers;
                if (it == kFlower) ++report_.flowers;
            }
            if (level_.junctions[i] == kJunction) ++report_.junctions;
        }
        // The game counts the bug's start cell as one pick-up instead of whatever lies under it.
        report_.pickupsAtStart = report_.clovers + report_.flowers + bugs_;
    }

    // The game never draws or plays the cells beyond the screen; they must hold nothing.
    void checkOutsideIsEmpty(int i) {
        if (level_.map[i] || level_.items[i] || level_.junctions[i])
            fail(i, "cell " + at(i) + " outside the visible area is not empty");
    }

    void checkCodes(int i) {
        const uint8_t m = level_.map[i], it = level_.items[i], j = level_.junctions[i];
        if (!(m == kFloor || m == kWall || m == kBug || m == kBlock || isBaddy(m)))
            fail(i, "cell " + at(i) + ": layer 1 code " + std::to_string(m) +
                        " does not belong in a level file");
        if (!(it == 0 || it == kClover || it == kFlower || it == kSpikyBomb))
            fail(i, "cell " + at(i) + ": layer 2 code " + std::to_string(it) + " is not a pick-up");
        if (!(j == 0 || j == kJunction))
            fail(i, "cell " + at(i) + ": layer 3 code " + std::to_string(j) +
                        " is not a junction mark");
    }

    void checkBorderIsWall(int i) {
        const int col = i % kColumns, row = i / kColumns;
        const bool border = col == 0 || row == 0 || col == kViewColumns - 1 || row == kViewRows - 1;
        if (border && level_.map[i] != kWall) fail(i, "border cell " + at(i) + " is not a wall");
    }

    void checkPickupCanBeCollected(int i) {
        const uint8_t m = level_.map[i];
        if (!level_.items[i]) return;
        if (m == kWall || m == kBlock)
            fail(i, "cell " + at(i) + ": a pick-up under a " +
                        std::string(m == kWall ? "wall" : "breakable block") +
                        " can never be collected");
        if (isBaddy(m)) fail(i, "cell " + at(i) + ": a pick-up under a baddy's start cell");
    }

    // A baddy chooses its way only at a mark, so a mark needs three or more ways to choose from.
    void checkJunctionMark(int i) {
        if (level_.junctions[i] != kJunction) return;
        const uint8_t m = level_.map[i];
        const int open = openNeighbours(level_, i % kColumns, i / kColumns);
        if (m == kWall || m == kBlock)
            fail(i, "junction mark at " + at(i) + " on a " +
                        std::string(m == kWall ? "wall" : "breakable block"));
        else if (open < 3)
            fail(i,
                 "junction mark at " + at(i) + " with only " + std::to_string(open) + " open ways");
    }

    // Exactly one bug, on a clover or flower: the count of pick-ups only reaches 0 when what lies
    // under the start cell is collected on the way back.
    void checkTheBug() {
        if (bugs_ != 1) {
            fail(secondBug_,
                 "the level holds " + std::to_string(bugs_) + " bugs, expected exactly one");
            return;
        }
        if (!isPickup(level_.items[bug_]))
            fail(bug_, "no clover or flower under the bug's start cell " + at(bug_) +
                           ": the game counts that cell as a pick-up, so the level could never "
                           "be finished");
        if (level_.items[bug_] == kSpikyBomb)
            report_.warnings.push_back("a spiky bomb lies under the bug's start cell");
    }

    void checkSomethingToCollect() {
        if (report_.clovers + report_.flowers == 0)
            fail(-1, "the level holds no clover or flower to collect");
    }

    void checkBaddiesStartFarEnough() {
        if (bugs_ != 1) return;
        for (int i = 0; i < kCells; ++i) {
            if (!visible(i) || !isBaddy(level_.map[i])) continue;
            const int d = walkDistance(level_, bug_, i);
            if (d >= 0 && d < kMinBaddyDistance)
                fail(i, "baddy at " + at(i) + " starts only " + std::to_string(d) +
                            " steps from the bug");
        }
    }

    // Every counted clover and flower reachable, blasting blocks open with the bombs in reach.
    void checkFinishable() {
        Solver solver(level_, searchLimit_);
        report_.openCells = static_cast<int>(solver.reach(CellSet()).count());
        // Not even with every block gone: some pick-up is walled in for good. Known at once, so
        // the search for a plan (which may try many blasts) is never spent on such a level.
        CellSet all;
        all.set();
        if (failUnreached(solver, solver.reach(all), "walled in for good")) return;
        std::vector<int> plan;
        const bool solved = solver.solve(plan);
        report_.searchSteps = std::min(solver.nodes(), searchLimit_);
        if (solved) {
            report_.plan = plan;
            report_.blastsNeeded = static_cast<int>(plan.size());
            return;
        }
        if (solver.exhausted()) {
            fail(-1, "no way to finish the level was found within the search limit");
            return;
        }
        // Behind blocks: name the first pick-up the bug cannot reach without a blast.
        failUnreached(solver, solver.reach(CellSet()),
                      "the reachable spiky bombs cannot open every breakable block in the way");
    }

    // One fault for the pick-ups outside `reached`, at the first of them; false when there is none.
    bool failUnreached(const Solver& solver, const CellSet& reached, const std::string& why) {
        int first = -1, count = 0;
        for (int i = 0; i < kCells; ++i)
            if (solver.pickups().test(i) && !reached.test(i) && count++ == 0) first = i;
        if (count == 0) return false;
        const std::string what = level_.items[first] == kFlower ? "flower" : "clover";
        std::string text = what + " at " + at(first) + " cannot be reached: " + why;
        if (count > 1)
            text += " (and " + std::to_string(count - 1) + " more clover(s) or flower(s))";
        fail(first, text);
        return true;
    }

    const Level& level_;
    const int searchLimit_;
    CheckReport report_;
    int bugs_ = 0, bug_ = -1, secondBug_ = -1;
};

}  // namespace

CheckReport checkLevel(const Level& level, int searchLimit) {
    return LevelChecker(level, searchLimit).run();
}

std::string summary(const CheckReport& r) {
    return "clovers " + std::to_string(r.clovers) + " flowers " + std::to_string(r.flowers) +
           " bombs " + std::to_string(r.bombs) + " blocks " + std::to_string(r.blocks) +
           " baddies " + std::to_string(r.baddies) + " junctions " + std::to_string(r.junctions) +
           " blasts " + std::to_string(r.blastsNeeded) + " open " + std::to_string(r.openCells);
}

}  // namespace levels
