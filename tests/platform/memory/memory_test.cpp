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
