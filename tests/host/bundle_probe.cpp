// Loads the bundle in a process of its own, renders clip frame 0 of a green
// 64x48 picture and prints the pixels at the centre and a corner as
// #RRGGBB, so a test can see which settings the bundle started from.
#include <cstdio>
#include <string>

#include "apps/pluginhost/PluginHost.h"
#include "tests/support/TestFrames.h"

namespace {
class Green : public pluginhost::FrameProvider {
  public:
    HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr out) override {
        testframes::Fill(out, testframes::Pixel{255, 0, 255, 0});
        return kPluginOK;
    }
};
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(argv[1], &error);
    if (!plugin) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    Green frames;
    pluginhost::PluginHost host(*plugin, frames);
    auto dest = testframes::MakeGWorld(64, 48);
    if (host.BeginClip(pluginhost::ClipSettings{0, 1}) != kPluginOK ||
        host.RenderFrame(0, dest.get(), Rect{0, 0, 48, 64}) != kPluginOK ||
        host.EndClip() != kPluginOK)
        return 1;
    for (auto [x, y] : {std::pair{32, 24}, {0, 0}}) {
        const testframes::Pixel p = testframes::PixelAt(dest.get(), x, y);
        std::printf("#%02X%02X%02X\n", p.r, p.g, p.b);
    }
    return 0;
}
