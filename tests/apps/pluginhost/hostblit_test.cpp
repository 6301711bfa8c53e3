#include "apps/pluginhost/HostBlit.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "apps/pluginhost/BlitRows.h"
#include "platform/quickdraw/PixelRows.h"
#include "platform/types/FastPaths.h"
#include "tests/support/TestFrames.h"

using namespace testframes;

namespace {

int Expected(int s, int d, int a) { return (s * a + d * (255 - a) + 127) / 255; }

TEST(HostBlit, BlendsEveryChannelWithTheOpacityAndClips) {
    // Odd widths exercise the tail after the four-pixel blocks.
    for (int width : {1, 5, 17}) {
        for (int opacity : {-5, 0, 1, 128, 254, 255, 300}) {
            GWorldHolder src = MakeGWorld(width, 3), dst = MakeGWorld(width, 3);
            FillPattern(src.get(), 1);
            FillPattern(dst.get(), 2);
            GWorldHolder before = MakeGWorld(width, 3);
            FillPattern(before.get(), 2);
            const Rect all = {0, 0, 3, static_cast<int16_t>(width)};
            const Rect shifted = {1, 0, 4, static_cast<int16_t>(width)};  // last row falls off
            pluginhost::BlendPixMaps(src->pixMap, dst->pixMap, all, shifted, opacity);
            const int a = std::clamp(opacity, 0, 255);
            for (int x = 0; x < width; ++x) {
                EXPECT_EQ(PixelAt(dst.get(), x, 0), PixelAt(before.get(), x, 0));
                for (int y = 1; y < 3; ++y) {
                    const Pixel s = PixelAt(src.get(), x, y - 1), d = PixelAt(before.get(), x, y);
                    const Pixel got = PixelAt(dst.get(), x, y);
                    ASSERT_EQ(got.a, 255);
                    ASSERT_EQ(got.r, Expected(s.r, d.r, a)) << width << " " << opacity;
                    ASSERT_EQ(got.g, Expected(s.g, d.g, a));
                    ASSERT_EQ(got.b, Expected(s.b, d.b, a));
                }
            }
        }
    }
}

// A full-opacity Blit between rectangles of different sizes picks the same
// source pixels as the plug-in's own CopyBits: up, down, by odd ratios.
TEST(HostBlit, ScalesByTheSameRuleAsCopyBits) {
    for (auto [sw, sh, dw, dh] :
         {std::array{2, 2, 4, 4}, {10, 9, 16, 12}, {37, 29, 16, 12}, {16, 5, 7, 13}}) {
        GWorldHolder src = MakeGWorld(sw, sh), blitted = MakeGWorld(dw, dh);
        GWorldHolder copied = MakeGWorld(dw, dh);
        FillPattern(src.get(), 3);
        const Rect from{0, 0, static_cast<int16_t>(sh), static_cast<int16_t>(sw)};
        const Rect to{0, 0, static_cast<int16_t>(dh), static_cast<int16_t>(dw)};
        pluginhost::BlendPixMaps(src->pixMap, blitted->pixMap, from, to, 255);
        CopyBits(&src->pixMap, &copied->pixMap, &from, &to, srcCopy, nullptr);
        EXPECT_EQ(MaxDifference(blitted.get(), copied.get(), to), 0) << sw << "x" << sh;
    }
}

// Rows of a buffer laid out as hosts lay them out: wider than the picture,
// starting anywhere, and the last pixel against an unreadable page, so a
// kernel that reads one byte too far faults.
class GuardedRows {
  public:
    GuardedRows(int width, int height, int rowBytes, int offset) : rowBytes_(rowBytes) {
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t used = static_cast<size_t>(offset + rowBytes * (height - 1) + 4 * width);
        span_ = (used + page_ - 1) / page_ * page_;
        base_ = static_cast<uint8_t*>(mmap(nullptr, span_ + page_, PROT_READ | PROT_WRITE,
                                           MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(base_ + span_, page_, PROT_NONE);
        first_ = base_ + span_ - used + offset;
    }
    ~GuardedRows() { munmap(base_, span_ + page_); }
    uint8_t* Row(int y) { return first_ + static_cast<ptrdiff_t>(y) * rowBytes_; }

  private:
    size_t page_, span_;
    int rowBytes_;
    uint8_t* base_;
    uint8_t* first_;
};

// Each kernel against the portable one, on every width up to a few blocks,
// every opacity class (on one width every opacity), unaligned rows ending
// at a page boundary, the alpha byte first or last.
TEST(HostBlit, RowKernelsAgreeWithThePortableRow) {
    const std::vector<pluginhost::NamedBlendRow>& kernels = pluginhost::RunnableBlendRows();
    ASSERT_STREQ(kernels.front().name, "portable");
#ifdef __x86_64__
    ASSERT_GT(kernels.size(), 1u) << "no SIMD row built, though every x86-64 has SSE2";
#endif
    EXPECT_EQ(pluginhost::ChosenBlendRowSameSize(),
              (hz::FastPathsDisabled() ? kernels.front() : kernels.back()).kernel);
    std::mt19937 random(7);
    for (const auto& [name, needs, kernel] : kernels) {
        for (int width = 1; width <= 37; ++width) {
            std::vector<uint32_t> opacities{0, 1, 127, 128, 254, 255};
            if (width == 37)
                for (uint32_t a = 0; a < 256; ++a) opacities.push_back(a);
            for (uint32_t a : opacities) {
                const int offset = 4 * (width % 3) + 4;
                GuardedRows src(width, 3, 4 * width + 12, offset), dst(width, 3, 4 * width, 0);
                std::vector<uint8_t> want(4 * width);
                for (int y = 0; y < 3; ++y) {
                    for (int i = 0; i < 4 * width; ++i) {
                        src.Row(y)[i] = static_cast<uint8_t>(random());
                        dst.Row(y)[i] = static_cast<uint8_t>(random());
                    }
                    std::copy(dst.Row(y), dst.Row(y) + 4 * width, want.begin());
                    const uint32_t opaque =
                        quickdraw::AlphaMask(y % 2 ? k32RGBAPixelFormat : k32ARGBPixelFormat);
                    pluginhost::BlendRowSameSizePortable(want.data(), src.Row(y), width, a, opaque);
                    kernel(dst.Row(y), src.Row(y), width, a, opaque);
                    ASSERT_TRUE(std::equal(want.begin(), want.end(), dst.Row(y)))
                        << name << " width " << width << " opacity " << a << " row " << y;
                }
            }
        }
    }
}

}  // namespace
