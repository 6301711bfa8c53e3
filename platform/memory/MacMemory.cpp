#include "platform/memory/MacMemory.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// Each pointer block starts with a header that records its size; the header
// is as large as the strictest alignment so the caller's bytes stay aligned.
struct BlockHeader {
    Size size;
};
constexpr size_t cHeaderSize = alignof(std::max_align_t);
static_assert(sizeof(BlockHeader) <= cHeaderSize);

thread_local OSErr lgMemError = noErr;

BlockHeader* HeaderOf(Ptr p) { return reinterpret_cast<BlockHeader*>(p - cHeaderSize); }

Ptr AllocateBlock(Size byteCount, bool clear) {
    if (byteCount < 0) {
        lgMemError = paramErr;
        return nullptr;
    }
    const size_t total = cHeaderSize + static_cast<size_t>(byteCount);
    void* raw = clear ? std::calloc(1, total) : std::malloc(total);
    if (!raw) {
        lgMemError = memFullErr;
        return nullptr;
    }
    auto* header = static_cast<BlockHeader*>(raw);
    header->size = byteCount;
    lgMemError = noErr;
    return static_cast<Ptr>(raw) + cHeaderSize;
}

}  // namespace

Ptr NewPtr(Size byteCount) { return AllocateBlock(byteCount, false); }

Ptr NewPtrClear(Size byteCount) { return AllocateBlock(byteCount, true); }

void DisposePtr(Ptr p) {
    lgMemError = noErr;
    if (!p) return;
    std::free(HeaderOf(p));
}

Size GetPtrSize(Ptr p) {
    if (!p) {
        lgMemError = nilHandleErr;
        return 0;
    }
    lgMemError = noErr;
    return HeaderOf(p)->size;
}

Handle NewHandle(Size byteCount) {
    Ptr block = NewPtr(byteCount);
    if (!block) return nullptr;
    auto* h = static_cast<Handle>(std::malloc(sizeof(Ptr)));
    if (!h) {
        DisposePtr(block);
        lgMemError = memFullErr;
        return nullptr;
    }
    *h = block;
    return h;
}

Handle NewHandleClear(Size byteCount) {
    Handle h = NewHandle(byteCount);
    if (h) std::memset(*h, 0, static_cast<size_t>(byteCount));
    return h;
}

void DisposeHandle(Handle h) {
    lgMemError = noErr;
    if (!h) return;
    DisposePtr(*h);
    std::free(h);
}

Size GetHandleSize(Handle h) {
    if (!h) {
        lgMemError = nilHandleErr;
        return 0;
    }
    return GetPtrSize(*h);
}

void SetHandleSize(Handle h, Size newSize) {
    if (!h || newSize < 0) {
        lgMemError = h ? paramErr : nilHandleErr;
        return;
    }
    Ptr block = NewPtr(newSize);
    if (!block) return;
    const Size oldSize = GetPtrSize(*h);
    std::memcpy(block, *h, static_cast<size_t>(oldSize < newSize ? oldSize : newSize));
    DisposePtr(*h);
    *h = block;
    lgMemError = noErr;
}

// Blocks never move here, so locking has nothing to do.
void HLock(Handle) { lgMemError = noErr; }
void HUnlock(Handle) { lgMemError = noErr; }

OSErr MemError(void) { return lgMemError; }
