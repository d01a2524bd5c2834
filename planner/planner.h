// SPDX-FileCopyrightText: 2026 The Crumlet developers
// SPDX-License-Identifier: Zlib
// Grid path planner: a weighted best-first search of the A* family over a cost grid.
//
// The search is fully determined: neighbours are visited in a fixed order, all costs and keys are
// 32-bit floats, and the open list hands out the lowest f first and, among equal f, the entry that
// was inserted first. Callers (and saved replays) rely on getting the very same path every time, so
// everything below keeps those rules bit for bit while using per-cell indexes and a binary heap to
// stay fast on large maps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

struct NumberArray;

// A weight, a start and a goal over a grid of doubles (cell (x, y) is cells[x + width * y]).
struct PlannerSettings {
    int32_t startX = 0, startY = 0;
    int32_t goalX = 0, goalY = 0;
    uint8_t diagonalCost = 1;   // a diagonal step costs 1.4142137 x the cell cost instead of 1 x
    uint8_t allowDiagonal = 0;  // search the four diagonal neighbours too
    int32_t poolSize = 0;       // nodes in the pool; 0: width x height
    int32_t openCapacity = 0;   // capacity of the open list; 0: width x height
    int32_t hashBits = 8;  // closed set has 2^(hashBits rounded down to even, at most 24) buckets
    float weight = 0.5f;   // heuristic weight, clamped to 0..1
    int32_t width = 0, height = 0;
    const double* cells = nullptr;
};

// One searched cell.
struct Node {
    Node* parent;  // reached from; none for the start node
    int32_t x, y;
    float f;     // open-list key
    float g;     // cost from the start
    Node* next;  // next node in the same closed-set bucket
    // Bookkeeping of the fast sets.
    Node* prev;       // previous node in the same closed-set bucket
    int32_t openPos;  // position in the open list's heap, -1 when not there
};

struct GridPoint {
    int32_t x, y;
    bool operator==(const GridPoint& o) const { return x == o.x && y == o.y; }
};

// Pool of search nodes: one block of `size` nodes handed out in turn; none once all are out.
class NodeFactory {
  public:
    explicit NodeFactory(size_t size);
    NodeFactory(const NodeFactory&) = delete;
    NodeFactory& operator=(const NodeFactory&) = delete;
    virtual ~NodeFactory();

    Node* acquire();    // nullptr when the pool is exhausted
    void releaseAll();  // every node becomes available again
    size_t size() const { return size_; }
    bool ok() const { return size_ == 0 || nodes_ != nullptr; }

  private:
    Node* nodes_ = nullptr;
    size_t size_ = 0;
    size_t next_ = 0;
};

// The closed set: nodes chained in 2^b buckets by cell ((x & m) | (y & m) << s), newest first, plus
// a per-cell index so that finding and removing a node never walks a chain.
class NodeHashTable {
  public:
    NodeHashTable(int hashBits, int32_t width, int32_t height);
    NodeHashTable(const NodeHashTable&) = delete;
    NodeHashTable& operator=(const NodeHashTable&) = delete;
    virtual ~NodeHashTable();

    Node* find(int32_t x, int32_t y);  // remembers the node for removeLastFound
    void removeLastFound();
    bool insert(Node* node);  // false when the cell already holds this node
    void clear();
    size_t bucketCount() const { return bucketCount_; }
    size_t bucketOf(int32_t x, int32_t y) const;
    size_t size() const { return count_; }
    bool ok() const { return buckets_ && (cells_ || cellCount_ == 0); }
    // Walks a bucket's chain, newest first (used to inspect the layout).
    Node* bucketHead(size_t bucket) const { return buckets_[bucket]; }

  private:
    Node** buckets_ = nullptr;
    size_t bucketCount_ = 0;
    int shift_ = 0;
    int32_t mask_ = 0;
    Node** cells_ = nullptr;  // node per cell, nullptr when the cell has none in this set
    size_t cellCount_ = 0;
    int32_t width_ = 0;
    Node* lastFound_ = nullptr;
    size_t count_ = 0;
};

// A ring buffer of fixed capacity. Inserting or removing in the middle moves the shorter side;
// appending or inserting into a full deque does nothing and reports failure.
template <typename T>
class FixedDeque {
  public:
    explicit FixedDeque(size_t capacity)
        : buf_(capacity ? new (std::nothrow) T[capacity] : nullptr), cap_(capacity) {}
    FixedDeque(const FixedDeque&) = delete;
    FixedDeque& operator=(const FixedDeque&) = delete;
    virtual ~FixedDeque() = default;

    bool ok() const { return cap_ == 0 || buf_ != nullptr; }
    size_t size() const { return size_; }
    size_t capacity() const { return cap_; }
    bool empty() const { return size_ == 0; }
    bool full() const { return size_ == cap_; }

    T& at(size_t i) { return buf_[wrap(head_ + i)]; }
    const T& at(size_t i) const { return buf_[wrap(head_ + i)]; }
    T& back() { return at(size_ - 1); }
    T& front() { return at(0); }

    bool pushBack(const T& v) {
        if (full()) return false;
        buf_[wrap(head_ + size_)] = v;
        ++size_;
        return true;
    }
    bool pushFront(const T& v) {
        if (full()) return false;
        head_ = head_ == 0 ? cap_ - 1 : head_ - 1;
        buf_[head_] = v;
        ++size_;
        return true;
    }
    void popBack() {
        if (size_) --size_;
    }
    void popFront() {
        if (size_) {
            head_ = wrap(head_ + 1);
            --size_;
        }
    }
    // Inserts so that the new entry ends up at position i (0 = front, size() = back).
    bool insertAt(size_t i, const T& v) {
        if (full() || i > size_) return false;
        if (i < size_ - i) {
            head_ = head_ == 0 ? cap_ - 1 : head_ - 1;
            for (size_t k = 0; k < i; ++k) at(k) = at(k + 1);
        } else {
            for (size_t k = size_; k > i; --k) buf_[wrap(head_ + k)] = buf_[wrap(head_ + k - 1)];
        }
        ++size_;
        at(i) = v;
        return true;
    }
    bool removeAt(size_t i) {
        if (i >= size_) return false;
        if (i < size_ - 1 - i) {
            for (size_t k = i; k > 0; --k) at(k) = at(k - 1);
            head_ = wrap(head_ + 1);
        } else {
            for (size_t k = i; k + 1 < size_; ++k) at(k) = at(k + 1);
        }
        --size_;
        return true;
    }
    void clear() {
        head_ = 0;
        size_ = 0;
    }

  private:
    size_t wrap(size_t k) const { return k >= cap_ ? k - cap_ : k; }
    std::unique_ptr<T[]> buf_;
    size_t cap_ = 0;
    size_t head_ = 0;
    size_t size_ = 0;
};

// The open list: a binary heap keyed by (f, insertion stamp) on fixed storage, with a per-cell
// index. Taking the minimum of that key is exactly "lowest f, and among equal f the one inserted
// first", and re-inserting an updated node gives it a fresh stamp, as removing and inserting it
// again would.
class OpenList {
  public:
    OpenList(size_t capacity, int32_t width, int32_t height);
    OpenList(const OpenList&) = delete;
    OpenList& operator=(const OpenList&) = delete;
    ~OpenList();

    bool ok() const { return heap_.ok() && (cells_ || cellCount_ == 0); }
    size_t size() const { return heap_.size(); }
    bool empty() const { return heap_.empty(); }
    bool append(Node* node);  // the start node; same stamp rule as insert
    bool insert(Node* node);  // false when full
    Node* find(int32_t x, int32_t y) const;
    void update(Node* node);  // node's f changed: it is re-stamped as if re-inserted
    Node* takeBest();         // removes and returns the lowest (f, stamp)
    void clear();
    // Moves the stamp counter (lets tests reach the wrap-around without billions of insertions).
    void setNextStamp(uint32_t stamp) { stamp_ = stamp; }

  private:
    // (f, stamp) packed into one integer that sorts the same way: f's bits mapped to an unsigned
    // order-preserving form above, the stamp below.
    struct Entry {
        uint64_t key;
        Node* node;
    };
    static uint64_t makeKey(float f, uint32_t stamp);
    static bool before(const Entry& a, const Entry& b) { return a.key < b.key; }
    void place(size_t i, const Entry& e);
    void siftUp(size_t i, Entry e);
    void siftDown(size_t i, Entry e);
    void renumber();
    size_t cellOf(const Node* n) const {
        return static_cast<size_t>(n->x) + static_cast<size_t>(width_) * n->y;
    }

    FixedDeque<Entry> heap_;
    Node** cells_ = nullptr;
    size_t cellCount_ = 0;
    int32_t width_ = 0;
    uint32_t stamp_ = 0;
};

// The search machine: set-up, start, search, clear. One planner serves one search.
class Planner {
  public:
    Planner() = default;
    Planner(const Planner&) = delete;
    Planner& operator=(const Planner&) = delete;
    virtual ~Planner();

    // Builds the cost grid and the sets; false (nothing built) when the settings cannot be
    // searched. The map (settings.cells) is read until the search ends.
    bool setup(const PlannerSettings& settings);
    virtual void start();
    virtual bool search() = 0;
    virtual void clear();

    bool done() const { return done_ != 0; }
    Node* result() const { return result_; }
    // Cost of a cell: -1 for blocked cells, else in (1, 2].
    float cost(int32_t x, int32_t y) const;
    const PlannerSettings& settings() const { return settings_; }
    size_t poolSize() const { return pool_ ? pool_->size() : 0; }

  protected:
    uint8_t done_ = 1;
    std::unique_ptr<NodeFactory> pool_;
    PlannerSettings settings_;
    struct FreeDeleter {
        void operator()(void* p) const { std::free(p); }
    };
    std::unique_ptr<float[], FreeDeleter> costs_;  // 0 until a cell's cost is first needed
    double maxValue_ = 0.0;
    std::unique_ptr<OpenList> open_;
    std::unique_ptr<NodeHashTable> closed_;
    Node* result_ = nullptr;
};

class AStarPlanner : public Planner {
  public:
    ~AStarPlanner() override;
    void start() override;
    bool search() override;
};

// Runs one search; fills `path` from start to goal and returns its length, or 0 without a path.
// Returns -1 when set-up fails (start or goal off the grid, start == goal, nothing passable), in
// which case `path` is left as it was.
int planPath(const PlannerSettings& settings, std::vector<GridPoint>& path);

// The runtime operation: `map` holds the costs (first size = width, second = height); on success
// `path` becomes an n by 2 array (x in [i][0], y in [i][1], start first) and n is returned.
double findPath(NumberArray& map, NumberArray& path, double weight, double startX, double startY,
                double goalX, double goalY);
