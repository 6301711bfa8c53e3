// Every frame of one clip through the whole plug-in, turned, enlarged, moved,
// framed and faded in and out, compared by hash with the list kept in
// golden/: any change to what a user gets shows here. Every drawing path
// must give the same list: the process draws with the fastest rows, with
// the portable ones under HZ_DISABLE_FAST_PATHS, or with pixman under
// HZ_DRAW_WITH_PIXMAN (ctest runs the test once that way too). A
// deliberate change is recorded by running the test with HZ_GOLDEN_UPDATE=1
// and committing the list with the reason.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "persistence/prefsloader.h"
#include "tests/host/HostFixture.h"

namespace {

constexpr int cWidth = 192, cHeight = 108, cFrames = 12;

// A sky, a sea and a tilted horizon that moves a little every frame, with
// soft gradients for the interpolation to work on.
class SeaFrames : public pluginhost::FrameProvider {
  public:
    HYPluginResult ProvideFrame(int32_t n, HYRefDVQuality, GWorldPtr out) override {
        for (int y = 0; y < cHeight; ++y)
            for (int x = 0; x < cWidth; ++x) {
                const int horizon = cHeight / 2 + (x - cWidth / 2) / 12 + n % 5;
                const bool sea = y > horizon;
                const int shade = (x * 3 + y * 2 + n * 7) % 64;
                testframes::Pixel p{255, static_cast<uint8_t>(sea ? 20 + shade : 120 + shade),
                                    static_cast<uint8_t>(sea ? 60 + shade : 160 + shade / 2),
                                    static_cast<uint8_t>(sea ? 140 + shade : 230 - shade)};
                if ((x / 24 + y / 18) % 7 == n % 7) p.g = 250;  // a few marks to follow
                testframes::SetPixel(out, x, y, p);
            }
        return kPluginOK;
    }
};

// FNV-1a over the picture's rows, padding left out.
uint64_t FrameHash(GWorldPtr gw) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < cHeight; ++y)
        for (int x = 0; x < cWidth; ++x) {
            const testframes::Pixel p = testframes::PixelAt(gw, x, y);
            for (uint8_t byte : {p.a, p.r, p.g, p.b}) h = (h ^ byte) * 1099511628211ull;
        }
    return h;
}

std::string GoldenPath() { return std::string(HZ_GOLDEN_DIR) + "/sea-clip.txt"; }

class GoldenClip : public hosttest::HostTest {
  protected:
    void SetUp() override {
        PluginDataRec settings{};
        ASSERT_EQ(LoadPrefs(&settings).status, PrefsStatus::cNoFile);
        settings.startRel = {0.05, 0.95, 0.1, 0.9};
        settings.endRel = {0, 1, 0, 1};
        settings.sliders[cTurnSlider - 1] = 7;
        settings.sliders[cMoveXSlider - 1] = 3;
        settings.sliders[cScaleSlider - 1] = 4;
        settings.sliders[cMoveYSlider - 1] = -2;
        settings.colors[cBackgroundColor - 1] = RGBColor{0x2000, 0x4000, 0x6000};
        settings.mediaType = kMediaHD;
        ASSERT_EQ(StorePrefs(settings).status, PrefsStatus::cOk);
        plugin = pluginhost::LoadedPlugin::Load(hosttest::BundleDir(), &error);
        ASSERT_TRUE(plugin) << error;
        host = std::make_unique<pluginhost::PluginHost>(*plugin, sea);
    }

    SeaFrames sea;
    std::string error;
};

TEST_F(GoldenClip, EveryFrameMatchesTheRecordedList) {
    ASSERT_EQ(host->BeginClip(pluginhost::ClipSettings{30, cFrames, 3, 3}), kPluginOK);
    auto dest = testframes::MakeGWorld(cWidth, cHeight);
    std::ostringstream got;
    for (int32_t f = 0; f < cFrames; ++f) {
        ASSERT_EQ(host->RenderFrame(f, dest.get(), Rect{0, 0, cHeight, cWidth}), kPluginOK);
        got << f << " " << std::hex << FrameHash(dest.get()) << std::dec << "\n";
    }
    ASSERT_EQ(host->EndClip(), kPluginOK);

    if (std::getenv("HZ_GOLDEN_UPDATE")) {
        std::ofstream(GoldenPath()) << got.str();
        GTEST_SKIP() << "recorded " << GoldenPath();
    }
    std::ifstream file(GoldenPath());
    ASSERT_TRUE(file) << "no list at " << GoldenPath();
    std::stringstream want;
    want << file.rdbuf();
    EXPECT_EQ(got.str(), want.str());
}

}  // namespace
