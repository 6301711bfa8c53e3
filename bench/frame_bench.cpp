// One whole frame request through the bundle's entry point, as a host makes
// it: fetch (a decoded frame lent to the plug-in), render, and for the fade
// case the blend of the unprocessed frame. Settings: turn 2 degrees, enlargement 10,
// a move; they reach the bundle through its preferences file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/FrameRequests.h"
#include "bench/RatioReporter.h"
#include "engine/DataHandling.h"
#include "persistence/prefsloader.h"

namespace {

// The bundle reads its settings once, on its first call in the process.
void PrepareSettings() {
    static bool prepared = false;
    if (prepared) return;
    prepared = true;
    std::string folder = (std::filesystem::temp_directory_path() / "hz-bench-XXXXXX").string();
    if (!mkdtemp(folder.data())) return;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    PluginDataRec settings{};
    ResetConfig(&settings, true);
    settings.sliders[0] = 5;   // 2 degrees
    settings.sliders[1] = -2;  // move left
    settings.sliders[3] = 10;  // enlarge
    settings.sliders[4] = 3;   // move down
    StorePrefs(settings);
}

void FrameRequest(benchmark::State& state) {
    PrepareSettings();
    const bool fading = state.range(2) != 0;
    // Every frame of a long fade-in is blended; none of a clip without fades.
    bench::TimeFrameRequests(state, static_cast<int>(state.range(0)),
                             static_cast<int>(state.range(1)),
                             pluginhost::ClipSettings{0, 1 << 30, fading ? (1 << 29) : 0, 0});
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(FrameRequest)
    ->Name("frame")
    ->ArgNames({"w", "h", "fade"})
    ->Args({720, 480, 0})
    ->Args({1920, 1080, 0})
    ->Args({3840, 2160, 0})
    ->Args({720, 480, 1})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7);

}  // namespace

int main(int argc, char** argv) { return bench::RunWithRatios(argc, argv, "frame", "opencv"); }
