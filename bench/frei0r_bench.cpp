// What the frei0r adapter adds to a frame: one 1080p f0r_update against one
// frame request through the bundle's entry point, the same settings (turn
// 2 degrees, enlargement 10, a move) in the same run. The adapter's own
// work is turning frei0r's RGBA bytes into the plug-in's ARGB and back.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "apps/frei0r/Frei0rParams.h"
#include "bench/FrameRequests.h"
#include "bench/RatioReporter.h"
#include "persistence/prefsloader.h"
#include "tests/apps/frei0r/Frei0rLibrary.h"

namespace {

PluginDataRec BenchSettings() {
    PluginDataRec settings = cDefaultSettings;
    settings.sliders[0] = 5;   // 2 degrees
    settings.sliders[1] = -2;  // move left
    settings.sliders[3] = 10;  // enlarge
    settings.sliders[4] = 3;   // move down
    return settings;
}

void FrameRequest(benchmark::State& state) {
    bench::TimeFrameRequests(
        state, static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
        pluginhost::ClipSettings{0, 1 << 30, 0, 0}, Config2Bytes(BenchSettings()));
}

void Frei0rUpdate(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    static testfrei0r::Frei0rLibrary f0r(HZ_FREI0R_PATH);
    if (!f0r.update || !f0r.init()) {
        state.SkipWithError("horizonfix.so does not load");
        return;
    }
    f0r_instance_t instance = f0r.construct(w, h);
    if (!instance) {
        state.SkipWithError("no instance");
        return;
    }
    hzfrei0r::ParamValuesRec values;
    values.settings = BenchSettings();
    for (const hzfrei0r::ParamRec& param : hzfrei0r::Params()) {
        double value[3];
        hzfrei0r::GetParam(param, values, value);
        f0r.set(instance, value, f0r.Index(param.name));
    }
    bench::LentFrames pattern(w, h);
    PixMapHandle pm = GetGWorldPixMap(pattern.world());
    const auto* in = reinterpret_cast<const uint32_t*>(GetPixBaseAddr(pm));
    std::vector<uint32_t> out(static_cast<size_t>(w) * h);
    double time = 0;
    for (auto _ : state) {
        f0r.update(instance, time, in, out.data());
        time += 0.04;
        benchmark::ClobberMemory();
    }
    f0r.destruct(instance);
}

BENCHMARK(FrameRequest)
    ->Name("frame")
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7);

BENCHMARK(Frei0rUpdate)
    ->Name("frei0r")
    ->ArgNames({"w", "h"})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7);

}  // namespace

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv, "frei0r", "frame"); }
