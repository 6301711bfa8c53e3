#include "engine/lineEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/CGglue.h"
#include "engine/DataHandling.h"
#include "engine/callpixelfx.h"
#include "tests/support/TestFrames.h"

using namespace testframes;

// The link sends every CGBitmapContextCreate here (tests/engine/CMakeLists.txt),
// so a test can make contexts fail as they do when memory runs short.
bool lgRefuseContexts = false;
extern "C" CGContextRef __real_CGBitmapContextCreate(void* data, size_t width, size_t height,
                                                     size_t bits, size_t rowBytes,
                                                     CGColorSpaceRef space, CGBitmapInfo info);
extern "C" CGContextRef __wrap_CGBitmapContextCreate(void* data, size_t width, size_t height,
                                                     size_t bits, size_t rowBytes,
                                                     CGColorSpaceRef space, CGBitmapInfo info) {
    if (lgRefuseContexts) return nullptr;
    return __real_CGBitmapContextCreate(data, width, height, bits, rowBytes, space, info);
}

namespace {

constexpr Pixel cBlue{255, 0, 0, 255};
constexpr Pixel cGreen{255, 0, 255, 0};

class Renderer : public ::testing::Test {
  protected:
    void SetUp() override { ResetConfig(&config, true); }

    GWorldHolder Render(GWorldPtr source, int32_t frame = 0, int32_t frames = 1) {
        Rect bounds;
        GetPortBounds(source, &bounds);
        GWorldHolder dest = MakeGWorld(bounds.right, bounds.bottom);
        DoPixelEffect(source, dest.get(), &config, frame, frames);
        return dest;
    }

    GWorldHolder Solid(int w, int h, Pixel p) {
        GWorldHolder gw = MakeGWorld(w, h);
        Fill(gw.get(), p);
        return gw;
    }

    PluginDataRec config{};
};

TEST_F(Renderer, DefaultsLeaveTheFrameUnchanged) {
    GWorldHolder source = MakeGWorld(721, 481);
    FillPattern(source.get(), 3);
    GWorldHolder out = Render(source.get());
    EXPECT_EQ(MaxDifference(out.get(), source.get(), Rect{0, 0, 481, 721}), 0);
}

TEST_F(Renderer, FramingMasksEverythingElseWithTheBackground) {
    GWorldHolder source = MakeGWorld(720, 480);
    FillPattern(source.get(), 4);
    config.startRel = {0.25, 0.75, 0.25, 0.75};
    config.colors[0] = RGBColor{0, 0, 0xFFFF};
    GWorldHolder out = Render(source.get());
    // (180,120)-(540,360) keeps the source, unscaled and unturned.
    EXPECT_EQ(MaxDifference(out.get(), source.get(), Rect{120, 180, 360, 540}), 0);
    for (auto [x, y] :
         {std::pair{179, 200}, {540, 200}, {300, 119}, {300, 360}, {0, 0}, {719, 479}})
        EXPECT_EQ(PixelAt(out.get(), x, y), cBlue) << x << "," << y;
}

TEST_F(Renderer, ScaleAndMoveAreMeasuredAgainstTheLargerSide) {
    GWorldHolder source = Solid(720, 480, cGreen);
    config.colors[0] = RGBColor{0, 0, 0xFFFF};
    config.sliders[3] = -10;  // z = -72: squeezed into (72,72)-(648,408)
    GWorldHolder out = Render(source.get());
    EXPECT_EQ(PixelAt(out.get(), 71, 240), cBlue);
    EXPECT_EQ(PixelAt(out.get(), 73, 240), cGreen);
    EXPECT_EQ(PixelAt(out.get(), 646, 406), cGreen);
    EXPECT_EQ(PixelAt(out.get(), 648, 240), cBlue);
    EXPECT_EQ(PixelAt(out.get(), 360, 408), cBlue);

    config.sliders[3] = 0;
    config.sliders[1] = -1;  // (720 * -1) / 100 = -7.2: 7 pixels left
    out = Render(source.get());
    EXPECT_EQ(PixelAt(out.get(), 712, 240), cGreen);
    EXPECT_EQ(PixelAt(out.get(), 713, 240), cBlue);
}

TEST_F(Renderer, APositiveTurnIsCounterClockwiseOnScreen) {
    GWorldHolder source = MakeGWorld(100, 100);
    FillPattern(source.get(), 5);
    config.sliders[0] = 225;  // 90 degrees
    GWorldHolder out = Render(source.get());
    // Counter-clockwise: the source's right column becomes the top row.
    int worst = 0;
    for (int y = 5; y < 95; ++y) {
        for (int x = 5; x < 95; ++x) {
            const Pixel got = PixelAt(out.get(), x, y), want = PixelAt(source.get(), 99 - y, x);
            worst = std::max({worst, std::abs(got.r - want.r), std::abs(got.g - want.g),
                              std::abs(got.b - want.b)});
        }
    }
    EXPECT_LE(worst, 1);
}

// The fine part of a turn lies between whole steps, wherever the steps
// put it; without it a turn is the slider's own to the last bit.
TEST_F(Renderer, AFineTurnLiesBetweenStepsHoweverItIsSplit) {
    GWorldHolder source = MakeGWorld(120, 80);
    FillPattern(source.get(), 7);
    const auto turned = [&](int16_t steps, int16_t fine) {
        config.sliders[cTurnSlider - 1] = steps;
        config.sliders[cTurnFineSlot - 1] = fine;
        return Render(source.get());
    };
    const Rect all{0, 0, 80, 120};
    const GWorldHolder half = turned(0, 50);
    EXPECT_EQ(MaxDifference(turned(1, -50).get(), half.get(), all), 0);
    EXPECT_GT(MaxDifference(turned(0, 0).get(), half.get(), all), 0);
    EXPECT_GT(MaxDifference(turned(1, 0).get(), half.get(), all), 0);
    for (int16_t steps = -225; steps <= 225; ++steps) {
        SetTurnHundredths(&config, steps * 100);
        ASSERT_EQ(TurnAngle(config), TurnDegrees(steps)) << steps;
        ASSERT_EQ(config.sliders[cTurnFineSlot - 1], 0) << steps;
    }
    for (const int32_t hundredths : {-22500, -12350, -250, -249, -50, 49, 50, 51, 150, 22500}) {
        SetTurnHundredths(&config, hundredths);
        EXPECT_EQ(TurnHundredths(config), hundredths);
        EXPECT_LE(std::abs(config.sliders[cTurnFineSlot - 1]), 50) << hundredths;
    }
}

TEST_F(Renderer, WorkedExampleTurnsAboutTheMovedCentre) {
    // A smooth picture: red follows x, green follows y, so a pixel's colour
    // says where in the source it came from.
    GWorldHolder source = MakeGWorld(720, 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 720; ++x)
            SetPixel(source.get(), x, y,
                     Pixel{255, static_cast<uint8_t>(x * 255 / 719),
                           static_cast<uint8_t>(y * 255 / 479), 0});
    config.sliders[0] = 5;
    config.sliders[1] = -2;
    config.sliders[3] = 10;
    config.sliders[4] = 3;
    GWorldHolder out = Render(source.get());
    // The drawing rectangle is (-86,-51)-(778,573): its centre (346,261)
    // shows the source's centre.
    const Pixel centre = PixelAt(out.get(), 346, 261);
    EXPECT_NEAR(centre.r, 127, 2);
    EXPECT_NEAR(centre.g, 127, 2);
    // Enlarged by 864/720: 120 pixels right of the centre along the turned
    // x axis the source is 100 pixels right of its centre.
    const double a = 2.0 * 3.14159265358979 / 180.0;
    const Pixel right = PixelAt(out.get(), 346 + static_cast<int>(std::lround(120 * std::cos(a))),
                                261 - static_cast<int>(std::lround(120 * std::sin(a))));
    EXPECT_NEAR(right.r, (460 * 255) / 719, 2);
    EXPECT_NEAR(right.g, 127, 3);
}

TEST_F(Renderer, AFramingWithoutAreaOrOutsideTheFrameShowsTheBackground) {
    GWorldHolder source = Solid(64, 48, cGreen);
    config.colors[0] = RGBColor{0, 0, 0xFFFF};
    for (RelRect rel :
         {RelRect{0.5, 0.5, 0, 1}, RelRect{0, 1, 0.7, 0.2}, RelRect{1.5, 2.0, 0, 1}}) {
        config.startRel = rel;
        GWorldHolder out = Render(source.get());
        GWorldHolder blue = Solid(64, 48, cBlue);
        EXPECT_EQ(MaxDifference(out.get(), blue.get(), Rect{0, 0, 48, 64}), 0);
    }
}

TEST_F(Renderer, PartsOfTheFramingOutsideTheFrameShowTheBackground) {
    GWorldHolder source = MakeGWorld(100, 80);
    FillPattern(source.get(), 6);
    config.colors[0] = RGBColor{0, 0, 0xFFFF};
    config.startRel = {-0.5, 1.0, 0.0, 1.0};  // framing reaches 50 pixels left of the frame
    GWorldHolder out = Render(source.get());
    EXPECT_EQ(MaxDifference(out.get(), source.get(), Rect{1, 1, 79, 99}), 0);
}

TEST_F(Renderer, FrameIndexAndCopyRestNeverChangeThePicture) {
    GWorldHolder source = MakeGWorld(90, 60);
    FillPattern(source.get(), 8);
    config.sliders[0] = 7;
    config.sliders[3] = 12;
    GWorldHolder first = Render(source.get(), 0, 100);
    GWorldHolder last = Render(source.get(), 99, 100);
    GWorldHolder other = MakeGWorld(90, 60);
    TheLineEffect(source.get(), other.get(), Rect{0, 0, 60, 90}, false, &config, 3, 4);
    EXPECT_EQ(MaxDifference(first.get(), last.get(), Rect{0, 0, 60, 90}), 0);
    EXPECT_EQ(MaxDifference(first.get(), other.get(), Rect{0, 0, 60, 90}), 0);
}

// Memory running short answers memFullErr and leaves a picture the host can
// show; it never ends the host.
TEST_F(Renderer, WithoutMemoryForAContextTheEffectAnswersAndLeavesTheBackground) {
    GWorldHolder source = MakeGWorld(64, 48);
    FillPattern(source.get(), 5);
    config.colors[0] = RGBColor{0, 0, 0xFFFF};
    config.sliders[0] = 7;
    GWorldHolder out = MakeGWorld(64, 48);
    config.theOriginalImage = GWorld2CGImage(source.get());
    ASSERT_NE(config.theOriginalImage, nullptr);
    lgRefuseContexts = true;
    const OSErr err = DoPixelEffect(source.get(), out.get(), &config, 0, 1);
    CGImageRef copy = GWorld2CGImage(source.get());
    RenderLineArt(&config);
    lgRefuseContexts = false;

    EXPECT_EQ(err, memFullErr);
    GWorldHolder blue = Solid(64, 48, cBlue);
    EXPECT_EQ(MaxDifference(out.get(), blue.get(), Rect{0, 0, 48, 64}), 0);
    EXPECT_EQ(copy, nullptr);
    EXPECT_EQ(config.theRendered, nullptr) << "the preview kept a picture it could not draw";

    // Once memory is back, the same calls draw.
    RenderLineArt(&config);
    EXPECT_NE(config.theRendered, nullptr);
    EXPECT_EQ(DoPixelEffect(source.get(), out.get(), &config, 0, 1), noErr);
    CGImageRelease(config.theRendered);
    CGImageRelease(config.theOriginalImage);
}

}  // namespace

namespace {

// A 400 x 400 square at the middle of a 1080p frame, enlarged, measured
// across its middle.
std::pair<int, int> EnlargedSquare(PluginDataRec* config, bool uniform) {
    GWorldHolder source = MakeGWorld(1920, 1080);
    Fill(source.get(), cBlue);
    for (int y = 340; y < 740; ++y)
        for (int x = 760; x < 1160; ++x) SetPixel(source.get(), x, y, cGreen);
    config->sliders[cScaleSlider - 1] = 4;
    config->sliders[cUniformScaleSlot - 1] = uniform ? 1 : 0;
    GWorldHolder out = MakeGWorld(1920, 1080);
    DoPixelEffect(source.get(), out.get(), config, 0, 1);
    int across = 0, down = 0;
    for (int x = 0; x < 1920; ++x) across += PixelAt(out.get(), x, 540).g > 127;
    for (int y = 0; y < 1080; ++y) down += PixelAt(out.get(), 960, y).g > 127;
    return {across, down};
}

}  // namespace

TEST_F(Renderer, EvenEnlargementKeepsProportionsWhereThePixelOneStretches) {
    // Each side 76 pixels out: 1920 -> 2072 across, 1080 -> 1232 down.
    EXPECT_EQ(EnlargedSquare(&config, false), std::pair(432, 456));
    // 76 across, 42 down: the same factor both ways, to the pixel.
    const auto [across, down] = EnlargedSquare(&config, true);
    EXPECT_EQ(across, 432);
    EXPECT_NEAR(down, 431, 1);
}
