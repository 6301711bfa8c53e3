// A loaded bundle, a host driving it, and frames from a known pattern, with
// the preferences folder pointed at a fresh temporary one.
#ifndef HZ_TESTS_HOST_HOSTFIXTURE_H
#define HZ_TESTS_HOST_HOSTFIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "apps/pluginhost/PluginHost.h"
#include "tests/platform/files/ScopedTempFolder.h"
#include "tests/support/HostRecorder.h"
#include "tests/support/TestFrames.h"

namespace hosttest {

// Frame n of the clip is the pattern seeded with n.
class PatternFrames : public pluginhost::FrameProvider {
  public:
    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality, GWorldPtr out) override {
        testframes::FillPattern(out, static_cast<uint32_t>(frameNumber));
        return kPluginOK;
    }
};

inline std::string BundleDir() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : "";
}

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override { Load(); }

    void Load() {
        host.reset();
        std::string error;
        plugin = pluginhost::LoadedPlugin::Load(BundleDir(), &error);
        ASSERT_TRUE(plugin) << error;
        host = std::make_unique<pluginhost::PluginHost>(*plugin, frames);
        host->setWatcher(&recorder);
    }

    void TearDown() override {
        host.reset();
        plugin.reset();
    }

    std::vector<int16_t> BlitOpacities() const {
        std::vector<int16_t> out;
        for (const auto& c : recorder.calls())
            if (c.kind == pluginhost::HostCall::kBlit) out.push_back(c.opacity);
        return out;
    }

    int CountCalls(pluginhost::HostCall::Kind kind) const {
        int n = 0;
        for (const auto& c : recorder.calls()) n += c.kind == kind;
        return n;
    }

    ScopedTempFolder prefs;  // first: the bundle reads preferences on its first call
    PatternFrames frames;
    testhost::HostRecorder recorder;
    std::unique_ptr<pluginhost::LoadedPlugin> plugin;
    std::unique_ptr<pluginhost::PluginHost> host;
};

}  // namespace hosttest

#endif
