#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "platform/memory/MacMemory.h"

namespace {

TEST(Memory, BlocksKnowTheirSizeAndStartCleared) {
    for (Size size : {0, 1, 140, 4097}) {
        Ptr p = NewPtrClear(size);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(GetPtrSize(p), size);
        for (Size i = 0; i < size; ++i) ASSERT_EQ(p[i], 0);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u);
        DisposePtr(p);
    }
    EXPECT_EQ(NewPtr(-1), nullptr);
    EXPECT_EQ(MemError(), paramErr);
    EXPECT_EQ(GetPtrSize(nullptr), 0);
}

TEST(Memory, HandlesResizeKeepingTheirContent) {
    Handle h = NewHandleClear(4);
    ASSERT_NE(h, nullptr);
    std::memcpy(*h, "abcd", 4);
    SetHandleSize(h, 8);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h), 8);
    EXPECT_EQ(std::memcmp(*h, "abcd", 4), 0);
    SetHandleSize(h, 2);
    EXPECT_EQ(GetHandleSize(h), 2);
    EXPECT_EQ(std::memcmp(*h, "ab", 2), 0);
    DisposeHandle(h);
    DisposeHandle(nullptr);
}

}  // namespace

#include "platform/memory/PixelMemory.h"

namespace {

TEST(PixelMemory, ReusesOnlyBlocksOfTheSameSize) {
    const size_t frame = 1920 * 1080 * 4, other = 720 * 480 * 4;
    void* a = pixelmemory::Allocate(frame);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % pixelmemory::cAlignment, 0u);
    pixelmemory::Free(a, frame);
    void* b = pixelmemory::Allocate(other);
    EXPECT_NE(b, a);  // a smaller request never gets the larger block...
    void* c = pixelmemory::Allocate(frame);
    EXPECT_EQ(c, a);  // ...while the same size does
    std::memset(b, 1, other);
    std::memset(c, 2, frame);
    pixelmemory::Free(b, other);
    pixelmemory::Free(c, frame);
    // More blocks than are kept: the oldest go back, nothing leaks.
    void* many[10];
    for (void*& p : many) p = pixelmemory::Allocate(frame);
    for (void* p : many) pixelmemory::Free(p, frame);
}

}  // namespace
