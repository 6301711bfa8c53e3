// The host-entry layer linked in directly, under a host of the test's own
// whose memory can be made short at any allocation of a frame.
#include <gtest/gtest.h>

#include <vector>

#include "engine/EngineEntry.h"
#include "host/EffectData.h"
#include "host/iMovieGlue.h"
#include "platform/memory/MacMemory.h"
#include "platform/memory/PixelMemory.h"
#include "tests/platform/files/ScopedTempFolder.h"
#include "tests/support/TestFrames.h"

namespace {

// Hands out frame n as the pattern seeded with n, at the size asked for
// divided by `shrink`, and after making it lets `allocationsLeft` more pixel
// blocks succeed.
struct FakeHost {
    int shrink = 1;
    int allocationsLeft = -1;
    std::vector<int32_t> fetched;
    int released = 0;
    std::vector<int16_t> opacities;
    HYPluginFilterInfo filterInfo{};

    static FakeHost* current;

    static HYPluginResult GetFrame(HYPluginInstance, int32_t frameNumber, GWorldPtr* outFrame,
                                   int16_t width, int16_t height, HYRefDVQuality, int16_t*,
                                   void** outCookie) {
        current->fetched.push_back(frameNumber);
        auto frame = testframes::MakeGWorld(width / current->shrink, height / current->shrink);
        testframes::FillPattern(frame.get(), static_cast<uint32_t>(frameNumber));
        *outFrame = frame.release();
        *outCookie = *outFrame;
        pixelmemory::FailAfter(current->allocationsLeft);
        return kPluginOK;
    }
    static HYPluginResult ReleaseFrame(HYPluginInstance, void* cookie) {
        pixelmemory::FailAfter(-1);
        ++current->released;
        DisposeGWorld(static_cast<GWorldPtr>(cookie));
        return kPluginOK;
    }
    static HYPluginResult Blit(PixMapPtr, PixMapPtr, const Rect*, const Rect*, int16_t opacity) {
        current->opacities.push_back(opacity);
        return kPluginOK;
    }
    static HYPluginResult MixAudio(HYPluginInstance, void*, int32_t) { return kPluginOK; }
    static HYPluginResult GetFilterInfo(HYPluginInstance, HYPluginFilterInfo** info) {
        *info = &current->filterInfo;
        return kPluginOK;
    }
    static HYPluginResult ReleaseFilterInfo(HYPluginInstance, HYPluginFilterInfo*) {
        return kPluginOK;
    }
};
FakeHost* FakeHost::current = nullptr;

class HostGlue : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeHost::current = &host;
        procs.NewPtrClear = NewPtrClear;
        procs.DisposePtr = DisposePtr;
        procs.GetFrame = FakeHost::GetFrame;
        procs.ReleaseFrame = FakeHost::ReleaseFrame;
        procs.Blit = FakeHost::Blit;
        procs.MixAudio = FakeHost::MixAudio;
        procs.GetFilterInfo = FakeHost::GetFilterInfo;
        procs.ReleaseFilterInfo = FakeHost::ReleaseFilterInfo;
        params.procs = &procs;
        if (!gEngineData) {
            gEngineData = reinterpret_cast<PluginDataPtr>(NewPtrClear(sizeof(PluginDataRec)));
            InitMyPlugIn(gEngineData);
        }
    }
    void TearDown() override {
        if (params.clientData) EffectEnd(0, &params);
        pixelmemory::FailAfter(-1);
    }

    ScopedTempFolder prefs;
    FakeHost host;
    HYProcs procs{};
    HYPluginParams params{};
};

TEST_F(HostGlue, ThePreviewFetchesFromTheClipStartAndScalesIntoItsBuffer) {
    params.startFrame = 100;
    host.shrink = 2;
    auto gw = testframes::MakeGWorld(8, 6);
    EXPECT_EQ(GetFrameIntoGW(gw.get(), &params, 5, 0), kPluginOK);
    EXPECT_EQ(host.fetched, (std::vector<int32_t>{105}));
    EXPECT_EQ(host.released, 1);
    EXPECT_EQ(testframes::PixelAt(gw.get(), 7, 5), testframes::PatternAt(3, 2, 105));
    // A frame before the clip's first is not asked for.
    EXPECT_EQ(GetFrameIntoGW(gw.get(), &params, -101, 0), -1);
    EXPECT_EQ(host.fetched.size(), 1u);
}

// Short of memory at any step, a frame answers kPluginOutOfMemory (or, for
// the copy kept for a fade, kPluginFailed), gives the frame back, and the
// host process goes on; with memory enough it renders. Drawn in the host's
// own buffer, a frame needs no pixel memory at all, fading or not: the
// cut-out, its image and the unprocessed frame are views of the fetched one.
TEST_F(HostGlue, MemoryRunningShortDuringAFrameIsAnsweredNotFatal) {
    params.frameCount = 10;
    host.filterInfo.fadeInFrames = 3;
    ASSERT_EQ(EffectBegin(0, &params), kPluginOK);
    auto dest = testframes::MakeGWorld(32, 24);
    const testframes::Pixel marker{255, 9, 9, 9};
    params.frame = dest.get();
    params.frameRect = Rect{0, 0, 24, 32};
    struct Case {
        int shrink;
        int32_t frame;
        HYPluginResult firstFailure;
    } cases[] = {
        {1, 5, kPluginOK},           // drawn in the host's buffer
        {2, 5, kPluginOutOfMemory},  // drawn in a buffer of its own
        {1, 1, kPluginOK},           // in the fade, which keeps a view
    };
    for (const Case& c : cases) {
        host.shrink = c.shrink;
        params.renderFrame = c.frame;
        std::vector<HYPluginResult> results;
        for (int left = 0; results.empty() || results.back() != kPluginOK; ++left) {
            ASSERT_LT(left, 20);
            host.allocationsLeft = left;
            testframes::Fill(dest.get(), marker);
            host.released = 0;
            host.fetched.clear();
            results.push_back(EffectDrive(0, &params));
            EXPECT_EQ(host.released, 1);
        }
        EXPECT_EQ(results.front(), c.firstFailure) << "frame " << c.frame;
        for (size_t i = 0; i + 1 < results.size(); ++i)
            EXPECT_TRUE(results[i] == kPluginOutOfMemory || results[i] == kPluginFailed);
    }
}

TEST_F(HostGlue, AClipWhoseBeginRanOutOfMemoryRefusesFramesWithoutStopping) {
    params.frameCount = 4;
    ASSERT_EQ(EffectBegin(0, &params), kPluginOK);
    auto* effect = static_cast<EffectData*>(params.clientData);
    pUncopyConfig(effect->engineData);
    DisposePtr(reinterpret_cast<Ptr>(effect->engineData));
    effect->engineData = nullptr;  // as a begin that could not copy the settings leaves it
    auto dest = testframes::MakeGWorld(8, 8);
    params.frame = dest.get();
    params.frameRect = Rect{0, 0, 8, 8};
    EXPECT_EQ(EffectDrive(0, &params), kPluginOutOfMemory);
    EXPECT_TRUE(host.fetched.empty());
}

}  // namespace
