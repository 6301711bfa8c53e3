// The host's side of the C interface: whatever a frame provider throws is
// answered to the plug-in as a result code and reaches the host's caller
// only after the plug-in has returned.
#include <stdexcept>

#include "tests/host/HostFixture.h"

namespace {

// Frame `failing` throws what `thrower` throws; the others are patterns.
class ThrowingFrames : public pluginhost::FrameProvider {
  public:
    int32_t failing = -1;
    void (*thrower)() = nullptr;

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality, GWorldPtr out) override {
        if (frameNumber == failing) thrower();
        testframes::FillPattern(out, static_cast<uint32_t>(frameNumber));
        return kPluginOK;
    }
};

class HostExceptions : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        plugin = pluginhost::LoadedPlugin::Load(hosttest::BundleDir(), &error);
        ASSERT_TRUE(plugin) << error;
        host = std::make_unique<pluginhost::PluginHost>(*plugin, frames);
        host->setWatcher(&recorder);
    }
    void TearDown() override {
        host.reset();
        plugin.reset();
    }
    HYPluginResult Render(int32_t frame) {
        return host->RenderFrame(frame, dest.get(), Rect{0, 0, 12, 16});
    }

    ScopedTempFolder prefs;
    ThrowingFrames frames;
    std::unique_ptr<pluginhost::LoadedPlugin> plugin;
    testhost::HostRecorder recorder;
    std::unique_ptr<pluginhost::PluginHost> host;
    testframes::GWorldHolder dest = testframes::MakeGWorld(16, 12);
};

TEST_F(HostExceptions, AThrowingProviderFailsTheRequestNotThePlugIn) {
    const struct {
        const char* label;
        void (*thrower)();
        bool outOfMemory;
    } cases[] = {
        {"decoder error", [] { throw std::runtime_error("decoder broke"); }, false},
        {"memory", [] { throw std::bad_alloc(); }, true},
        {"not an exception class", [] { throw 7; }, false},
    };
    const pluginhost::ClipSettings clip{100, 4};
    auto thumb = testframes::MakeGWorld(16, 12);
    ASSERT_EQ(host->PlaceHolder(clip, 1, thumb.get()), kPluginOK);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        frames.thrower = c.thrower;
        frames.failing = 101;
        const int blocks = host->blocksOutstanding();
        // A placeholder begins, draws and ends a clip of its own in one
        // request: unwound half way, it left that clip's blocks behind.
        if (c.outOfMemory)
            EXPECT_THROW(host->PlaceHolder(clip, 1, thumb.get()), std::bad_alloc);
        else
            EXPECT_ANY_THROW(host->PlaceHolder(clip, 1, thumb.get()));
        EXPECT_EQ(host->blocksOutstanding(), blocks);
        EXPECT_EQ(host->framesOutstanding(), 0);

        ASSERT_EQ(host->BeginClip(clip), kPluginOK);
        ASSERT_EQ(Render(0), kPluginOK);
        EXPECT_ANY_THROW(Render(1));
        EXPECT_EQ(host->framesOutstanding(), 0);
        // The plug-in goes on: the next frame and the end of the clip work.
        EXPECT_EQ(Render(2), kPluginOK);
        EXPECT_EQ(host->EndClip(), kPluginOK);
        EXPECT_EQ(host->blocksOutstanding(), blocks);
    }
}

// Each allocation of begin, frame and end failing in turn: every request is
// answered, and what was taken is given back.
TEST_F(HostExceptions, EachFailedAllocationIsAnsweredAndNothingIsKept) {
    const pluginhost::ClipSettings clip{100, 4};
    // The master settings are made on the first request and kept while the
    // plug-in is loaded.
    ASSERT_EQ(host->GetInfo(4, nullptr), kPluginOK);
    for (int left = 0; left < 8; ++left) {
        SCOPED_TRACE(left);
        const int blocks = host->blocksOutstanding();
        recorder.faults().allocationsLeft = left;
        const HYPluginResult begun = host->BeginClip(clip);
        EXPECT_TRUE(begun == kPluginOK || begun == kPluginOutOfMemory) << begun;
        // A begin that could not even make its clip record leaves no clip.
        const HYPluginResult drawn = Render(0);
        EXPECT_TRUE(drawn == kPluginOK || drawn == kPluginOutOfMemory ||
                    (begun != kPluginOK && drawn == kPluginBadParams))
            << drawn;
        host->EndClip();
        recorder.faults().allocationsLeft = -1;
        EXPECT_EQ(host->blocksOutstanding(), blocks);
    }
}

}  // namespace
