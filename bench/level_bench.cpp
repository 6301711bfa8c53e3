// One 1080p frame's tilt measured, from its 32-bit pixels to the answer, on
// the sample clip's sea and on a frame of noise (no line to find, the
// detector's worst case for regions grown and refused).
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "apps/level/FrameTilt.h"
#include "apps/samplegen/Scene.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

void Measure(benchmark::State& state, const std::vector<uint8_t>& argb) {
    level::TiltMeter meter;
    for (auto _ : state) {
        level::FrameTiltRec r = meter.MeasureArgb(argb.data(), kWidth * 4, kWidth, kHeight);
        benchmark::DoNotOptimize(r);
    }
}

void BM_LevelSea1080p(benchmark::State& state) {
    std::vector<uint8_t> argb(static_cast<size_t>(kWidth) * kHeight * 4);
    samplegen::Scene(kWidth, kHeight, 3.3).Draw(1.0, argb.data(), kWidth * 4);
    Measure(state, argb);
}

void BM_LevelNoise1080p(benchmark::State& state) {
    std::vector<uint8_t> argb(static_cast<size_t>(kWidth) * kHeight * 4);
    std::mt19937 random(7);
    for (uint8_t& b : argb) b = static_cast<uint8_t>(random());
    Measure(state, argb);
}

}  // namespace

BENCHMARK(BM_LevelSea1080p)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelNoise1080p)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
