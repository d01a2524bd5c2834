// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// The grid path planner: cost grid, open list, closed set and the search itself.
#include "planner/planner.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr float kDiagonalFactor = 1.4142137f;

// Cell-indexed pointer tables come from calloc: large ones arrive as fresh zero pages, so a search
// that touches a corner of a big map only pays for that corner.
Node** newCellTable(size_t cells) {
    if (cells == 0) return nullptr;
    return static_cast<Node**>(std::calloc(cells, sizeof(Node*)));
}

size_t gridCells(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// A usable positive cost value. NaN and infinities would poison every key they touch (NaN breaks
// the ordering of the open list outright), so they count as blocked, like zero and negatives.
bool passable(double v) { return v > 0.0 && v <= DBL_MAX; }

// A passable value v becomes v / M + 1 (M the largest passable value), so costs lie in (1, 2].
float cellCost(double v, double maxValue) {
    return passable(v) ? static_cast<float>(v / maxValue + 1.0) : -1.0f;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// NodeFactory

NodeFactory::NodeFactory(size_t size) : size_(size) {
    if (size_) nodes_ = static_cast<Node*>(std::malloc(size_ * sizeof(Node)));
}

NodeFactory::~NodeFactory() { std::free(nodes_); }

Node* NodeFactory::acquire() {
    if (next_ >= size_ || !nodes_) return nullptr;
    return &nodes_[next_++];
}

void NodeFactory::releaseAll() { next_ = 0; }

// ---------------------------------------------------------------------------------------------
// NodeHashTable

NodeHashTable::NodeHashTable(int hashBits, int32_t width, int32_t height) : width_(width) {
    int b = hashBits < 0 ? 0 : hashBits;
    b &= ~1;
    if (b > 24) b = 24;
    shift_ = b / 2;
    mask_ = (int32_t{1} << shift_) - 1;
    bucketCount_ = size_t{1} << b;
    buckets_ = static_cast<Node**>(std::calloc(bucketCount_, sizeof(Node*)));
    cellCount_ = gridCells(width, height);
    cells_ = newCellTable(cellCount_);
}

NodeHashTable::~NodeHashTable() {
    std::free(buckets_);
    std::free(cells_);
}

size_t NodeHashTable::bucketOf(int32_t x, int32_t y) const {
    return static_cast<size_t>(static_cast<uint32_t>(x & mask_) |
                               (static_cast<uint32_t>(y & mask_) << shift_));
}

Node* NodeHashTable::find(int32_t x, int32_t y) {
    lastFound_ = nullptr;
    if (x < 0 || y < 0 || x >= width_) return nullptr;
    size_t c = static_cast<size_t>(x) + static_cast<size_t>(width_) * static_cast<size_t>(y);
    if (c >= cellCount_) return nullptr;
    lastFound_ = cells_[c];
    return lastFound_;
}

void NodeHashTable::removeLastFound() {
    Node* n = lastFound_;
    if (!n) return;
    lastFound_ = nullptr;
    if (n->prev) {
        n->prev->next = n->next;
    } else {
        buckets_[bucketOf(n->x, n->y)] = n->next;
    }
    if (n->next) n->next->prev = n->prev;
    n->next = n->prev = nullptr;
    cells_[static_cast<size_t>(n->x) + static_cast<size_t>(width_) * n->y] = nullptr;
    --count_;
}

bool NodeHashTable::insert(Node* node) {
    if (node->x < 0 || node->y < 0 || node->x >= width_) return false;
    size_t c =
        static_cast<size_t>(node->x) + static_cast<size_t>(width_) * static_cast<size_t>(node->y);
    if (c >= cellCount_ || cells_[c]) return false;  // one node per cell, never chained twice
    Node*& head = buckets_[bucketOf(node->x, node->y)];
    node->prev = nullptr;
    node->next = head;
    if (head) head->prev = node;
    head = node;
    cells_[c] = node;
    ++count_;
    return true;
}

void NodeHashTable::clear() {
    // Walking chains visits nodes in no useful order; once the set holds a fair share of the map,
    // wiping both tables outright is cheaper.
    if (count_ * 8 >= cellCount_ || count_ * 4 >= bucketCount_) {
        if (cellCount_) std::memset(cells_, 0, cellCount_ * sizeof(Node*));
        std::memset(buckets_, 0, bucketCount_ * sizeof(Node*));
        lastFound_ = nullptr;
        count_ = 0;
        return;
    }
    for (size_t b = 0; b < bucketCount_; ++b) {
        for (Node* n = buckets_[b]; n; n = n->next) {
            cells_[static_cast<size_t>(n->x) + static_cast<size_t>(width_) * n->y] = nullptr;
        }
        buckets_[b] = nullptr;
    }
    lastFound_ = nullptr;
    count_ = 0;
}

// ---------------------------------------------------------------------------------------------
// OpenList

OpenList::OpenList(size_t capacity, int32_t width, int32_t height)
    : heap_(capacity), width_(width) {
    cellCount_ = gridCells(width, height);
    cells_ = newCellTable(cellCount_);
}

OpenList::~OpenList() { std::free(cells_); }

uint64_t OpenList::makeKey(float f, uint32_t stamp) {
    if (f == 0.0f) f = 0.0f;  // -0 and +0 are the same key
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    bits = (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
    return (static_cast<uint64_t>(bits) << 32) | stamp;
}

void OpenList::place(size_t i, const Entry& e) {
    heap_.at(i) = e;
    e.node->openPos = static_cast<int32_t>(i);
}

void OpenList::siftUp(size_t i, Entry e) {
    while (i > 0) {
        size_t parent = (i - 1) / 2;
        const Entry& p = heap_.at(parent);
        if (!before(e, p)) break;
        place(i, p);
        i = parent;
    }
    place(i, e);
}

void OpenList::siftDown(size_t i, Entry e) {
    const size_t n = heap_.size();
    for (;;) {
        size_t child = 2 * i + 1;
        if (child >= n) break;
        if (child + 1 < n && before(heap_.at(child + 1), heap_.at(child))) ++child;
        if (!before(heap_.at(child), e)) break;
        place(i, heap_.at(child));
        i = child;
    }
    place(i, e);
}

// The stamps only matter relative to each other. Before the counter would wrap, hand out fresh
// stamps in key order, which keeps every comparison as it was.
void OpenList::renumber() {
    std::vector<Entry> all;
    all.reserve(heap_.size());
    for (size_t i = 0; i < heap_.size(); ++i) all.push_back(heap_.at(i));
    std::sort(all.begin(), all.end(), before);
    for (size_t i = 0; i < all.size(); ++i) {
        all[i].key = (all[i].key & ~uint64_t{0xFFFFFFFFu}) | static_cast<uint32_t>(i);
        place(i, all[i]);  // a sorted array is a valid heap
    }
    stamp_ = static_cast<uint32_t>(all.size());
}

bool OpenList::append(Node* node) { return insert(node); }

bool OpenList::insert(Node* node) {
    if (heap_.full()) return false;
    if (stamp_ == UINT32_MAX) renumber();
    Entry e{makeKey(node->f, stamp_++), node};
    heap_.pushBack(e);
    siftUp(heap_.size() - 1, e);
    cells_[cellOf(node)] = node;
    return true;
}

Node* OpenList::find(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width_) return nullptr;
    size_t c = static_cast<size_t>(x) + static_cast<size_t>(width_) * static_cast<size_t>(y);
    return c < cellCount_ ? cells_[c] : nullptr;
}

void OpenList::update(Node* node) {
    if (stamp_ == UINT32_MAX) renumber();
    size_t i = static_cast<size_t>(node->openPos);
    Entry e{makeKey(node->f, stamp_++), node};
    if (i > 0 && before(e, heap_.at((i - 1) / 2))) {
        siftUp(i, e);
    } else {
        siftDown(i, e);
    }
}

Node* OpenList::takeBest() {
    if (heap_.empty()) return nullptr;
    Node* best = heap_.at(0).node;
    Entry last = heap_.back();
    heap_.popBack();
    if (!heap_.empty()) siftDown(0, last);
    best->openPos = -1;
    cells_[cellOf(best)] = nullptr;
    return best;
}

void OpenList::clear() {
    for (size_t i = 0; i < heap_.size(); ++i) {
        Node* n = heap_.at(i).node;
        cells_[cellOf(n)] = nullptr;
        n->openPos = -1;
    }
    heap_.clear();
}

// ---------------------------------------------------------------------------------------------
// Planner

Planner::~Planner() = default;

float Planner::cost(int32_t x, int32_t y) const {
    const size_t cell =
        static_cast<size_t>(x) + static_cast<size_t>(settings_.width) * static_cast<size_t>(y);
    const float c = costs_[cell];
    return c != 0.0f ? c : cellCost(settings_.cells[cell], maxValue_);
}

bool Planner::setup(const PlannerSettings& s) {
    if (s.startX < 0 || s.startX >= s.width || s.goalX < 0 || s.goalX >= s.width) return false;
    if (s.startY < 0 || s.startY >= s.height || s.goalY < 0 || s.goalY >= s.height) return false;
    if (s.startX == s.goalX && s.startY == s.goalY) return false;
    if (!s.cells) return false;

    costs_.reset();
    const size_t cells = gridCells(s.width, s.height);
    // Only the scale needs the whole map; cell costs are worked out when the search first reaches a
    // cell, so a search that stays in a corner of a big map does not pay for the rest of it.
    double maxValue = 0.0;
    for (size_t i = 0; i < cells; ++i) {
        const double v = s.cells[i];
        maxValue = (passable(v) && v > maxValue) ? v : maxValue;
    }
    if (!(maxValue > 0.0)) return false;

    // Zero marks a cost not yet worked out (real costs are -1 or at least 1); fresh zero pages.
    float* costs = static_cast<float*>(std::calloc(cells, sizeof(float)));
    if (!costs) return false;
    std::unique_ptr<float[], FreeDeleter> costGrid(costs);
    maxValue_ = maxValue;

    const size_t poolSize = s.poolSize > 0 ? static_cast<size_t>(s.poolSize) : cells;
    const size_t openCapacity = s.openCapacity > 0 ? static_cast<size_t>(s.openCapacity) : cells;
    std::unique_ptr<NodeFactory> pool(new (std::nothrow) NodeFactory(poolSize));
    std::unique_ptr<OpenList> open(new (std::nothrow) OpenList(openCapacity, s.width, s.height));
    std::unique_ptr<NodeHashTable> closed(new (std::nothrow)
                                              NodeHashTable(s.hashBits, s.width, s.height));
    if (!pool || !pool->ok() || !open || !open->ok() || !closed || !closed->ok()) return false;

    costs_ = std::move(costGrid);
    pool_ = std::move(pool);
    open_ = std::move(open);
    closed_ = std::move(closed);
    settings_ = s;
    float w = settings_.weight;
    if (!(w >= 0.0f)) w = 0.0f;  // also NaN
    if (w > 1.0f) w = 1.0f;
    settings_.weight = w;
    result_ = nullptr;
    done_ = 1;
    return true;
}

void Planner::start() {
    done_ = 0;
    result_ = nullptr;
}

void Planner::clear() {
    if (open_) open_->clear();
    if (closed_) closed_->clear();
    if (pool_) pool_->releaseAll();
    result_ = nullptr;
    done_ = 1;
}

// ---------------------------------------------------------------------------------------------
// AStarPlanner

AStarPlanner::~AStarPlanner() = default;

void AStarPlanner::start() {
    Planner::start();
    if (!pool_ || !open_) return;
    Node* n = pool_->acquire();
    if (!n) return;
    n->parent = nullptr;
    n->x = settings_.startX;
    n->y = settings_.startY;
    n->g = 0.0f;
    n->f = 0.0f;
    n->next = n->prev = nullptr;
    n->openPos = -1;
    open_->append(n);
}

bool AStarPlanner::search() {
    if (!open_ || !closed_ || !pool_ || !costs_) {
        done_ = 1;
        return false;
    }
    // Neighbour order: up-left, up, up-right, right, left, down-left, down, down-right.
    static const int kDx[8] = {-1, 0, 1, 1, -1, -1, 0, 1};
    static const int kDy[8] = {-1, -1, -1, 0, 0, 1, 1, 1};
    static const bool kDiagonal[8] = {true, false, true, false, false, true, false, true};

    const float W = settings_.weight;
    const int32_t width = settings_.width, height = settings_.height;
    const int32_t gx = settings_.goalX, gy = settings_.goalY;
    const bool allowDiagonal = settings_.allowDiagonal != 0;
    const float diagonalFactor = settings_.diagonalCost ? kDiagonalFactor : 1.0f;
    float* costs = costs_.get();
    const double* cells = settings_.cells;
    const double maxValue = maxValue_;
    OpenList& open = *open_;
    NodeHashTable& closed = *closed_;

    while (!open.empty()) {
        Node* n = open.takeBest();
        if (n->x == gx && n->y == gy) {
            closed.insert(n);
            result_ = n;
            done_ = 1;
            return true;
        }
        for (int k = 0; k < 8; ++k) {
            if (kDiagonal[k] && !allowDiagonal) continue;
            const int32_t nx = n->x + kDx[k], ny = n->y + kDy[k];
            if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
            const size_t cell =
                static_cast<size_t>(nx) + static_cast<size_t>(width) * static_cast<size_t>(ny);
            float c = costs[cell];
            if (c == 0.0f) c = costs[cell] = cellCost(cells[cell], maxValue);
            if (c == -1.0f) continue;
            const float g2 = kDiagonal[k] ? n->g + c * diagonalFactor : n->g + c;
            const float h = static_cast<float>(std::abs(gx - nx) + std::abs(gy - ny));
            const float f2 = g2 + W * (h - g2);

            if (Node* old = closed.find(nx, ny)) {
                if (old->g > g2) {
                    closed.removeLastFound();
                    old->parent = n;
                    old->g = g2;
                    old->f = f2;
                    open.insert(old);  // room is certain for findPath; a full list drops the node,
                                       // as designed
                }
                continue;
            }
            if (Node* old = open.find(nx, ny)) {
                if (old->g > g2) {
                    old->parent = n;
                    old->g = g2;
                    old->f = f2;
                    open.update(old);
                }
                continue;
            }
            Node* m = pool_->acquire();
            if (!m) continue;
            m->parent = n;
            m->x = nx;
            m->y = ny;
            m->g = g2;
            m->f = f2;
            m->next = m->prev = nullptr;
            m->openPos = -1;
            open.insert(m);
        }
        closed.insert(n);
    }
    done_ = 1;
    return false;
}

// ---------------------------------------------------------------------------------------------

int planPath(const PlannerSettings& settings, std::vector<GridPoint>& path) {
    AStarPlanner planner;
    if (!planner.setup(settings)) return -1;
    planner.start();
    planner.search();
    Node* goal = planner.result();
    if (!goal) {
        path.clear();
        return 0;
    }
    // A node's g is never below its parent's and re-parenting needs a strictly lower g, so the
    // links cannot loop; the bound is there so that a broken invariant shows as "no path", not a
    // hang.
    const size_t limit = planner.poolSize();
    size_t n = 0;
    for (Node* p = goal; p && n <= limit; p = p->parent) ++n;
    if (n > limit) {
        planner.clear();
        path.clear();
        return 0;
    }
    path.assign(n, GridPoint{0, 0});
    size_t i = n;
    for (Node* p = goal; p; p = p->parent) path[--i] = GridPoint{p->x, p->y};
    planner.clear();
    return static_cast<int>(n);
}
