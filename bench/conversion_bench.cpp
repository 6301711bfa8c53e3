// The colour conversions a render makes twice per frame, 8-bit 4:2:0 to the
// plug-in's ARGB and back, by the row kernels and by swscale with the
// careful settings (exact rounding, chroma at every pixel) they replace.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "apps/media/LibAv.h"
#include "apps/media/Yuv420Pictures.h"

extern "C" {
#include <libswscale/swscale.h>
}

namespace {

struct Picture {
    media::FramePtr yuv = media::NewFrame();
    std::vector<uint8_t> argb;
    media::YuvMatrix matrix{};

    Picture(int width, int height) : argb(static_cast<size_t>(width) * height * 4) {
        yuv->format = AV_PIX_FMT_YUV420P;
        yuv->width = width;
        yuv->height = height;
        if (av_frame_get_buffer(yuv.get(), 0) < 0) std::abort();
        for (int p = 0; p < 3; ++p)
            for (int y = 0; y < (p ? (height + 1) / 2 : height); ++y)
                for (int x = 0; x < (p ? (width + 1) / 2 : width); ++x)
                    yuv->data[p][y * yuv->linesize[p] + x] = static_cast<uint8_t>(x * 3 + y * p);
        media::MakeYuvMatrix(AVCOL_SPC_BT709, false, &matrix);
    }
    media::Yuv420Planes Planes() const {
        return {{yuv->data[0], yuv->data[1], yuv->data[2]},
                {yuv->linesize[0], yuv->linesize[1], yuv->linesize[2]}};
    }
};

SwsContext* CarefulContext(int w, int h, AVPixelFormat from, AVPixelFormat to) {
    SwsContext* c =
        sws_getContext(w, h, from, w, h, to, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT,
                       nullptr, nullptr, nullptr);
    if (!c) std::abort();
    return c;
}

void KernelsToArgb(benchmark::State& state) {
    Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        media::Yuv420ToArgb(p.Planes(), p.yuv->width, p.yuv->height, p.matrix, p.argb.data(),
                            p.yuv->width * 4);
        benchmark::ClobberMemory();
    }
}

void KernelsFromArgb(benchmark::State& state) {
    Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        media::ArgbToYuv420(p.argb.data(), p.yuv->width * 4, p.yuv->width, p.yuv->height, p.matrix,
                            p.Planes());
        benchmark::ClobberMemory();
    }
}

void SwscaleToArgb(benchmark::State& state) {
    Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    SwsContext* c =
        CarefulContext(p.yuv->width, p.yuv->height, AV_PIX_FMT_YUV420P, AV_PIX_FMT_ARGB);
    uint8_t* planes[4] = {p.argb.data()};
    int strides[4] = {p.yuv->width * 4};
    for (auto _ : state)
        sws_scale(c, p.yuv->data, p.yuv->linesize, 0, p.yuv->height, planes, strides);
    sws_freeContext(c);
}

void SwscaleFromArgb(benchmark::State& state) {
    Picture p(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    SwsContext* c =
        CarefulContext(p.yuv->width, p.yuv->height, AV_PIX_FMT_ARGB, AV_PIX_FMT_YUV420P);
    const uint8_t* planes[4] = {p.argb.data()};
    const int strides[4] = {p.yuv->width * 4};
    for (auto _ : state)
        sws_scale(c, planes, strides, 0, p.yuv->height, p.yuv->data, p.yuv->linesize);
    sws_freeContext(c);
}

void Sizes(benchmark::internal::Benchmark* b) {
    b->Args({720, 480})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(KernelsToArgb)->Apply(Sizes);
BENCHMARK(SwscaleToArgb)->Apply(Sizes);
BENCHMARK(KernelsFromArgb)->Apply(Sizes);
BENCHMARK(SwscaleFromArgb)->Apply(Sizes);
BENCHMARK_MAIN();
