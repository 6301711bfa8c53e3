#include "apps/media/ArgbConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// A frame of one colour in the given format, range and matrix.
media::FramePtr PlainFrame(AVPixelFormat format, AVColorRange range, AVColorSpace matrix, int y,
                           int u, int v) {
    media::FramePtr frame = media::NewFrame();
    frame->format = format;
    frame->width = 64;
    frame->height = 32;
    frame->color_range = range;
    frame->colorspace = matrix;
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    for (int row = 0; row < 32; ++row) {
        std::fill_n(frame->data[0] + row * frame->linesize[0], 64, y);
        if (row < 16) {
            std::fill_n(frame->data[1] + row * frame->linesize[1], 32, u);
            std::fill_n(frame->data[2] + row * frame->linesize[2], 32, v);
        }
    }
    return frame;
}

// Full-range BT.709 from the matrix itself: Y 128, Cb 64, Cr 192.
constexpr double cRed = 128 + 1.5748 * 64, kGreen = 128 + 0.1873 * 64 - 0.4681 * 64,
                 kBlue = 128 - 1.8556 * 64;

// Every conversion of a full-range frame keeps its matrix, the first and
// the hundredth alike, whether the range comes from the format or the tag.
TEST(ArgbConverter, FullRangeFramesKeepTheirMatrixOnEveryConversion) {
    for (AVPixelFormat format : {AV_PIX_FMT_YUVJ420P, AV_PIX_FMT_YUV420P}) {
        media::ArgbConverter converter;
        auto frame = PlainFrame(format, AVCOL_RANGE_JPEG, AVCOL_SPC_BT709, 128, 64, 192);
        std::vector<uint8_t> argb(64 * 32 * 4);
        for (int pass = 0; pass < 100; ++pass) {
            converter.Convert(frame.get(), argb.data(), 64 * 4, 64, 32, false);
            const uint8_t* p = &argb[(16 * 64 + 32) * 4];
            ASSERT_NEAR(p[1], cRed, 2) << "pass " << pass;
            ASSERT_NEAR(p[2], kGreen, 2) << "pass " << pass;
            ASSERT_NEAR(p[3], kBlue, 2) << "pass " << pass;
        }
    }
}

}  // namespace
