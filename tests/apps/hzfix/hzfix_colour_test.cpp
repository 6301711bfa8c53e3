// With the default settings a render changes the colours no more than the
// unavoidable round trip through 8-bit RGB does: for limited and full range,
// BT.601 and BT.709, tagged or not, 8 and 10 bits. The floors are what a
// careful ffmpeg round trip (accurate rounding, full chroma, the clip's
// matrix and range) gives on the same clips, less 0.3 dB; the renders are
// made twice to catch anything that differs from run to run.
#include <gtest/gtest.h>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

struct ColourCase {
    const char* name;
    int width, height;
    AVColorRange range;
    AVColorSpace matrix;
    const char* pixelFormat;
    double floor;  // dB
};

// Colour bars with soft ramps between them, moving a little every frame.
Rgb Bars(int f, int x, int y) {
    static const Rgb kBars[] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                                {191, 0, 191},   {191, 0, 0},   {0, 0, 191},   {16, 16, 16}};
    const int bar = (x + f) * 8 / 400 % 8;
    const Rgb c = kBars[bar];
    const int ramp = y * 255 / 240;
    return y < 160 ? c : Rgb{ramp, 255 - ramp, (ramp + f * 8) & 255};
}

class HzfixColour : public ::testing::TestWithParam<ColourCase>, protected HzfixSandbox {};

TEST_P(HzfixColour, DefaultSettingsKeepTheColoursAsTheCarefulRoundTripDoes) {
    const ColourCase& c = GetParam();
    ClipSpec recipe;
    recipe.width = c.width;
    recipe.height = c.height;
    recipe.frames = 10;
    recipe.audio = false;
    recipe.range = c.range;
    recipe.matrix = c.matrix;
    recipe.pixelFormat = c.pixelFormat;
    recipe.paint = Bars;
    MakeClip(dir / "in.mkv", recipe);
    for (const char* out : {"a.mkv", "b.mkv"}) {
        const Outcome r = Do({"render", dir / "in.mkv", dir / out, "-q"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    const double psnr = Psnr(dir / "a.mkv", dir / "in.mkv");
    EXPECT_GE(psnr, c.floor) << c.name;
    EXPECT_EQ(Psnr(dir / "a.mkv", dir / "b.mkv"), 100) << c.name << ": renders differ";
}

// Rendered five times over, limited-range BT.709 loses no more than five
// careful round trips do (39.41 dB after five).
TEST(HzfixColourPasses, FivePassesDriftNoFurtherThanCarefulRoundTrips) {
    TempDir dir;
    ClipSpec recipe;
    recipe.width = 400;
    recipe.height = 240;
    recipe.frames = 10;
    recipe.audio = false;
    recipe.paint = Bars;
    MakeClip(dir / "0.mkv", recipe);
    for (int pass = 1; pass <= 5; ++pass) {
        const Outcome r =
            Hzfix({"--plugin", BundleDir(), "render", dir / (std::to_string(pass - 1) + ".mkv"),
                   dir / (std::to_string(pass) + ".mkv"), "-q"},
                  {"XDG_CONFIG_HOME=" + dir / "config"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    EXPECT_GE(Psnr(dir / "5.mkv", dir / "0.mkv"), 39.11);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, HzfixColour,
    ::testing::Values(
        ColourCase{"limited BT.709", 400, 240, AVCOL_RANGE_MPEG, AVCOL_SPC_BT709, "yuv420p", 46.1},
        ColourCase{"full BT.709", 400, 240, AVCOL_RANGE_JPEG, AVCOL_SPC_BT709, "yuv420p", 45.4},
        ColourCase{"limited BT.601", 400, 240, AVCOL_RANGE_MPEG, AVCOL_SPC_SMPTE170M, "yuv420p",
                   46.3},
        ColourCase{"full BT.601", 400, 240, AVCOL_RANGE_JPEG, AVCOL_SPC_SMPTE170M, "yuv420p", 45.4},
        ColourCase{"untagged HD", 1280, 720, AVCOL_RANGE_MPEG, AVCOL_SPC_UNSPECIFIED, "yuv420p",
                   46.0},
        ColourCase{"10-bit 4:2:2 BT.709", 400, 240, AVCOL_RANGE_MPEG, AVCOL_SPC_BT709,
                   "yuv422p10le", 46.4}),
    [](const ::testing::TestParamInfo<ColourCase>& info) {
        std::string name;
        for (const char* p = info.param.name; *p; ++p)
            if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
        return name;
    });

}  // namespace
}  // namespace hzfixtest
