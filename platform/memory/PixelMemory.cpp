#include "platform/memory/PixelMemory.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace pixelmemory {

namespace {

// Smaller blocks come from the allocator's own free lists without any cost
// worth saving.
constexpr size_t cRecycledMinimum = 256 * 1024;
// Enough for the buffers of one frame in flight (source, working buffer,
// cut-out, image, fade copy).
constexpr int cRecycledBlocks = 6;

struct Kept {
    void* block = nullptr;
    size_t bytes = 0;
};

struct Recycler {
    ~Recycler() {
        for (Kept& k : kept) std::free(k.block);
    }
    std::mutex lock;
    Kept kept[cRecycledBlocks];
};

Recycler& TheRecycler() {
    static Recycler recycler;
    return recycler;
}

std::atomic<int> lgAllocationsLeft{-1};

// Whether this allocation is one a test made fail.
bool Refused() {
    int left = lgAllocationsLeft.load(std::memory_order_relaxed);
    while (left >= 0) {
        if (left == 0) return true;
        if (lgAllocationsLeft.compare_exchange_weak(left, left - 1)) return false;
    }
    return false;
}

size_t Rounded(size_t bytes) { return (bytes + cAlignment - 1) / cAlignment * cAlignment; }

}  // namespace

void FailAfter(int allocations) { lgAllocationsLeft = allocations < 0 ? -1 : allocations; }

void* Allocate(size_t bytes) {
    if (Refused()) return nullptr;
    bytes = Rounded(bytes == 0 ? 1 : bytes);
    if (bytes >= cRecycledMinimum) {
        Recycler& r = TheRecycler();
        std::lock_guard<std::mutex> guard(r.lock);
        for (Kept& k : r.kept) {
            if (k.block && k.bytes == bytes) {
                void* block = k.block;
                k = Kept{};
                return block;
            }
        }
    }
    return std::aligned_alloc(cAlignment, bytes);
}

void Free(void* block, size_t bytes) {
    if (!block) return;
    bytes = Rounded(bytes == 0 ? 1 : bytes);
    if (bytes >= cRecycledMinimum) {
        Recycler& r = TheRecycler();
        std::lock_guard<std::mutex> guard(r.lock);
        // Oldest first: a full list gives back its oldest block, whose size
        // is the least likely to be asked for again.
        int hole = 0;
        while (hole < cRecycledBlocks && r.kept[hole].block) ++hole;
        if (hole == cRecycledBlocks) {
            std::free(r.kept[0].block);
            hole = 0;
        }
        for (int i = hole; i + 1 < cRecycledBlocks; ++i) r.kept[i] = r.kept[i + 1];
        r.kept[cRecycledBlocks - 1] = Kept{block, bytes};
        return;
    }
    std::free(block);
}

}  // namespace pixelmemory
