#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <vector>

#include "apps/media/ArgbConverter.h"
#include "apps/media/Yuv420Pictures.h"
#include "apps/media/YuvRows.h"
#include "platform/types/FastPaths.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

// A 4:2:0 picture in planes of its own, with strides wider than its rows.
struct Planes {
    int width, height;
    std::vector<uint8_t> y, u, v;
    int yStride, cStride;
    Planes(int w, int h) : width(w), height(h), yStride(w + 7), cStride((w + 1) / 2 + 5) {
        y.assign(static_cast<size_t>(yStride) * h, 0);
        u.assign(static_cast<size_t>(cStride) * ((h + 1) / 2), 0);
        v = u;
    }
    media::Yuv420Planes View() {
        return {{y.data(), u.data(), v.data()}, {yStride, cStride, cStride}};
    }
    uint8_t& Y(int x, int r) { return y[r * yStride + x]; }
    uint8_t& U(int x, int r) { return u[r * cStride + x]; }
    uint8_t& V(int x, int r) { return v[r * cStride + x]; }
};

media::YuvMatrix Matrix(AVColorSpace space, bool full) {
    media::YuvMatrix m;
    EXPECT_TRUE(media::MakeYuvMatrix(space, full, &m));
    return m;
}

struct Colour {
    uint8_t r, g, b;
};

// A picture of one colour through the kernels: its luma and its chroma.
std::array<int, 3> YuvOf(Colour c, const media::YuvMatrix& m) {
    std::vector<uint8_t> argb(8 * 4 * 4);
    for (size_t i = 0; i < argb.size(); i += 4)
        argb[i] = 255, argb[i + 1] = c.r, argb[i + 2] = c.g, argb[i + 3] = c.b;
    Planes p(8, 4);
    media::ArgbToYuv420(argb.data(), 8 * 4, 8, 4, m, p.View());
    return {p.Y(3, 1), p.U(1, 1), p.V(1, 1)};
}

TEST(YuvConversion, ColoursLandWhereEachMatrixAndRangePutsThem) {
    using A = std::array<int, 3>;
    const auto limited709 = Matrix(AVCOL_SPC_BT709, false);
    EXPECT_EQ(YuvOf({255, 255, 255}, limited709), (A{235, 128, 128}));
    EXPECT_EQ(YuvOf({0, 0, 0}, limited709), (A{16, 128, 128}));
    EXPECT_EQ(YuvOf({128, 128, 128}, limited709), (A{126, 128, 128}));
    // 16 + 219 * 0.2126 = 62.6; chroma 128 - 112 * 0.2126 / 0.9278, 240.
    EXPECT_EQ(YuvOf({255, 0, 0}, limited709), (A{63, 102, 240}));
    const auto full601 = Matrix(AVCOL_SPC_SMPTE170M, true);
    EXPECT_EQ(YuvOf({255, 255, 255}, full601), (A{255, 128, 128}));
    EXPECT_EQ(YuvOf({0, 0, 0}, full601), (A{0, 128, 128}));
    // 0.114 * 255 = 29.1; Cb at the top of its range, Cr 128 - 127.5 * 0.114 / 0.701.
    EXPECT_EQ(YuvOf({0, 0, 255}, full601), (A{29, 255, 107}));
    media::YuvMatrix unknown;
    EXPECT_FALSE(media::MakeYuvMatrix(AVCOL_SPC_YCGCO, false, &unknown));
}

// Any picture that survives 8-bit RGB comes back: the chroma filters going
// out are undone by the interpolation coming in, at every edge and size.
TEST(YuvConversion, PicturesComeBackFromRgbUnchanged) {
    std::mt19937 random(7);
    for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {3, 5}, {17, 9}, {64, 36}, {101, 47}}) {
        for (bool full : {false, true}) {
            const auto m = Matrix(AVCOL_SPC_BT709, full);
            Planes in(w, h), out(w, h);
            // Mid-range values, so no colour leaves the RGB cube.
            std::uniform_int_distribution<int> luma(96, 160), chroma(112, 144);
            for (int r = 0; r < h; ++r)
                for (int x = 0; x < w; ++x) in.Y(x, r) = static_cast<uint8_t>(luma(random));
            for (int r = 0; r < (h + 1) / 2; ++r)
                for (int x = 0; x < (w + 1) / 2; ++x) {
                    in.U(x, r) = static_cast<uint8_t>(chroma(random));
                    in.V(x, r) = static_cast<uint8_t>(chroma(random));
                }
            const int stride = w * 4 + 12;
            std::vector<uint8_t> argb(static_cast<size_t>(stride) * h);
            media::Yuv420ToArgb(in.View(), w, h, m, argb.data(), stride);
            media::ArgbToYuv420(argb.data(), stride, w, h, m, out.View());
            for (int r = 0; r < h; ++r)
                for (int x = 0; x < w; ++x)
                    ASSERT_NEAR(out.Y(x, r), in.Y(x, r), 1)
                        << w << "x" << h << " at " << x << "," << r;
            for (int r = 0; r < (h + 1) / 2; ++r)
                for (int x = 0; x < (w + 1) / 2; ++x) {
                    ASSERT_NEAR(out.U(x, r), in.U(x, r), 2)
                        << w << "x" << h << " at " << x << "," << r;
                    ASSERT_NEAR(out.V(x, r), in.V(x, r), 2)
                        << w << "x" << h << " at " << x << "," << r;
                }
        }
    }
}

// Every kernel form gives the portable form's bytes, on any width and
// alignment, both ways.
TEST(YuvConversion, EveryKernelGivesThePortableBytes) {
    const std::vector<media::NamedYuvRows>& forms = media::RunnableYuvRows();
    ASSERT_STREQ(forms.front().name, "portable");
#ifdef __x86_64__
    if (hz::ProcessorFeatures() & hz::kCpuAvx2) {
        ASSERT_GT(forms.size(), 1u) << "no SIMD form built";
    }
#endif
    EXPECT_EQ(media::ChosenYuvRows().fromArgb,
              (hz::FastPathsDisabled() ? forms.front() : forms.back()).kernel.fromArgb);
    const media::YuvRowKernels& slow = media::cYuvRowsPortable;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const auto& [name, needs, fast] : forms) {
        for (int width = 1; width <= 100; ++width) {
            for (bool full : {false, true}) {
                const auto m = Matrix(full ? AVCOL_SPC_BT470BG : AVCOL_SPC_BT2020_NCL, full);
                // One byte of offset: rows in no alignment at all.
                std::vector<uint8_t> argb(4 * 4 * width + 1), yuv(4 * width + 1);
                for (auto& b : argb) b = static_cast<uint8_t>(byte(random));
                for (auto& b : yuv) b = static_cast<uint8_t>(byte(random));
                const uint8_t* rows[4];
                for (int r = 0; r < 4; ++r) rows[r] = argb.data() + 1 + r * 4 * width;
                std::vector<int16_t> scratch(media::YuvRowScratch(width));
                const int cw = (width + 1) / 2;
                // Output rows on 64-byte boundaries, where a form may stream
                // them past the cache, and one byte off.
                for (int offset : {0, 1}) {
                    std::vector<uint8_t> a(4 * 128 + 4 * width), b(a.size());
                    const auto planes = [&](std::vector<uint8_t>& out) {
                        uint8_t* base =
                            out.data() + (64 - reinterpret_cast<uintptr_t>(out.data()) % 64) % 64;
                        const int step = (width + 63) / 64 * 64;
                        return std::array<uint8_t*, 4>{base + offset, base + step + offset,
                                                       base + 2 * step + offset,
                                                       base + 3 * step + offset};
                    };
                    const auto pa = planes(a), pb = planes(b);
                    fast.fromArgb(rows, pa[0], pa[1], pa[2], pa[3], width, m, scratch.data(), true);
                    slow.fromArgb(rows, pb[0], pb[1], pb[2], pb[3], width, m, scratch.data(), true);
                    for (int plane = 0; plane < 4; ++plane) {
                        const int n = plane < 2 ? width : cw;
                        ASSERT_TRUE(std::equal(pa[plane], pa[plane] + n, pb[plane]))
                            << name << " from ARGB, width " << width << ", offset " << offset
                            << ", plane " << plane;
                    }
                }
                const uint8_t* y = yuv.data() + 1;
                const uint8_t* c = y + width;
                std::vector<uint8_t> p(4 * width + 1), q(4 * width + 1);
                fast.toArgb(y, c, c + cw, c + 1, c + cw + 1, p.data() + 1, width, m,
                            scratch.data());
                slow.toArgb(y, c, c + cw, c + 1, c + cw + 1, q.data() + 1, width, m,
                            scratch.data());
                ASSERT_EQ(p, q) << name << " to ARGB, width " << width;
            }
        }
    }
}

// The kernels stand in for swscale's careful conversion: on a picture with
// edges and ramps, luma agrees within a step and chroma nearly as well.
TEST(YuvConversion, AgreesWithSwscalesCarefulConversion) {
    const int w = 96, h = 64;
    media::FramePtr frame = media::NewFrame();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = w;
    frame->height = h;
    frame->colorspace = AVCOL_SPC_BT709;
    frame->color_range = AVCOL_RANGE_MPEG;
    ASSERT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int p = 0; p < 3; ++p)
        for (int r = 0; r < (p ? h / 2 : h); ++r)
            for (int x = 0; x < (p ? w / 2 : w); ++x)
                frame->data[p][r * frame->linesize[p] + x] =
                    static_cast<uint8_t>(p ? 128 + ((x / 6 + r / 5) % 3 - 1) * 40 : 40 + x * 2);
    std::vector<uint8_t> ours(w * h * 4), theirs(w * h * 4);
    media::ArgbConverter().Convert(frame.get(), ours.data(), w * 4, w, h, false);
    SwsContext* sws = sws_getContext(w, h, AV_PIX_FMT_YUV420P, w, h, AV_PIX_FMT_ARGB,
                                     SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                     nullptr, nullptr);
    sws_setColorspaceDetails(sws, sws_getCoefficients(AVCOL_SPC_BT709), 0,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    uint8_t* planes[4] = {theirs.data()};
    int strides[4] = {w * 4};
    sws_scale(sws, frame->data, frame->linesize, 0, h, planes, strides);
    sws_freeContext(sws);
    // Inside each block of flat chroma, where neither filter reaches an
    // edge: within a step.
    for (int by = 0; by < h / 10; ++by)
        for (int bx = 0; bx < w / 12; ++bx)
            for (int r = 10 * by + 4; r < 10 * by + 6; ++r)
                for (int x = 12 * bx + 4; x < 12 * bx + 7; ++x)
                    for (int c = 1; c < 4; ++c)
                        ASSERT_NEAR(ours[(r * w + x) * 4 + c], theirs[(r * w + x) * 4 + c], 1)
                            << "at " << x << "," << r;
}

}  // namespace
