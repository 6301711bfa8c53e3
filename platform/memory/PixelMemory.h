// Memory for pixels. A video frame's buffers come and go at the same few
// sizes every frame; handing large blocks back to the system each time
// makes the kernel clear fresh pages for the next frame, so a few of them
// are kept for reuse.
#ifndef HZ_PLATFORM_MEMORY_PIXELMEMORY_H
#define HZ_PLATFORM_MEMORY_PIXELMEMORY_H

#include <cstddef>

namespace pixelmemory {

inline constexpr size_t cAlignment = 64;

// Aligned to cAlignment; contents undefined; nil when memory is short.
void* Allocate(size_t bytes);
// bytes must be what the block was allocated with.
void Free(void* block, size_t bytes);

// Lets `allocations` more blocks succeed and fails every one after them, so
// tests can make memory short at any step of a frame; negative ends it.
void FailAfter(int allocations);

struct Deleter {
    size_t bytes = 0;
    void operator()(void* block) const { Free(block, bytes); }
};

}  // namespace pixelmemory

#endif
