// Frame requests through the bundle's entry point, timed as a host makes
// them: one decoded frame lent to the plug-in, as hzfix lends its converted
// frames, rendered again and again.
#ifndef HZ_BENCH_FRAMEREQUESTS_H
#define HZ_BENCH_FRAMEREQUESTS_H

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "apps/pluginhost/PluginHost.h"
#include "tests/support/TestFrames.h"

namespace bench {

class LentFrames : public pluginhost::FrameProvider {
  public:
    LentFrames(int w, int h) : frame_(testframes::MakeGWorld(w, h)) {
        testframes::FillPattern(frame_.get(), 1);
    }
    HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr) override {
        return kPluginCantGetNeededFrame;
    }
    bool LendFrame(int32_t, HYRefDVQuality, int16_t, int16_t,
                   pluginhost::LentPixels* out) override {
        PixMapHandle pm = GetGWorldPixMap(frame_.get());
        out->rows = reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm));
        out->rowBytes = GetPixRowBytes(pm);
        return true;
    }
    GWorldPtr world() const { return frame_.get(); }

  private:
    testframes::GWorldHolder frame_;
};

inline std::string BundleDir() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : HZ_DEFAULT_BUNDLE_DIR;
}

// Frames of w x h rendered for every iteration of `state`, in a clip begun
// with `clip`; with `settings`, the plug-in takes them as the clip's own.
inline void TimeFrameRequests(benchmark::State& state, int w, int h,
                              const pluginhost::ClipSettings& clip,
                              std::vector<uint8_t> settings = {}) {
    std::string error;
    static std::unique_ptr<pluginhost::LoadedPlugin> plugin =
        pluginhost::LoadedPlugin::Load(BundleDir(), &error);
    if (!plugin) {
        state.SkipWithError(error.c_str());
        return;
    }
    LentFrames frames(w, h);
    pluginhost::PluginHost host(*plugin, frames);
    if (!settings.empty()) host.setClipSettings(std::move(settings));
    host.BeginClip(clip);
    auto dest = testframes::MakeGWorld(w, h);
    const Rect frameRect = {0, 0, static_cast<int16_t>(h), static_cast<int16_t>(w)};
    int32_t n = 1;
    for (auto _ : state) {
        if (host.RenderFrame(n++, dest.get(), frameRect) != kPluginOK)
            state.SkipWithError("frame failed");
        benchmark::ClobberMemory();
    }
    host.EndClip();
}

}  // namespace bench

#endif
