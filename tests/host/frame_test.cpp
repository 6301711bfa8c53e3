#include <map>

#include "tests/host/HostFixture.h"

using namespace hosttest;
using pluginhost::ClipSettings;
using pluginhost::HostCall;

namespace {

class HostFrames : public HostTest {
  protected:
    // Renders every frame of a clip at w x h and returns the opacity of each
    // blended frame.
    std::map<int32_t, int16_t> RenderClip(const ClipSettings& clip, int w = 16, int h = 12) {
        std::map<int32_t, int16_t> blended;
        EXPECT_EQ(host->BeginClip(clip), kPluginOK);
        auto dest = testframes::MakeGWorld(w, h);
        for (int32_t f = 0; f < clip.frameCount; ++f) {
            recorder.clear();
            EXPECT_EQ(
                host->RenderFrame(f, dest.get(),
                                  Rect{0, 0, static_cast<int16_t>(h), static_cast<int16_t>(w)}),
                kPluginOK);
            for (const auto& c : recorder.calls())
                if (c.kind == HostCall::kBlit) blended[f] = c.opacity;
        }
        EXPECT_EQ(host->EndClip(), kPluginOK);
        return blended;
    }
};

TEST_F(HostFrames, FadesFollowTheTable) {
    EXPECT_EQ(RenderClip(ClipSettings{0, 100, 10, 0}), (std::map<int32_t, int16_t>{{0, 255},
                                                                                   {1, 229},
                                                                                   {2, 204},
                                                                                   {3, 178},
                                                                                   {4, 153},
                                                                                   {5, 127},
                                                                                   {6, 102},
                                                                                   {7, 76},
                                                                                   {8, 50},
                                                                                   {9, 25}}));
    EXPECT_EQ(RenderClip(ClipSettings{0, 100, 0, 10}), (std::map<int32_t, int16_t>{{91, 25},
                                                                                   {92, 50},
                                                                                   {93, 76},
                                                                                   {94, 102},
                                                                                   {95, 127},
                                                                                   {96, 153},
                                                                                   {97, 178},
                                                                                   {98, 204},
                                                                                   {99, 229}}));
    EXPECT_EQ(RenderClip(ClipSettings{0, 8, 4, 4}),
              (std::map<int32_t, int16_t>{
                  {0, 255}, {1, 191}, {2, 127}, {3, 63}, {5, 63}, {6, 127}, {7, 191}}));
    EXPECT_EQ(RenderClip(ClipSettings{0, 5, 1, 0}), (std::map<int32_t, int16_t>{{0, 255}}));
    EXPECT_TRUE(RenderClip(ClipSettings{0, 5, 0, 0}).empty());
}

TEST_F(HostFrames, FadesAreCutToTheClipAtBegin) {
    struct Case {
        int32_t in, out, frames, wantIn, wantOut;
    } cases[] = {
        {40, 40, 60, 30, 30}, {31, 10, 61, 30, 10}, {100, 0, 60, 60, 0},
        {0, 0, 60, 0, 0},     {-5, -3, 20, 0, 0},  // a host's negative fade counts as none
    };
    // A cut fade blends every frame exactly as a fade of the cut length.
    for (const Case& c : cases)
        EXPECT_EQ(RenderClip(ClipSettings{0, c.frames, c.in, c.out}),
                  RenderClip(ClipSettings{0, c.frames, c.wantIn, c.wantOut}))
            << c.in << "/" << c.out << " on " << c.frames;
}

TEST_F(HostFrames, DefaultsLeaveEveryPixelAndPassTheAudio) {
    std::vector<int32_t> audioPassed;
    host->setAudioPassedSink([&](int32_t frame) { audioPassed.push_back(frame); });
    ASSERT_EQ(host->BeginClip(ClipSettings{100, 3}), kPluginOK);
    auto dest = testframes::MakeGWorld(37, 23);
    auto expected = testframes::MakeGWorld(37, 23);
    for (int32_t f = 0; f < 3; ++f) {
        ASSERT_EQ(host->RenderFrame(f, dest.get(), Rect{0, 0, 23, 37}), kPluginOK);
        testframes::FillPattern(expected.get(), static_cast<uint32_t>(100 + f));
        EXPECT_EQ(testframes::MaxDifference(dest.get(), expected.get(), Rect{0, 0, 23, 37}), 0);
    }
    EXPECT_EQ(audioPassed, (std::vector<int32_t>{100, 101, 102}));
    EXPECT_EQ(host->framesOutstanding(), 0);
}

// The frame lands at frameRect of a larger buffer, scaled there by nearest
// pixel centres when the host delivered another size, and nothing outside
// frameRect is touched: whether the plug-in works in the host's buffer or in
// one of its own.
TEST_F(HostFrames, FramesLandAtFrameRectScaledByPixelCentres) {
    const testframes::Pixel marker{255, 1, 2, 3};
    const Rect frameRect{5, 7, 17, 23};  // 16 x 12
    for (auto [fw, fh] : {std::pair{16, 12}, {10, 9}, {37, 29}, {16, 5}}) {
        recorder.faults().frameWidth = static_cast<int16_t>(fw);
        recorder.faults().frameHeight = static_cast<int16_t>(fh);
        ASSERT_EQ(host->BeginClip(ClipSettings{40, 2}), kPluginOK);
        auto dest = testframes::MakeGWorld(40, 30);
        testframes::Fill(dest.get(), marker);
        ASSERT_EQ(host->RenderFrame(1, dest.get(), frameRect), kPluginOK);
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                testframes::Pixel want = marker;
                if (x >= frameRect.left && x < frameRect.right && y >= frameRect.top &&
                    y < frameRect.bottom) {
                    const int sx = (2 * (x - frameRect.left) + 1) * fw / (2 * 16);
                    const int sy = (2 * (y - frameRect.top) + 1) * fh / (2 * 12);
                    want = testframes::PatternAt(sx, sy, 41);
                }
                wrong += testframes::PixelAt(dest.get(), x, y) != want;
            }
        EXPECT_EQ(wrong, 0) << "frames of " << fw << "x" << fh;
        EXPECT_EQ(host->EndClip(), kPluginOK);
    }
}

// Hosts that process in place hand back their destination as the source.
TEST_F(HostFrames, AHostsDestinationAsTheSourceKeepsThePicture) {
    recorder.faults().getFrameIntoDestination = true;
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 6, 3, 0}), kPluginOK);
    auto dest = testframes::MakeGWorld(24, 16);
    auto expected = testframes::MakeGWorld(24, 16);
    for (int32_t f : {1, 4}) {  // in the fade and past it
        ASSERT_EQ(host->RenderFrame(f, dest.get(), Rect{0, 0, 16, 24}), kPluginOK);
        testframes::FillPattern(expected.get(), static_cast<uint32_t>(f));
        EXPECT_LE(testframes::MaxDifference(dest.get(), expected.get(), Rect{0, 0, 16, 24}), 1)
            << "frame " << f;
    }
    EXPECT_EQ(host->EndClip(), kPluginOK);
}

TEST_F(HostFrames, ProxiesAskForLowQualityOnlyWhenSmallAndPassNoAudio) {
    for (auto [height, quality] : {std::pair{240, kDVLowQuality}, {260, kDVHighQuality}}) {
        ClipSettings clip{0, 2};
        clip.proxyOnly = true;
        ASSERT_EQ(host->BeginClip(clip), kPluginOK);
        recorder.clear();
        auto dest = testframes::MakeGWorld(32, height);
        ASSERT_EQ(host->RenderFrame(0, dest.get(), Rect{0, 0, static_cast<int16_t>(height), 32}),
                  kPluginOK);
        ASSERT_EQ(CountCalls(HostCall::kGetFrame), 1);
        EXPECT_EQ(recorder.calls()[0].quality, quality);
        EXPECT_EQ(recorder.calls()[0].height, height);
        EXPECT_EQ(CountCalls(HostCall::kMixAudio), 0);
        EXPECT_EQ(host->EndClip(), kPluginOK);
    }
}

TEST_F(HostFrames, FramesCountFromTheClipStartAndNegativeOnesAreSkipped) {
    ASSERT_EQ(host->BeginClip(ClipSettings{100, 10}), kPluginOK);
    auto dest = testframes::MakeGWorld(8, 8);
    recorder.clear();
    ASSERT_EQ(host->RenderFrame(5, dest.get(), Rect{0, 0, 8, 8}), kPluginOK);
    EXPECT_EQ(recorder.calls()[0].frameNumber, 105);
    recorder.clear();
    EXPECT_EQ(host->RenderFrame(-200, dest.get(), Rect{0, 0, 8, 8}), kPluginOK);
    EXPECT_TRUE(recorder.calls().empty());
    // Past the last frame number there is: refused, not wrapped around.
    EXPECT_EQ(host->RenderFrame(INT32_MAX, dest.get(), Rect{0, 0, 8, 8}), kPluginBadParams);
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(host->EndClip(), kPluginOK);
}

TEST_F(HostFrames, FramesOutsideTheClipNeverGetAnOpacityOutsideTheRange) {
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 10, 4, 4}), kPluginOK);
    auto dest = testframes::MakeGWorld(8, 8);
    for (int32_t f : {INT32_MIN + 1, -3, 12, INT32_MAX}) {
        host->block().startFrame = f < 0 ? -f : 0;  // so the frame is fetched
        host->RenderFrame(f, dest.get(), Rect{0, 0, 8, 8});
    }
    for (int16_t opacity : BlitOpacities()) {
        EXPECT_GE(opacity, 0);
        EXPECT_LE(opacity, 255);
    }
    EXPECT_FALSE(BlitOpacities().empty());
    EXPECT_EQ(host->EndClip(), kPluginOK);
}

TEST_F(HostFrames, HostFailuresEndTheFrameWithTheHostsAnswer) {
    struct Case {
        const char* name;
        void (*inject)(pluginhost::HostFaults&);
        HYPluginResult want;
        bool destTouched;
        int mixCalls;
    } cases[] = {
        {"GetFrame", [](pluginhost::HostFaults& f) { f.getFrame = kPluginCantGetNeededFrame; },
         kPluginCantGetNeededFrame, false, 0},
        {"no buffer", [](pluginhost::HostFaults& f) { f.getFrameWithoutBuffer = true; },
         kPluginCantGetNeededFrame, false, 0},
        {"Blit", [](pluginhost::HostFaults& f) { f.blit = kPluginFailed; }, kPluginFailed, true, 0},
        {"MixAudio", [](pluginhost::HostFaults& f) { f.mixAudio = kPluginOutOfDiskSpace; },
         kPluginOutOfDiskSpace, true, 1},
        {"ReleaseFrame", [](pluginhost::HostFaults& f) { f.releaseFrame = kPluginTryAgainLater; },
         kPluginTryAgainLater, true, 1},
    };
    for (const Case& c : cases) {
        recorder.faults() = {};
        ASSERT_EQ(host->BeginClip(ClipSettings{0, 4, 2, 0}), kPluginOK);  // frame 0 fades
        c.inject(recorder.faults());
        recorder.clear();
        auto dest = testframes::MakeGWorld(8, 6);
        testframes::Fill(dest.get(), testframes::Pixel{1, 2, 3, 4});
        EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{0, 0, 6, 8}), c.want) << c.name;
        EXPECT_EQ(testframes::PixelAt(dest.get(), 3, 3) != (testframes::Pixel{1, 2, 3, 4}),
                  c.destTouched)
            << c.name;
        EXPECT_EQ(CountCalls(HostCall::kMixAudio), c.mixCalls) << c.name;
        EXPECT_EQ(CountCalls(HostCall::kReleaseFrame), 1) << c.name;
        EXPECT_EQ(host->framesOutstanding(), 0) << c.name;
        recorder.faults() = {};
        EXPECT_EQ(host->EndClip(), kPluginOK);
    }
}

TEST_F(HostFrames, NonsenseFrameRectanglesAreRefusedOrClipped) {
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 2}), kPluginOK);
    auto dest = testframes::MakeGWorld(8, 6);
    EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{5, 5, 5, 9}), kPluginBadParams);
    EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{6, 8, 0, 0}), kPluginBadParams);
    EXPECT_EQ(host->RenderFrame(0, nullptr, Rect{0, 0, 6, 8}), kPluginBadParams);
    // Larger than the destination: drawn where it fits, nothing outside.
    EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{-20, -30, 200, 300}), kPluginOK);
    EXPECT_EQ(host->EndClip(), kPluginOK);
}

// Lends each frame from rows wider than the frame, so a plug-in that took
// the lent rows for its own width would show it.
class LendingFrames : public pluginhost::FrameProvider {
  public:
    LendingFrames(int w, int h) : held_(testframes::MakeGWorld(w + 3, h)) {}
    HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr) override {
        return kPluginCantGetNeededFrame;
    }
    bool LendFrame(int32_t frameNumber, HYRefDVQuality, int16_t, int16_t,
                   pluginhost::LentPixels* out) override {
        testframes::FillPattern(held_.get(), static_cast<uint32_t>(frameNumber));
        out->rows = reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(held_.get())));
        out->rowBytes = GetPixRowBytes(GetGWorldPixMap(held_.get()));
        ++lent;
        return true;
    }
    GWorldPtr held() const { return held_.get(); }
    int lent = 0;

  private:
    testframes::GWorldHolder held_;
};

TEST_F(HostFrames, LentFramesAreReadInPlaceAndLeftAsTheyWere) {
    LendingFrames lending(29, 17);
    pluginhost::PluginHost lendingHost(*plugin, lending);
    ASSERT_EQ(lendingHost.BeginClip(ClipSettings{7, 4, 2, 0}), kPluginOK);
    auto dest = testframes::MakeGWorld(29, 17);
    auto expected = testframes::MakeGWorld(29, 17);
    for (int32_t f = 0; f < 4; ++f) {
        ASSERT_EQ(lendingHost.RenderFrame(f, dest.get(), Rect{0, 0, 17, 29}), kPluginOK);
        testframes::FillPattern(expected.get(), static_cast<uint32_t>(7 + f));
        EXPECT_EQ(testframes::MaxDifference(dest.get(), expected.get(), Rect{0, 0, 17, 29}), 0);
        EXPECT_EQ(testframes::MaxDifference(lending.held(), expected.get(), Rect{0, 0, 17, 29}), 0);
    }
    EXPECT_EQ(lending.lent, 4);
    EXPECT_EQ(lendingHost.framesOutstanding(), 0);
    EXPECT_EQ(lendingHost.EndClip(), kPluginOK);
}

}  // namespace
