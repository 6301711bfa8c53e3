// One video frame's draw: a 1920x1080 opaque picture enlarged 1.2x and turned
// 2 degrees about the centre of a 1920x1080 buffer, as the frame renderer
// draws it, through each image path.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "platform/quartz/CoreGraphics.h"
#include "platform/quartz/QuartzDrawPath.h"

namespace {

constexpr size_t cWidth = 1920;
constexpr size_t cHeight = 1080;

struct Frame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(cWidth * cHeight);
    CGContextRef context = nullptr;
    CGImageRef picture = nullptr;

    Frame() {
        std::mt19937 random(7);
        for (uint32_t& p : pixels) p = random();
        CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
        context = CGBitmapContextCreate(pixels.data(), cWidth, cHeight, 8, cWidth * 4, space,
                                        kCGImageAlphaPremultipliedFirst);
        CGColorSpaceRelease(space);
        picture = CGBitmapContextCreateImage(context);
    }
    ~Frame() {
        CGImageRelease(picture);
        CGContextRelease(context);
    }
};

void DrawTurnedFrame(benchmark::State& state, hz::quartz::DrawPath path) {
    Frame frame;
    const hz::quartz::DrawPath before = hz::quartz::CurrentDrawPath();
    hz::quartz::SetDrawPath(path);
    const CGFloat w = cWidth * 1.2f, h = cHeight * 1.2f;
    for (auto _ : state) {
        CGContextSaveGState(frame.context);
        CGContextTranslateCTM(frame.context, cWidth / 2.0f, cHeight / 2.0f);
        CGContextRotateCTM(frame.context, 2.0f * 3.14159265f / 180.0f);
        CGContextDrawImage(frame.context, CGRect{{-w / 2, -h / 2}, {w, h}}, frame.picture);
        CGContextRestoreGState(frame.context);
        benchmark::ClobberMemory();
    }
    hz::quartz::SetDrawPath(before);
}

void BM_DrawTurnedFrameSimd(benchmark::State& state) {
    DrawTurnedFrame(state, hz::quartz::DrawPath::kSimd);
}
void BM_DrawTurnedFramePortable(benchmark::State& state) {
    DrawTurnedFrame(state, hz::quartz::DrawPath::kPortable);
}
void BM_DrawTurnedFramePixman(benchmark::State& state) {
    DrawTurnedFrame(state, hz::quartz::DrawPath::kPixman);
}

void BM_SnapshotFrame(benchmark::State& state) {
    Frame frame;
    for (auto _ : state) {
        CGImageRef image = CGBitmapContextCreateImage(frame.context);
        benchmark::DoNotOptimize(image);
        CGImageRelease(image);
    }
}

}  // namespace

BENCHMARK(BM_DrawTurnedFrameSimd)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawTurnedFramePortable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawTurnedFramePixman)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnapshotFrame)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
